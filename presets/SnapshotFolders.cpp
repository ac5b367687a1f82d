#include "presets/SnapshotFolders.h"

#include "presets/PresetData.h"

#include <regex>

namespace
{
    // Sorting these names sorts the folders by age. Colons are left out: some file systems
    // cannot take them, and the folders may be copied to one.
    constexpr auto nameFormat = "%Y-%m-%d %H-%M-%S";

    bool isSnapshotFolderName (const juce::String& name)
    {
        static const std::regex pattern (R"(\d{4}-\d{2}-\d{2} \d{2}-\d{2}-\d{2}( \(\d+\))?)");
        return std::regex_match (name.toStdString(), pattern);
    }

    juce::Array<juce::File> snapshotFoldersOldestFirst (const juce::File& snapshotsFolder)
    {
        juce::Array<juce::File> folders;

        for (const auto& entry :
             juce::RangedDirectoryIterator (snapshotsFolder, false, "*", juce::File::findDirectories))
            if (isSnapshotFolderName (entry.getFile().getFileName()))
                folders.add (entry.getFile());

        // " (2)" sorts after the plain name of the same second, as it was made after it.
        std::sort (folders.begin(), folders.end(),
                   [] (const juce::File& a, const juce::File& b)
                   { return a.getFileName() < b.getFileName(); });
        return folders;
    }

    void removeSnapshotFolder (const juce::File& folder)
    {
        for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFiles))
            if (entry.getFile().getFileName().endsWithIgnoreCase (kPresetFileExtension))
                entry.getFile().deleteFile();

        // Fails, and leaves the folder, when anything else is in it.
        folder.deleteFile();
    }
}

juce::File SnapshotFolders::create (const juce::File& snapshotsFolder, juce::Time when)
{
    if (! snapshotsFolder.createDirectory())
        return {};

    const auto name = when.formatted (nameFormat);
    auto folder = snapshotsFolder.getChildFile (name);

    for (int copy = 2; folder.exists(); ++copy)
        folder = snapshotsFolder.getChildFile (name + " (" + juce::String (copy) + ")");

    if (! folder.createDirectory())
        return {};

    prune (snapshotsFolder);
    return folder;
}

void SnapshotFolders::prune (const juce::File& snapshotsFolder, int keep)
{
    const auto folders = snapshotFoldersOldestFirst (snapshotsFolder);

    for (int i = 0; i < folders.size() - keep; ++i)
        removeSnapshotFolder (folders.getReference (i));
}
