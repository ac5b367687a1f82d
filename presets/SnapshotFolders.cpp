#include "presets/SnapshotFolders.h"

#include "presets/FilesystemPath.h"
#include "presets/PresetFile.h"
#include "presets/PresetFileName.h"

#include <filesystem>

namespace
{
    namespace fs = std::filesystem;

    // Colons are left out: some file systems cannot take them, and the folders may be copied to
    // one. The name is for the user; the order is the one the record gives.
    constexpr auto nameFormat = "%Y-%m-%d %H-%M-%S";

    constexpr auto recordTag = "TonarelSnapshot";

    // A record lists at most one job's presets; anything much larger is not one of ours.
    constexpr juce::int64 maxRecordBytes = 256 * 1024;

    fs::path pathOf (const juce::File& file)
    {
        return FilesystemPath::of (file);
    }

    /** What the entry itself is: a link is a link, wherever it points. */
    fs::file_type entryType (const juce::File& file)
    {
        std::error_code error;
        return fs::symlink_status (pathOf (file), error).type();
    }

    juce::File entryOf (const juce::File& folder, const juce::String& name)
    {
        return juce::File (folder.getFullPathName() + "/" + name);
    }

    /** A 64-bit FNV-1a hash of the content: enough to tell a file the user put in the place of
        the one written from that one.
    */
    juce::String fingerprintOf (const juce::MemoryBlock& content)
    {
        juce::uint64 hash = 14695981039346656037ull;

        for (size_t i = 0; i < content.getSize(); ++i)
        {
            hash ^= (juce::uint8) content[i];
            hash *= 1099511628211ull;
        }

        return juce::String::toHexString ((juce::int64) hash);
    }

    /** The folder's record, when it is a plain file made for this very folder. */
    std::unique_ptr<juce::XmlElement> readRecord (const juce::File& folder)
    {
        const auto file = entryOf (folder, SnapshotFolders::recordFileName);

        if (entryType (file) != fs::file_type::regular || file.getSize() > maxRecordBytes)
            return nullptr;

        auto record = juce::parseXML (file);

        // A folder copied under another name is a copy the user made.
        if (record == nullptr || ! record->hasTagName (recordTag) ||
            record->getStringAttribute ("folder") != folder.getFileName() || ! record->hasAttribute ("made"))
            return nullptr;

        return record;
    }

    VerifiedWrite writeRecord (const juce::File& folder, const juce::XmlElement& record)
    {
        const auto text = record.toString().toStdString();
        return writeFileVerified (entryOf (folder, SnapshotFolders::recordFileName),
                                  juce::MemoryBlock (text.data(), text.size()));
    }

    /** A snapshot folder the program made, with the record it keeps in it. */
    struct RecordedFolder
    {
        juce::File folder;
        juce::int64 madeMs = 0;
        std::unique_ptr<juce::XmlElement> record;
    };

    /** The folders the program made and recorded, oldest first by the time they record (two in
        one millisecond by their names, " (10)" after " (2)"). A folder recorded after now (a
        clock set back since, or a folder copied from a computer whose clock ran ahead) was made
        before now all the same: those come first. Links are passed over.
    */
    std::vector<RecordedFolder> recordedFoldersOldestFirst (const juce::File& snapshotsFolder, juce::Time now)
    {
        std::vector<RecordedFolder> folders;
        std::error_code error;

        for (fs::directory_iterator it (pathOf (snapshotsFolder), error), end; ! error && it != end;
             it.increment (error))
        {
            std::error_code typeError;

            if (it->symlink_status (typeError).type() != fs::file_type::directory)
                continue;

            const juce::File folder (FilesystemPath::text (it->path()));

            if (auto record = readRecord (folder))
            {
                const auto madeMs = record->getStringAttribute ("made").getLargeIntValue();
                folders.push_back ({ folder, madeMs, std::move (record) });
            }
        }

        std::sort (folders.begin(), folders.end(),
                   [nowMs = now.toMilliseconds()] (const RecordedFolder& a, const RecordedFolder& b)
                   {
                       const auto aAhead = a.madeMs > nowMs, bAhead = b.madeMs > nowMs;

                       if (aAhead != bAhead)
                           return aAhead;

                       if (a.madeMs != b.madeMs)
                           return a.madeMs < b.madeMs;

                       return a.folder.getFileName().compareNatural (b.folder.getFileName()) < 0;
                   });
        return folders;
    }

    juce::String resolvedPath (const juce::File& file)
    {
        std::error_code error;
        const auto resolved = fs::weakly_canonical (pathOf (file), error);
        return error ? file.getFullPathName() : FilesystemPath::text (resolved);
    }

    /** True when the folder is one of spared, or holds one: a job reads from it. */
    bool isSpared (const juce::File& folder, const juce::Array<juce::File>& spared)
    {
        const auto folderPath = resolvedPath (folder);

        for (const auto& keep : spared)
        {
            if (keep == juce::File())
                continue;

            const auto keepPath = resolvedPath (keep);

            if (keepPath == folderPath || keepPath.startsWith (folderPath + juce::File::getSeparatorString()))
                return true;
        }

        return false;
    }

