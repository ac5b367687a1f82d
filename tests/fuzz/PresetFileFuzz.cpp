// A preset folder can hold any file under a preset's name: one another program wrote, a
// truncated copy, something that is not XML at all. readPresetFile reads each one the folder
// scan and the send commands meet, so the fuzz bytes go into such a file. What it accepts must
// be something the program itself can write back and read again unchanged: otherwise a preset
// changes on its way from a file to the device and back.

#include "tests/fuzz/FuzzEntries.h"

#include "presets/PresetFile.h"
#include "presets/WrittenLayoutReader.h"

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

    /** A file the quick reader of the program's own layout takes must read the same the full
        way: a comment after the declaration sends the same content through the parser.
    */
    bool checkQuickReaderAgrees (const juce::File& folder, const uint8_t* data, size_t size)
    {
        const auto quick = readWrittenLayout (reinterpret_cast<const char*> (data), size, nullptr);
        const auto asRead = readPresetFile (folder.getFullPathName(), kFileName);

        if (! quick.has_value() || ! asRead.has_value())
            return true;

        // The quick reader took a declaration, so there is one, maybe after white space.
        const std::string bytes (reinterpret_cast<const char*> (data), size);
        const auto afterDeclaration = bytes.find ("?>") + 2;
        juce::MemoryOutputStream detour;
        detour.write (data, afterDeclaration);
        detour << "<!-- the full way -->";
        detour.write (data + afterDeclaration, size - afterDeclaration);

        if (! folder.getChildFile (kFileName).replaceWithData (detour.getData(), detour.getDataSize()))
            return fail ("the input could not be written");

        const auto full = readPresetFile (folder.getFullPathName(), kFileName);

        if (! full.has_value() || full->name != quick->name || full->version != quick->version ||
            full->parameters != quick->parameters)
            return fail ("the quick reader and the full one read a file differently");

        return folder.getChildFile (kFileName).replaceWithData (data, size);
    }

    bool checkPresetFile (const juce::File& folder, const uint8_t* data, size_t size)
    {
        const auto folderPath = folder.getFullPathName();

        if (! folder.getChildFile (kFileName).replaceWithData (data, size))
            return fail ("the input could not be written");

        if (! checkQuickReaderAgrees (folder, data, size))
            return false;

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
