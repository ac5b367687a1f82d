#pragma once

#include <juce_core/juce_core.h>

/** What renaming a preset file did: the file's new name, or why nothing was changed. */
struct PresetFileRename
{
    juce::Result result = juce::Result::ok();
    juce::String newFileName;
};

/** Gives the preset of a file of folder a new name: the name goes into the file, and the file
    takes the name the save rule forms for it (its slot, "_", the name without blanks, ".tnl").
    The slot is the one the file's name begins with, or else the one the file records.

    Nothing is changed when the file cannot be read as a preset, stands for no slot, or when a
    file of the new name is there already; the file is never written over another. The new
    content goes into the file durably first and the file is then renamed in one step that
    cannot replace anything, so whatever happens in between the preset is in the folder once,
    whole, under one of its two names. The rest of the file (its version, parameters and the
    slot it records) is kept. Any thread; the caller keeps others out of the folder meanwhile.
*/
PresetFileRename renamePresetFile (const juce::String& folder, const juce::String& fileName,
                                   const juce::String& newName);
