#pragma once

#include <juce_core/juce_core.h>

/** The snapshots the librarian keeps of slots before it overwrites them: one folder per job,
    named by the moment it was made ("2026-12-08 14-05-31"), inside one snapshots folder. Each is
    an ordinary preset folder, so a slot is restored from it like from any saved set.
*/
namespace SnapshotFolders
{
    /** How many snapshot folders are kept; older ones go when a new one is made. */
    inline constexpr int foldersKept = 50;

    /** Makes a new, empty snapshot folder for a job that starts at when; a name already taken
        (two jobs in one second) gets " (2)", " (3)" and so on. Then removes the oldest folders
        beyond foldersKept. Returns the new folder, or none when it could not be made.
    */
    juce::File create (const juce::File& snapshotsFolder, juce::Time when);

    /** Removes the oldest snapshot folders beyond keep. Only folders named as this code names
        them are counted, and only the preset files in them are deleted: a folder the user has put
        anything else into keeps that and stays.
    */
    void prune (const juce::File& snapshotsFolder, int keep = foldersKept);
}
