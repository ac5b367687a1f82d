#pragma once

#include <juce_core/juce_core.h>

/** Why a preset file could not be read or saved, in the words a notice gives after the file's
    name ("… could not be read as a preset file: it is empty."). Asked only after a read or a
    write has failed, so the answer describes the file as it is then. Any thread.
*/
namespace PresetFileProblems
{
    /** Why file is no preset file that can be read: gone, empty, unopenable, no XML, … */
    juce::String whyUnreadable (const juce::File& file);

    /** Why a preset file named fileName could not be saved in folder: a file or folder in the
        way, a folder that cannot be written (read-only, no permission), a full disk, …
    */
    juce::String whyNotSaved (const juce::File& folder, const juce::String& fileName);
}
