#pragma once

#include "presets/PresetData.h"
#include "presets/VerifiedFileWrite.h"

/** The snapshots the librarian keeps of slots before it overwrites them: one folder per job,
    named by the moment it was made ("2026-12-08 14-05-31"), inside one snapshots folder. Each is
    an ordinary preset folder, so a slot is restored from it like from any saved set.

    Each folder the program makes holds a hidden record of when it was made and of each preset
    file saved into it. Only what is recorded is ever removed: a folder without a record (made by
    hand, copied in, or made by a version that kept none) belongs to the user and is left alone,
    and so is a file that is no longer what was written.
*/
namespace SnapshotFolders
{
    /** How many snapshot folders of the program's own are kept; older ones go when a new one is
        made.
    */
    inline constexpr int foldersKept = 50;

    /** The hidden file in which a snapshot folder records itself. */
    inline constexpr const char* recordFileName = ".tonarel-snapshot";

    /** Makes a new snapshot folder, with its record, for a job that starts at when; a name
        already taken (two jobs in one second) gets " (2)", " (3)" and so on. Then removes the
        oldest of the program's folders beyond foldersKept, never the new one and never
        folderInUse, the preset folder the job reads from, which may be an older snapshot.
        Returns the new folder, or none when it could not be made.
    */
    juce::File create (const juce::File& snapshotsFolder, juce::Time when,
                       const juce::File& folderInUse = {});

    /** Saves the preset into a folder that create made, under its usual file name, and adds the
        file to the folder's record.
    */
    VerifiedWrite savePreset (const juce::File& snapshotFolder, const PresetData& preset);

    /** Removes the oldest recorded snapshot folders beyond keep, passing over the folders in
        spared (and any folder holding one of them). The order is the time each records, except
        that folders recorded after now come first: they were made before now all the same, while
        the clock was ahead or on another computer. Of each folder it removes the recorded files
        that still hold what was written, then the record, then the folder if nothing else is
        left in it. Links are never followed, nor removed.
    */
    void prune (const juce::File& snapshotsFolder, juce::Time now, const juce::Array<juce::File>& spared,
                int keep = foldersKept);

    /** The newest of the program's own snapshot folders, in the order prune keeps (folders
        recorded after now count as the oldest); none when there is none. Folders without a
        record are the user's and never taken.
    */
    juce::File newest (const juce::File& snapshotsFolder, juce::Time now);
}
