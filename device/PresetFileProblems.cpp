#include "device/PresetFileProblems.h"

namespace
{
    /** What writing a small file into folder meets, as the system words it; empty when it works.
        The file's name begins with a dot, which no preset scan lists, and it is removed again.
    */
    juce::String problemWritingInto (const juce::File& folder)
    {
        const auto probe = folder.getNonexistentChildFile (".tonarel-write-check", ".tmp", false);
        juce::String problem;

        {
            juce::FileOutputStream stream (probe);

            if (! stream.failedToOpen())
            {
                stream.writeByte ('\n');
                stream.flush();
            }

            if (stream.getStatus().failed())
                problem = stream.getStatus().getErrorMessage();
        }

        probe.deleteFile();
        return problem;
    }
} // namespace

juce::String PresetFileProblems::whyUnreadable (const juce::File& file)
{
    if (file.isDirectory())
        return "it is a folder";

    if (! file.existsAsFile())
        return "it is gone";

    if (file.getSize() == 0)
        return "it is empty";

    if (juce::FileInputStream stream (file); stream.failedToOpen())
        return "it cannot be opened (" + stream.getStatus().getErrorMessage() + ")";

    if (juce::parseXML (file) == nullptr)
        return "it holds no whole XML document (cut short, or not a preset file)";

    return "it is not a preset file of a kind this program reads";
}

juce::String PresetFileProblems::whyNotSaved (const juce::File& folder, const juce::String& fileName)
{
    if (folder.existsAsFile())
        return "a file of the folder's name is in the way";

    if (! folder.isDirectory())
        return "the folder is gone";

    if (folder.getChildFile (fileName).isDirectory())
        return "a folder of that name is in the way";

    if (folder.getBytesFreeOnVolume() == 0)
        return "the disk is full";

    if (const auto problem = problemWritingInto (folder); problem.isNotEmpty())
        return "the folder cannot be written (" + problem + ")";

    return "the file could not be written";
}
