// A preset folder can hold any file under a preset's name: one another program wrote, a
// truncated copy, something that is not XML at all. readPresetFile reads each one the folder
// scan and the send commands meet, so the fuzz bytes go into such a file. What it accepts must
// be something the program itself can write back and read again unchanged: otherwise a preset
// changes on its way from a file to the device and back.

#include "tests/fuzz/FuzzEntries.h"

#include "presets/PresetFile.h"

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

    bool checkPresetFile (const juce::File& folder, const uint8_t* data, size_t size)
    {
        const auto folderPath = folder.getFullPathName();

        if (! folder.getChildFile (kFileName).replaceWithData (data, size))
            return fail ("the input could not be written");

        const auto first = readPresetFile (folderPath, kFileName);

        if (! first.has_value())
            return true;

        // Written as a preset read from the device into the same slot, then read again.
        auto received = *first;
        received.number = (juce::int16) kFileSlot;

        if (received.name.isEmpty() || ! writePresetFile (folderPath, received, PresetWriteMode::Overwrite))
            return true; // a preset without a name, or one too long to name a file, is never written

        if (! presetFileExists (folderPath, received))
            return fail ("the written file is not where presetFileExists looks");

        juce::String desc;
        const auto second = readPresetFile (folderPath, presetFileName (received), &desc);

        if (! second.has_value())
            return fail ("the program cannot read a file it wrote");

        if (second->name != first->name || second->version != first->version ||
            second->parameters != first->parameters)
            return fail ("a preset changed on being written and read again");

        if (desc != juce::String (kFileSlot))
            return fail ("the written file does not name its slot");

        return true;
    }
} // namespace

bool fuzzPresetFileRead (const uint8_t* data, size_t size)
{
    const auto folder = fuzzScratchFolder();
    const auto holds = checkPresetFile (folder, data, size);

    for (const auto& entry : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
        entry.deleteRecursively();

    return holds;
}

#if TONAREL_FUZZ_MAIN
TONAREL_FUZZ_ENTRY (fuzzPresetFileRead)
#endif
