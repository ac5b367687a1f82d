#pragma once

#include <juce_core/juce_core.h>

/*  The file-name safety rule of the preset folder.

    A preset's name comes from the device and ends up in a file name, and the folder operations
    take file names from their callers. The functions here keep the names the program forms to
    plain names, which mean the same single entry of the folder on Windows, macOS and Linux, and
    keep names handed in from reaching outside the folder. JUCE's File::createLegalFileName lets
    reserved device names, trailing dots and a leading "~" through, so the rule is our own.

    Pure functions of their arguments; any thread.
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
