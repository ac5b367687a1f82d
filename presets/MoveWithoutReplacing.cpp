#include "presets/MoveWithoutReplacing.h"

#if JUCE_WINDOWS
#include "presets/WindowsApi.h"
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace
{
#if JUCE_WINDOWS
    juce::Result moveInOneStep (const juce::File& from, const juce::File& to)
    {
        // Without MOVEFILE_REPLACE_EXISTING the move fails when the new name is taken; write-through
        // returns only once the move is on the disk.
        if (MoveFileExW (from.getFullPathName().toWideCharPointer(), to.getFullPathName().toWideCharPointer(),
                         MOVEFILE_WRITE_THROUGH))
            return juce::Result::ok();

        const auto error = GetLastError();
        return juce::Result::fail (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                                       ? juce::String ("a file of that name is there already")
                                       : "the system refused (error " + juce::String ((int) error) + ")");
    }

    void flushFolder (const juce::File&) {}
#else
    juce::Result failure (int error)
    {
        return juce::Result::fail (error == EEXIST ? juce::String ("a file of that name is there already")
                                                   : juce::String (std::strerror (error)));
    }

    /** Where the file system has no exclusive rename: a second link made only where nothing is,
        then the old one removed. Between the two the file has both names, never neither.
    */
    juce::Result linkThenUnlink (const char* from, const char* to)
    {
        if (::link (from, to) != 0)
            return failure (errno);

        if (::unlink (from) != 0)
        {
            const auto error = errno;
            ::unlink (to);
            return failure (error);
        }

        return juce::Result::ok();
    }

    juce::Result moveInOneStep (const juce::File& from, const juce::File& to)
    {
        const auto fromPath = from.getFullPathName().toRawUTF8();
        const auto toPath = to.getFullPathName().toRawUTF8();

#if JUCE_MAC
        if (::renamex_np (fromPath, toPath, RENAME_EXCL) == 0)
            return juce::Result::ok();
#else
        if (::renameat2 (AT_FDCWD, fromPath, AT_FDCWD, toPath, RENAME_NOREPLACE) == 0)
            return juce::Result::ok();
#endif

        const auto error = errno;

        if (error == EINVAL || error == ENOSYS || error == ENOTSUP)
            return linkThenUnlink (fromPath, toPath);

        return failure (error);
    }

    void flushFolder (const juce::File& folder)
    {
        // A rename is only as durable as the folder entry that records it.
        const auto descriptor = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY);

        if (descriptor >= 0)
        {
            ::fsync (descriptor);
            ::close (descriptor);
        }
    }
#endif
} // namespace

juce::Result moveWithoutReplacing (const juce::File& from, const juce::File& to)
{
    jassert (from.getParentDirectory() == to.getParentDirectory());

    const auto moved = moveInOneStep (from, to);

    if (moved.wasOk())
        flushFolder (to.getParentDirectory());

    return moved;
}
