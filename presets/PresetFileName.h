#pragma once

#include "presets/PresetData.h"

#include <juce_core/juce_core.h>

#include <optional>

/*  The file-name rules of the preset folder: the names saves and copies form, the slot a name
    stands for, and the safety rule every name the folder operations take must pass.

    A preset's name comes from the device and ends up in a file name, and the folder operations
    take file names from their callers. The functions here keep the names the program forms to
    plain names, which mean the same single entry of the folder on Windows, macOS and Linux, and
    keep names handed in from reaching outside the folder. JUCE's File::createLegalFileName lets
    reserved device names, trailing dots and a leading "~" through, so the rule is our own.

    Pure functions of their arguments, but for presetCopyFileName, which looks into the folder;
    any thread.
*/

/** True for a character that cannot stand in a file name on one of our platforms: the path
    separators, : * ? " < > | and the control characters.
*/
bool isUnsafeFileNameCharacter (juce::juce_wchar character) noexcept;

/** True for the names Windows keeps for its devices (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to
    LPT9, in any case), also with an extension ("nul.tnl") or blanks before it.
*/
bool isReservedDeviceName (const juce::String& fileName);

/** The name made plain with as little change as possible: unsafe characters, a leading "~" and
    trailing dots and blanks (which Windows strips) each become "_", and a reserved device name
    gets "_" in front. A name that is plain already comes back unchanged, so "." and ".." cannot
    survive and a name with the slot prefix and extension only ever has characters replaced.
*/
juce::String makePlainFileName (const juce::String& fileName);

/** True when makePlainFileName would leave fileName as it is. */
bool isPlainFileName (const juce::String& fileName);

/** True when fileName, put after a folder's path and "/", names an entry of that folder itself:
    not empty, not "." or "..", and without "/" or "\". Other characters are allowed, so files
    another program gave names such as "001_Caf?.tnl" stay usable where the system allows them.
*/
bool isFolderEntryName (const juce::String& fileName);

/** True for a folder path the preset-file functions take: not empty, and absolute. Every path
    is built as the folder, "/" and a plain name: File::getChildFile would read a leading "~" as
    the home folder, and an empty folder path would put files at the root.
*/
bool isUsableFolderPath (const juce::String& folder);

/** The entry fileName of folder, built as above; check both first. */
juce::File folderEntry (const juce::String& folder, const juce::String& fileName);

/** The file name a preset is saved under: its slot as three digits, "_", its name without
    blanks, ".tnl". Characters no file system of ours can take become "_", so an unnamed slot
    gives "NNN_.tnl".
*/
juce::String presetFileName (const PresetData& preset);

/** The number a file name stands for: its first three digits, a hundred more per "clone_" in
    front of them, or 999 for any other name.
*/
juce::int16 presetNumberFromFileName (const juce::String& fileName);

/** The device slot (1 to 99) a file name stands for, by presetNumberFromFileName; nothing for
    a name that stands for none (a clone's, or any other). Saves name their files this way, so
    it is how a file finds its way back to its slot.
*/
std::optional<int> presetSlotFromFileName (const juce::String& fileName);

/** The full path of the first free copy name ("copy1_…", "copy2_…") for fileName; empty when
    fileName is no plain entry of folder or folder is not an absolute path.
*/
juce::String presetCopyFileName (const juce::String& folder, const juce::String& fileName);
