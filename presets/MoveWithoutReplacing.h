#pragma once

#include <juce_core/juce_core.h>

/** Gives a file a new name in one step of the file system, and only where nothing is: when
    anything is at the new name already (a file, a folder, a link) the move fails and changes
    nothing, so no file is ever replaced by it, not even one made a moment before by another
    program. The folder is flushed afterwards, so that the new name survives a power cut. Both
    names must be in the same folder (on the same disk). Any thread.

    The platforms' ways of doing it side by side: renameat2 with RENAME_NOREPLACE on Linux (with
    a hard link and an unlink where the file system cannot do that), renamex_np with RENAME_EXCL
    on macOS, and MoveFileEx without MOVEFILE_REPLACE_EXISTING on Windows.
*/
juce::Result moveWithoutReplacing (const juce::File& from, const juce::File& to);
