#include "presets/VerifiedFileWrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace
{
    constexpr auto temporaryExtension = ".tonarel-partial";

    /** ".<target name>.<random>.tonarel-partial": hidden, under an extension no scan takes, and
        unique, so two writes to one target never share a temporary file.
    */
    juce::File temporaryFileFor (const juce::File& target)
    {
        for (;;)
        {
            const auto candidate = target.getSiblingFile (
                "." + target.getFileName() + "." +
                juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()) + temporaryExtension);

            if (! candidate.exists())
                return candidate;
        }
    }

    bool writeAndCompare (const juce::File& file, const juce::MemoryBlock& content)
    {
        {
            juce::FileOutputStream out (file);

            if (out.failedToOpen() || ! out.write (content.getData(), content.getSize()))
                return false;

            // On POSIX systems this is an fsync: the data is on the disk when it returns.
            out.flush();

            if (out.getStatus().failed())
                return false;
        }

        juce::MemoryBlock written;
        return file.loadFileAsData (written) && written == content;
    }

    /** A rename is only as durable as the folder entry that records it. */
    bool syncFolder (const juce::File& folder)
    {
        const auto descriptor = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY);

        if (descriptor < 0)
            return false;

        const auto synced = ::fsync (descriptor) == 0;
        ::close (descriptor);
        return synced;
    }
} // namespace

bool writeFileVerified (const juce::File& target, const juce::MemoryBlock& content)
{
    const auto temporary = temporaryFileFor (target);

    // No fallback to copying when the rename fails: a copy over the target is not atomic, and
    // the old file must stay whole unless the new one replaces it in one step.
    if (! writeAndCompare (temporary, content) ||
        std::rename (temporary.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0)
    {
        temporary.deleteFile();
        return false;
    }

    return syncFolder (target.getParentDirectory());
}

bool isTemporaryWriteFileName (const juce::String& fileName)
{
    return fileName.startsWithChar ('.') && fileName.endsWith (temporaryExtension);
}

void removeLeftoverTemporaryFiles (const juce::File& folder)
{
    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFiles, juce::File::FollowSymlinks::no))
        if (isTemporaryWriteFileName (entry.getFile().getFileName()))
            entry.getFile().deleteFile();
}
