#pragma once

#include "presets/PresetData.h"
#include "presets/PresetFileName.h"
#include "presets/VerifiedFileWrite.h"

#include <optional>

/*  Preset files: one small XML document per preset, in a preset folder on the computer.

    Every function takes the folder as a full path without a trailing separator and a file name
    that must name an entry of that folder itself; anything else (an empty or relative folder,
    "..", a name with a separator) is refused, so a name taken from a list or a device can never
    reach outside the folder. Writes go through a hidden temporary file and a rename, so a save
    that is cut short never leaves a spoilt preset behind.

    Stateless: any thread, but two at once on the same folder is the caller's business. The
    transfer worker uses them during a job and the message thread otherwise; the job's modal
    progress window keeps the user out meanwhile.
*/

/** True when the file the preset would be saved under exists in folder. */
bool presetFileExists (const juce::String& folder, const PresetData& preset);

/** Saves the preset under presetFileName (preset), or under the first free copy name. Skip
    writes nothing and succeeds. Fails when nothing could be written: a slot outside 1 to 99, an
    unusable folder, or a failed write (which leaves any earlier file as it was).
*/
VerifiedWrite writePresetFile (const juce::String& folder, const PresetData& preset, PresetWriteMode mode);

/** The document writePresetFile writes for the preset: its "desc" is preset.number. */
juce::MemoryBlock presetFileContent (const PresetData& preset);

/** Reads a preset file; the preset is in no slot (number 0) until it is sent to one. When desc
    is given it receives the slot the file says the preset was read from. Nothing for a file that
    is missing, too large, not a regular file, cut short, not XML or not a preset.
*/
std::optional<PresetData> readPresetFile (const juce::String& folder, const juce::String& fileName,
                                          juce::String* desc = nullptr);

/** The folder's preset files in the order of their names, without regard to case. The
    extension is matched without regard to case on every system, which JUCE's wildcards do not
    do where file names are case-sensitive.

    The order matters: "<< Load All" sends the k-th file into the k-th slot, and a saved set's
    names begin with their slot numbers, so this order puts every preset of a saved set back
    where it came from. Many file systems list a directory in no useful order.
*/
juce::StringArray listPresetFileNames (const juce::File& folder);

/** What copying a preset file did: the copy's name within the folder, or why there is none. */
struct PresetFileCopy
{
    juce::String fileName;
    juce::String failure;

    bool failed() const noexcept { return fileName.isEmpty(); }
};

/** Copies a preset file of folder under its first free copy name, as durably as a save. */
PresetFileCopy copyPresetFile (const juce::String& folder, const juce::String& fileName);

/** Removes a preset file of folder (a link, not what it points to); the failure says why not. A
    file that is not there any more is no failure.
*/
juce::Result deletePresetFile (const juce::String& folder, const juce::String& fileName);
