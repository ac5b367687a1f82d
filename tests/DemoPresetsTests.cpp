#include <gtest/gtest.h>

#include "simulator/DemoPresets.h"
#include "simulator/DeviceSimulator.h"
#include "device/PresetManager.h"
#include "device/SysexFrame.h"
#include "tests/TestHelpers.h"

#include <set>

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
        const auto nameOnly = PresetManager::presetFileName ({ 0, preset.name, preset.version, {} });
        EXPECT_TRUE (fileNames.insert (nameOnly.toLowerCase()).second) << nameOnly;

        for (size_t other = 0; other < i; ++other)
            EXPECT_NE (preset.parameters, presets[other].parameters) << presets[other].name;
    }

    EXPECT_EQ (makeDemoPresets(), presets) << "the demo shows the same device on every start";
}

TEST (DemoPresets, CrossTheWireAndComeBackFromTheirFiles)
{
    const auto presets = makeDemoPresets();

    InProcessMidiPorts ports;
    DeviceSimulator device { ports, WireModel::instant() };
    loadDemoPresets (device);

    for (const auto& preset : presets)
        ASSERT_EQ (device.getSlot (preset.number), preset);

    TemporaryFolder temporary;
    PresetManager manager { ports };
    manager.presetFolder = temporary.root.getFullPathName();
    ASSERT_TRUE (manager.isDeviceReachable());

    const auto readFromDevice = [&manager] (int slot)
    {
        if (! manager.requestPreset ((juce::int16) slot, false))
            return 0;

        auto result = 0;
        dispatchMessagesUntil ([&] { return (result = manager.takeReceiveResult()) != 0; });
        return result;
    };

    // The first and the last slot over the wire (the last name fills the name field), then every
    // preset through its file.
    for (const auto slot : { 1, DeviceSimulator::numSlots })
    {
        SCOPED_TRACE (slot);
        ASSERT_EQ (readFromDevice (slot), 1);
        EXPECT_EQ (manager.received, presets[(size_t) slot - 1]);
    }

    for (const auto& preset : presets)
    {
        SCOPED_TRACE (preset.name);
        manager.received = preset;
        ASSERT_TRUE (manager.writePresetFile (PresetWriteMode::Overwrite));

        juce::String name, desc;
        juce::int16 version = 0, number = 0;
        ASSERT_TRUE (
            manager.readPresetFile (PresetManager::presetFileName (preset), name, version, number, desc));
        EXPECT_EQ (number, preset.number);
        EXPECT_EQ (manager.outgoing, (PresetData { 0, preset.name, preset.version, preset.parameters }));
    }

    EXPECT_EQ (temporary.root.getNumberOfChildFiles (juce::File::findFiles), DeviceSimulator::numSlots);
}
