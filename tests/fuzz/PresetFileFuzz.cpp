// A preset folder can hold any file under a preset's name: one another program wrote, a
// truncated copy, something that is not XML at all. readPresetFile reads each one the folder
// scan and the send commands meet, so the fuzz bytes go into such a file. What it accepts must
// be something the program itself can write back and read again unchanged: otherwise a preset
// changes on its way from a file to the device and back.

#include "tests/fuzz/FuzzEntries.h"

#include "simulator/InProcessMidiPorts.h"
#include "device/PresetManager.h"

#include <iostream>

namespace
{
    constexpr const char* kFileName = "012_Fuzz.tnl";
    constexpr int kFileSlot = 12;

    bool fail (const char* what)
    {
        std::cerr << "fuzzPresetFileRead: " << what << std::endl;
        return false;
    }

    struct ReadResult
    {
        bool accepted = false;
        PresetData preset;
        juce::int16 number = 0;
        juce::String desc;
    };

    ReadResult readFile (PresetManager& manager, const juce::String& fileName)
    {
        ReadResult result;
        juce::String name;
        juce::int16 version = 0;
        result.accepted = manager.readPresetFile (fileName, name, version, result.number, result.desc);
        result.preset = manager.outgoing;

        if (result.accepted && (name != manager.outgoing.name || version != manager.outgoing.version))
            result.accepted = false;

        return result;
    }

    bool checkPresetFile (PresetManager& manager, const uint8_t* data, size_t size)
    {
        const auto folder = juce::File (manager.presetFolder);

        if (! folder.getChildFile (kFileName).replaceWithData (data, size))
            return fail ("the input could not be written");

        const auto first = readFile (manager, kFileName);

        if (! first.accepted)
            return true;

        if (first.number != kFileSlot)
            return fail ("the slot did not come from the file name");

        // Written as a preset read from the device into the same slot, then read again.
        manager.received = first.preset;
        manager.received.number = (juce::int16) kFileSlot;

        if (manager.received.name.isEmpty() || ! manager.writePresetFile (PresetWriteMode::Overwrite))
            return true; // a preset without a name, or one too long to name a file, is never written

        juce::String writtenName;

        if (! manager.presetFileExists (writtenName))
            return fail ("the written file is not where presetFileExists looks");

        const auto second = readFile (manager, writtenName);

        if (! second.accepted)
            return fail ("the program cannot read a file it wrote");

        if (second.preset.name != first.preset.name || second.preset.version != first.preset.version ||
            second.preset.parameters != first.preset.parameters)
            return fail ("a preset changed on being written and read again");

        if (second.desc != juce::String (kFileSlot))
            return fail ("the written file does not name its slot");

        return true;
    }
} // namespace

bool fuzzPresetFileRead (const uint8_t* data, size_t size)
{
    InProcessMidiPorts noDevice;
    PresetManager manager (noDevice);
    const auto folder = fuzzScratchFolder();
    manager.presetFolder = folder.getFullPathName();

    const auto holds = checkPresetFile (manager, data, size);

    for (const auto& entry : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
        entry.deleteRecursively();

    return holds;
}

#if TONAREL_FUZZ_MAIN
TONAREL_FUZZ_ENTRY (fuzzPresetFileRead)
#endif
