#include "librarian/PresetFilesModel.h"

#include "presets/PresetFile.h"
#include "presets/VerifiedFileWrite.h"

bool PresetFilesModel::matchesFilter (const LocalPresetEntry& entry, const juce::String& lowerCaseText) const
{
    return entry.name.toLowerCase().contains (lowerCaseText) ||
           entry.fileName.toLowerCase().contains (lowerCaseText);
}

std::optional<juce::int16> PresetFilesModel::scan (const juce::File& folderToList)
{
    removeLeftoverTemporaryFiles (folderToList);

    const auto folderPath = folderToList.getFullPathName();
    const auto fileNames = listPresetFileNames (folderToList);
    juce::Array<LocalPresetEntry> listing;
    std::optional<juce::int16> lastVersion;
    listing.ensureStorageAllocated (fileNames.size());

    for (const auto& fileName : fileNames)
    {
        if (const auto preset = readPresetFile (folderPath, fileName))
        {
            listing.add ({ preset->name, fileName });
            lastVersion = preset->version;
        }
    }

    showListing (folderToList, std::move (listing));
    return lastVersion;
}

void PresetFilesModel::showListing (const juce::File& listedFolder, juce::Array<LocalPresetEntry> listing)
{
    const auto sameFolder = listedFolder == folder;
    folder = listedFolder;
    replaceEntries (std::move (listing), sameFolder);
}

void PresetFilesModel::selectFiles (const juce::StringArray& fileNames)
{
    setSelection (std::set<juce::String> (fileNames.begin(), fileNames.end()));
}

juce::StringArray PresetFilesModel::getAllFileNames() const
{
    juce::StringArray names;

    for (const auto& entry : getEntries())
        names.add (entry.fileName);

    return names;
}

juce::StringArray PresetFilesModel::getSelectedFileNames() const
{
    juce::StringArray names;

    for (const auto& entry : getSelectedEntries())
        names.add (entry.fileName);

    return names;
}
