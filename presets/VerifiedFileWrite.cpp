#include "presets/VerifiedFileWrite.h"

namespace
{
    bool writeAndCompare (const juce::File& file, const juce::MemoryBlock& content)
    {
        {
            juce::FileOutputStream out (file);

            if (out.failedToOpen() || ! out.write (content.getData(), content.getSize()))
                return false;

            out.flush();

            if (out.getStatus().failed())
                return false;
        }

        juce::MemoryBlock written;
        return file.loadFileAsData (written) && written == content;
    }
}

bool writeFileVerified (const juce::File& target, const juce::MemoryBlock& content)
{
    juce::TemporaryFile temporary (target);
    return writeAndCompare (temporary.getFile(), content) && temporary.overwriteTargetFileWithTemporary();
}
