#pragma once

#include "librarian/ListModel.h"
#include "presets/PresetListEntries.h"

#include <optional>

/** The preset folder as the librarian lists it: the folder, one entry per readable preset file
    in the order of the files' names, the filter on the presets' and files' names, and the files
    selected, kept by file name.

    A scan lists the whole folder and hands the entries over in one go, so the list is told
    once, not once per file. Owned by the librarian panel, drawn by the computer list
    (PresetLocal). Used on the message thread only.
*/
class PresetFilesModel final : public ListModel<LocalPresetEntry, juce::String>
{
public:
    PresetFilesModel() = default;

    /** The folder listed last; juce::File() before the first scan. */
    const juce::File& getFolder() const noexcept { return folder; }

    /** The folder's full path, as the preset-file functions take it. */
    juce::String getFolderPath() const { return folder.getFullPathName(); }

    /** Lists the preset files of a folder that read as presets, after taking away what a save
        that was cut short (a crash, a kill, a power cut) left behind. Returns the version of
        the last file listed, none when no file was.
    */
    std::optional<juce::int16> scan (const juce::File& folderToList);

    /** Shows a folder's listing. The files selected stay selected where they are still listed;
        in another folder a file of the same name is another file, and nothing stays selected.
    */
    void showListing (const juce::File& listedFolder, juce::Array<LocalPresetEntry> listing);

    /** Selects exactly the files given that are listed and shown. */
    void selectFiles (const juce::StringArray& fileNames);

    /** The names of all files listed, also those the filter hides, in the list's order. */
    juce::StringArray getAllFileNames() const;

    /** The names of the files selected, in the order the list shows them. */
    juce::StringArray getSelectedFileNames() const;

    juce::String keyOf (const LocalPresetEntry& entry) const override { return entry.fileName; }

private:
    bool matchesFilter (const LocalPresetEntry& entry, const juce::String& lowerCaseText) const override;

    juce::File folder;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetFilesModel)
};
