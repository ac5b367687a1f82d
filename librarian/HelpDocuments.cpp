// Where the help documents are installed: the Linux and Windows layouts side by side.

#include "librarian/HelpDocuments.h"

juce::File findHelpDocument (const juce::File& programFolder, const juce::String& fileName)
{
    const auto besideProgram = programFolder.getChildFile (fileName);

#if JUCE_WINDOWS
    // The installer puts the help documents in the program's own folder.
    return besideProgram;
#else
    if (besideProgram.existsAsFile())
        return besideProgram;

    const auto installed = programFolder.getChildFile ("../share/doc/tonarelutil").getChildFile (fileName);
    return installed.existsAsFile() ? installed : besideProgram;
#endif
}