    /** True when the entry is still the plain file the record says was written there. */
    bool isAsRecorded (const juce::File& file, const juce::XmlElement& entry)
    {
        juce::MemoryBlock content;

        return entryType (file) == fs::file_type::regular &&
               file.getSize() == entry.getStringAttribute ("size").getLargeIntValue() &&
               file.getSize() <= maxRecordBytes && file.loadFileAsData (content) &&
               fingerprintOf (content) == entry.getStringAttribute ("fingerprint");
    }

    void removeRecorded (const RecordedFolder& recorded)
    {
        for (const auto* entry : recorded.record->getChildWithTagNameIterator ("file"))
        {
            const auto name = entry->getStringAttribute ("name");

            if (! isFolderEntryName (name) || name == SnapshotFolders::recordFileName)
                continue;

            const auto file = entryOf (recorded.folder, name);

            if (isAsRecorded (file, *entry))
                file.deleteFile();
        }

        // What a snapshot cut short by a crash or a kill left behind.
        removeLeftoverTemporaryFiles (recorded.folder);

        // Without its record, whatever is left is the user's.
        entryOf (recorded.folder, SnapshotFolders::recordFileName).deleteFile();

        // Fails, and leaves the folder, when anything else is in it.
        recorded.folder.deleteFile();
    }
} // namespace

juce::File SnapshotFolders::create (const juce::File& snapshotsFolder, juce::Time when,
                                    const juce::File& folderInUse)
{
    if (! snapshotsFolder.createDirectory())
        return {};

    const auto name = when.formatted (nameFormat);
    auto folder = snapshotsFolder.getChildFile (name);

    // Made only where nothing is, not even a link: another job in the same second, even in
    // another process, gets a name of its own.
    for (int copy = 2;; ++copy)
    {
        std::error_code error;

        if (fs::create_directory (pathOf (folder), error))
            break;

        if (entryType (folder) == fs::file_type::not_found)
            return {};

        folder = snapshotsFolder.getChildFile (name + " (" + juce::String (copy) + ")");
    }

    juce::XmlElement record (recordTag);
    record.setAttribute ("folder", folder.getFileName());

    // Milliseconds since 1970 in UTC: no clock change of the local time reorders them.
    record.setAttribute ("made", juce::String (when.toMilliseconds()));

    if (! writeRecord (folder, record))
    {
        // A folder without a record would be the user's for good.
        folder.deleteFile();
        return {};
    }

    prune (snapshotsFolder, when, { folder, folderInUse });
    return folder;
}

VerifiedWrite SnapshotFolders::savePreset (const juce::File& snapshotFolder, const PresetData& preset)
{
    auto record = readRecord (snapshotFolder);

    if (record == nullptr)
        return { false, false, "the snapshot folder's record cannot be read" };

    const auto saved = writePresetFile (snapshotFolder.getFullPathName(), preset, PresetWriteMode::Overwrite);
    const auto file = entryOf (snapshotFolder, presetFileName (preset));
    juce::MemoryBlock content;

    if (! saved || ! file.loadFileAsData (content))
        return saved;

    // A slot saved again (a retried snapshot) replaces its entry.
    const auto fileName = file.getFileName();

    for (auto* old = record->getChildByAttribute ("name", fileName); old != nullptr;
         old = record->getChildByAttribute ("name", fileName))
        record->removeChildElement (old, true);

    auto* entry = record->createNewChildElement ("file");
    entry->setAttribute ("name", fileName);
    entry->setAttribute ("size", juce::String ((juce::int64) content.getSize()));
    entry->setAttribute ("fingerprint", fingerprintOf (content));

    // A record that could not be written leaves the file unlisted: it is then never removed,
    // which costs room, not presets. The snapshot itself is saved.
    const auto recorded = writeRecord (snapshotFolder, *record);

    auto outcome = saved;
    outcome.folderSynced = saved.folderSynced && (! recorded || recorded.folderSynced);
    return outcome;
}

void SnapshotFolders::prune (const juce::File& snapshotsFolder, juce::Time now,
                             const juce::Array<juce::File>& spared, int keep)
{
    const auto folders = recordedFoldersOldestFirst (snapshotsFolder, now);
    auto beyondKeep = (int) folders.size() - keep;

    for (const auto& recorded : folders)
    {
        if (beyondKeep <= 0)
            break;

        if (isSpared (recorded.folder, spared))
            continue;

        removeRecorded (recorded);
        --beyondKeep;
    }
}

juce::File SnapshotFolders::newest (const juce::File& snapshotsFolder, juce::Time now)
{
    const auto folders = recordedFoldersOldestFirst (snapshotsFolder, now);
    return folders.empty() ? juce::File() : folders.back().folder;
}
