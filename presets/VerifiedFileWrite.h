#pragma once

#include <juce_core/juce_core.h>

/** What writeFileVerified did. The target is replaced or it is not; a folder that could not be
    flushed afterwards is worth a note, but the file is there, whole and read back, and a caller
    that took it for a failed save would only save it again under another name.
*/
struct VerifiedWrite
{
    /** The target holds exactly the content. */
    bool written = false;

    /** The folder entry of the new file was flushed to the disk too, so the new name survives a
        power cut; false on file systems whose folders cannot be flushed.
    */
    bool folderSynced = false;

    /** Why nothing was written, in the system's words; empty when written. */
    juce::String failure;

    explicit operator bool() const noexcept { return written; }
};

/** Replaces a file's whole content durably, or leaves the old file as it was.

    The content goes to a temporary file beside the target first, is flushed to the disk and read
    back; only a copy known to be whole is renamed over the target, and the folder is then flushed
    too, so that the new name survives a power cut.

    The temporary file is hidden and ends in its own extension, so a write cut short by a crash or
    a kill never leaves anything a folder scan would take for a preset or a configuration; such
    leftovers are removed by removeLeftoverTemporaryFiles.
*/
VerifiedWrite writeFileVerified (const juce::File& target, const juce::MemoryBlock& content);

/** True for the name of a temporary file that writeFileVerified makes:
    ".<target name>.<hexadecimal number>.tonarel-partial".
*/
bool isTemporaryWriteFileName (const juce::String& fileName);

/** Removes the temporary files that writes into folder left behind when they were cut short (a
    crash, a kill, a power cut), and returns how many. Only plain files of writeFileVerified's own
    name pattern go, and only those no write holds: a write keeps its temporary file locked from
    the moment it makes it until it renames it, and another program of ours may be writing into
    the same folder this moment. (Where locks do not reach other computers, on some network
    disks, a save from another computer at that moment could fail, and say so; the file it
    replaces stays whole.)
*/
int removeLeftoverTemporaryFiles (const juce::File& folder);
