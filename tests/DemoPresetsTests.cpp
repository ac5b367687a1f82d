#include <gtest/gtest.h>

#include "presets/PresetFileName.h"
#include "simulator/DemoPresets.h"
#include "simulator/DeviceSimulator.h"
#include "presets/PresetData.h"
#include "device/SysexFrame.h"

#include <set>

// That they cross the wire and come back from their files unchanged is what the device link's and
// the preset files' own tests prove for any preset of this shape.
TEST (DemoPresets, FitTheDeviceAndHaveDistinctFileNames)
{
    const auto presets = makeDemoPresets();
    ASSERT_EQ (presets.size(), (size_t) DeviceSimulator::numSlots);

    std::set<juce::String> fileNames;

    for (size_t i = 0; i < presets.size(); ++i)
    {
        const auto& preset = presets[i];
        SCOPED_TRACE (preset.name);

        EXPECT_EQ (preset.number, (int) i + 1);
        EXPECT_EQ (preset.version, DeviceSimulator::presetVersion);

        // The device stores printable ASCII up to the field's length; anything else would come
        // back from it changed.
        EXPECT_TRUE (preset.name.trim().isNotEmpty());
        EXPECT_LE (preset.name.length(), kPresetNameBytes);
        EXPECT_TRUE (preset.name.containsOnly (" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                               "[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"));

        ASSERT_EQ (preset.parameters.size(), (size_t) DeviceSimulator::parametersPerPreset);

        for (size_t index = 0; index < preset.parameters.size(); ++index)
        {
            EXPECT_EQ (preset.parameters[index].index, (int) index);
            EXPECT_GE (preset.parameters[index].value, kMin28BitValue);
            EXPECT_LE (preset.parameters[index].value, kMax28BitValue);
        }

        // Without the slot in front, so that two names differing only by blanks or case (which
        // some file systems ignore) would meet.
        const auto nameOnly = presetFileName ({ 0, preset.name, preset.version, {} });
        EXPECT_TRUE (fileNames.insert (nameOnly.toLowerCase()).second) << nameOnly;

        for (size_t other = 0; other < i; ++other)
            EXPECT_NE (preset.parameters, presets[other].parameters) << presets[other].name;
    }

    EXPECT_EQ (makeDemoPresets(), presets) << "the demo shows the same device on every start";
}

