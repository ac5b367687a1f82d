#pragma once

#include <juce_core/juce_core.h>

/** The help document fileName of a program that runs from programFolder.

    It is looked for beside the program first (a build folder, or a copy the user keeps with
    the program), then in the documentation folder of an installed program: with the program in
    <prefix>/bin, that is <prefix>/share/doc/tonarelutil, where the install rules put it. The
    folder is found from the program's own place, so an installation moved to another prefix
    still finds its help. When neither holds the document, the file beside the program is
    returned, so that the error the caller shows names a place. On Windows the installer puts the
    documents beside the programs, and they are looked for there alone.
*/
juce::File findHelpDocument (const juce::File& programFolder, const juce::String& fileName);
