#pragma once

#include <juce_core/juce_core.h>

/** Replaces a file's whole content, or leaves the old file as it was.

    The content goes to a temporary file beside the target first and is read back, because
    FileOutputStream can lose the end of a write without saying so (a full disk, a file size
    limit); only a copy known to be whole is moved over the target. Returns whether the target
    now holds exactly the content.
*/
bool writeFileVerified (const juce::File& target, const juce::MemoryBlock& content);
