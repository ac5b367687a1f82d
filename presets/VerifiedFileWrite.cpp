// Replacing a file durably, and knowing a temporary file whose writer is gone: the one place of
// the platform's file calls for both.

#include "presets/VerifiedFileWrite.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace
{
    constexpr auto temporaryExtension = ".tonarel-partial";

    juce::Result failureFromErrno()
    {
        return juce::Result::fail (std::strerror (errno));
    }

    /** ".<target name>.<random>.tonarel-partial": hidden, under an extension no scan takes, and
        unique, so two writes to one target never share a temporary file.
    */
    juce::File temporaryNameFor (const juce::File& target)
    {
        return target.getSiblingFile (
            "." + target.getFileName() + "." +
            juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()) + temporaryExtension);
    }

    /** Locks the open file; false when another holds the lock (and wait is false) or the file
        system keeps no locks.
    */
    bool lockFile (int descriptor, bool wait)
    {
        while (::flock (descriptor, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0)
            if (errno != EINTR)
                return false;

        return true;
    }

    /** True when path still names the open file: no one removed or replaced it meanwhile. */
    bool isStillNamed (int descriptor, const juce::File& file)
    {
        struct stat opened, named;
        return ::fstat (descriptor, &opened) == 0 &&
               ::lstat (file.getFullPathName().toRawUTF8(), &named) == 0 && opened.st_dev == named.st_dev &&
               opened.st_ino == named.st_ino;
    }

    /** The temporary file of one write, open and locked from the moment it is made until the
        rename that ends the write: the lock is how a later clean-up tells a leftover of a write
        that was cut short from the file of a write still at work, in this process or another.
    */
    struct TemporaryFile
    {
        ~TemporaryFile()
        {
            if (descriptor >= 0)
                ::close (descriptor);
        }

        juce::Result create (const juce::File& target)
        {
            for (int tries = 0; tries < 100; ++tries)
            {
                file = temporaryNameFor (target);
                descriptor = ::open (file.getFullPathName().toRawUTF8(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);

                if (descriptor < 0 && errno != EEXIST)
                    return failureFromErrno();

                // A clean-up that locked the new file first may have removed it: take another
                // name. A file system without locks still takes the file.
                if (descriptor >= 0 && (! lockFile (descriptor, true) || isStillNamed (descriptor, file)))
                    return juce::Result::ok();

                if (descriptor >= 0)
                    ::close (descriptor);

                descriptor = -1;
            }

            return juce::Result::fail ("no temporary file could be made beside it");
        }

        juce::Result writeAll (const juce::MemoryBlock& content) const
        {
            const auto* bytes = static_cast<const char*> (content.getData());
            auto left = content.getSize();

            while (left > 0)
            {
                const auto written = ::write (descriptor, bytes, left);

                if (written < 0 && errno == EINTR)
                    continue;

                if (written <= 0)
                    return written < 0 ? failureFromErrno()
                                       : juce::Result::fail ("the disk took only part of it");

                bytes += written;
                left -= (size_t) written;
            }

            // The data is on the disk when this returns; a full disk may only say so here.
            return ::fsync (descriptor) == 0 ? juce::Result::ok() : failureFromErrno();
        }

        int descriptor = -1;
        juce::File file;
    };

    /** FileOutputStream could lose the end of a write without saying so (a full disk, a file
        size limit), so what was written is read back before it replaces anything.
    */
    juce::Result writeAndCompare (const TemporaryFile& temporary, const juce::MemoryBlock& content)
    {
        if (const auto written = temporary.writeAll (content); written.failed())
            return written;

        juce::MemoryBlock readBack;

        if (! temporary.file.loadFileAsData (readBack) || readBack != content)
            return juce::Result::fail ("what was written did not read back the same");

        return juce::Result::ok();
    }

    /** A rename is only as durable as the folder entry that records it. */
    bool syncFolder (const juce::File& folder)
    {
        const auto descriptor =
            ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

        if (descriptor < 0)
            return false;

        const auto synced = ::fsync (descriptor) == 0;
        ::close (descriptor);
        return synced;
    }

    /** Removes a temporary file when no write holds it; false when one does, or it is not a
        plain file.
    */
    bool removeIfNoWriter (const juce::File& file)
    {
        const auto descriptor =
            ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);

        if (descriptor < 0)
            return false;

        struct stat status;
        const auto removed = ::fstat (descriptor, &status) == 0 && S_ISREG (status.st_mode) &&
                             lockFile (descriptor, false) && isStillNamed (descriptor, file) &&
                             ::unlink (file.getFullPathName().toRawUTF8()) == 0;
        ::close (descriptor);
        return removed;
    }
} // namespace

VerifiedWrite writeFileVerified (const juce::File& target, const juce::MemoryBlock& content)
{
    TemporaryFile temporary;
    VerifiedWrite outcome;

    // No fallback to copying when the rename fails: a copy over the target is not atomic, and
    // the old file must stay whole unless the new one replaces it in one step.
    if (const auto made = temporary.create (target); made.failed())
        outcome.failure = made.getErrorMessage();
    else if (const auto written = writeAndCompare (temporary, content); written.failed())
        outcome.failure = written.getErrorMessage();
    else if (std::rename (temporary.file.getFullPathName().toRawUTF8(),
                          target.getFullPathName().toRawUTF8()) != 0)
        outcome.failure = std::strerror (errno);

    if (outcome.failure.isNotEmpty())
    {
        if (temporary.descriptor >= 0)
            temporary.file.deleteFile();

        return outcome;
    }

    // The file is in place now, whatever becomes of the flush of its folder.
    outcome.written = true;
    outcome.folderSynced = syncFolder (target.getParentDirectory());
    return outcome;
}

bool isTemporaryWriteFileName (const juce::String& fileName)
{
    if (! fileName.startsWithChar ('.') || ! fileName.endsWith (temporaryExtension))
        return false;

    const auto withoutExtension = fileName.dropLastCharacters ((int) std::strlen (temporaryExtension));
    const auto random = withoutExtension.fromLastOccurrenceOf (".", false, false);

    return withoutExtension.lastIndexOfChar ('.') > 1 && random.length() >= 1 && random.length() <= 16 &&
           random.containsOnly ("0123456789abcdef");
}

int removeLeftoverTemporaryFiles (const juce::File& folder)
{
    auto removed = 0;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFiles,
                                                            juce::File::FollowSymlinks::no))
        if (isTemporaryWriteFileName (entry.getFile().getFileName()) && removeIfNoWriter (entry.getFile()))
            ++removed;

    return removed;
}
