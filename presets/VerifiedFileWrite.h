#pragma once

#include <juce_core/juce_core.h>

/** Replaces a file's whole content durably, or leaves the old file as it was.

    The content goes to a temporary file beside the target first, is flushed to the disk and read
    back, because FileOutputStream can lose the end of a write without saying so (a full disk, a
    file size limit); only a copy known to be whole is renamed over the target, and the folder is
    then flushed too, so that the new name survives a power cut. Returns whether the target now
    holds exactly the content, on the disk.

    The temporary file is hidden and ends in its own extension, so a write cut short by a crash or
    a kill never leaves anything a folder scan would take for a preset or a configuration; such
    leftovers are removed by removeLeftoverTemporaryFiles.
*/
bool writeFileVerified (const juce::File& target, const juce::MemoryBlock& content);

/** True for the name of a temporary file that writeFileVerified makes. */
bool isTemporaryWriteFileName (const juce::String& fileName);

/** Removes the temporary files that writes into folder left behind when they were cut short. */
void removeLeftoverTemporaryFiles (const juce::File& folder);
