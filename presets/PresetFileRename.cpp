#include "presets/PresetFileRename.h"

#include "presets/FilesystemPath.h"
#include "presets/MoveWithoutReplacing.h"
#include "presets/PresetFile.h"

#include <filesystem>

namespace
{
    /** The slot the file's name begins with, or else the one its "desc" records. */
    std::optional<int> slotOfFile (const juce::String& fileName, const juce::String& desc)
    {
        if (const auto slot = presetSlotFromFileName (fileName))
            return slot;

        const auto recorded = desc.trim();

        if (recorded.isNotEmpty() && recorded.containsOnly ("0123456789") && recorded.length() <= 2)
        {
            const auto slot = recorded.getIntValue();

            if (slot >= kFirstPresetNumber && slot <= kLastPresetNumber)
                return slot;
        }

        return std::nullopt;
    }

    bool anythingAt (const juce::File& file)
    {
        std::error_code error;
        const auto status = std::filesystem::symlink_status (FilesystemPath::of (file), error);
        return status.type() != std::filesystem::file_type::not_found;
    }

    /** Whether the folder holds an entry spelt exactly so, letter case and all. */
    bool hasEntrySpelt (const juce::File& folder, const juce::String& name)
    {
        for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
            if (entry.getFile().getFileName() == name)
                return true;

        return false;
    }

    /** Where the file system ignores case (Windows, a memory stick's FAT), a new name that differs
        from the file's own in case only reaches the file itself: moved straight there, the name
        would stay as it was, or the move be refused as taken. It goes by way of a name of its own.
    */
    juce::Result moveToOtherCase (const juce::File& source, const juce::File& target)
    {
        const auto between = source.getParentDirectory().getNonexistentChildFile (
            target.getFileNameWithoutExtension() + ".renaming", {}, false);

        if (const auto moved = moveWithoutReplacing (source, between); moved.failed())
            return moved;

        const auto moved = moveWithoutReplacing (between, target);

        if (moved.failed())
            moveWithoutReplacing (between, source);

        return moved;
    }

    PresetFileRename failed (const juce::String& why, const juce::String& newFileName = {})
    {
        return { juce::Result::fail (why), newFileName };
    }
} // namespace

PresetFileRename renamePresetFile (const juce::String& folder, const juce::String& fileName,
                                   const juce::String& newName)
{
    juce::String desc;
    const auto preset = readPresetFile (folder, fileName, &desc);

    if (! preset.has_value())
        return failed ("it cannot be read as a preset file");

    const auto slot = slotOfFile (fileName, desc);

    if (! slot.has_value())
        return failed ("its name begins with no slot number and it records none, so no name can be "
                       "formed for it");

    auto renamed = *preset;
    renamed.name = newName;
    renamed.number = (juce::int16) *slot;
    const auto newFileName = presetFileName (renamed);

    // The slot the file records stays what it was, a number or not.
    auto content = renamed;
    content.number = (juce::int16) desc.getIntValue();

    const auto source = folderEntry (folder, fileName);
    const auto target = folderEntry (folder, newFileName);

    // Names that differ only in blanks form the same file name: only the content changes.
    if (newFileName == fileName)
    {
        const auto written = writeFileVerified (source, presetFileContent (content));
        return written ? PresetFileRename { juce::Result::ok(), newFileName } : failed (written.failure);
    }

    const auto taken = anythingAt (target);
    const auto caseOnly = taken && newFileName.equalsIgnoreCase (fileName) &&
                          ! hasEntrySpelt (source.getParentDirectory(), newFileName);

    if (taken && ! caseOnly)
        return failed (newFileName + " is there already", newFileName);

    juce::MemoryBlock before;

    if (! source.loadFileAsData (before))
        return failed ("it cannot be read");

    if (const auto written = writeFileVerified (source, presetFileContent (content)); ! written)
        return failed (written.failure);

    if (const auto moved = caseOnly ? moveToOtherCase (source, target) : moveWithoutReplacing (source, target);
        moved.failed())
    {
        // Someone took the name in between: the file goes back to what it held.
        writeFileVerified (source, before);
        return failed (newFileName + ": " + moved.getErrorMessage(), newFileName);
    }

    return { juce::Result::ok(), newFileName };
}
