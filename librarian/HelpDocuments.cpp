#include "librarian/HelpDocuments.h"

juce::File findHelpDocument (const juce::File& programFolder, const juce::String& fileName)
{
    const auto besideProgram = programFolder.getChildFile (fileName);

    if (besideProgram.existsAsFile())
        return besideProgram;

    const auto installed = programFolder.getChildFile ("../share/doc/tonarelutil").getChildFile (fileName);
    return installed.existsAsFile() ? installed : besideProgram;
}
