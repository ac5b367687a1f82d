// Appending to a shared log: the Linux and Windows halves of the file calls side by side.

#include "device/LogFileAppend.h"

#if JUCE_WINDOWS
#include "presets/WindowsApi.h"

namespace
{
    /** The log opened for appending only, so that each write lands whole at the end; shared for
        deleting, so that another writer can roll it over while it is open here. Closed, and so
        unlocked, when it goes.
    */
    struct OpenLog
    {
        OpenLog (const juce::File& file, DWORD disposition)
            : handle (CreateFileW (file.getFullPathName().toWideCharPointer(),
                                   FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   disposition, FILE_ATTRIBUTE_NORMAL, nullptr))
        {
        }

        ~OpenLog()
        {
            if (handle != INVALID_HANDLE_VALUE)
                CloseHandle (handle);
        }

        const HANDLE handle;

        JUCE_DECLARE_NON_COPYABLE (OpenLog)
    };

    /** Locks are mandatory here: one over the content would fail the others' appends, so the
        lock lies far beyond any content, where no write goes.
    */
    bool lockLog (HANDLE file)
    {
        OVERLAPPED range {};
        range.OffsetHigh = 0x7fffffff;
        return LockFileEx (file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range) != 0;
    }

    /** True when the path still names the file that is open: no one rolled it over meanwhile. */
    bool isStillNamed (HANDLE opened, const juce::File& file, juce::int64& size)
    {
        const OpenLog named (file, OPEN_EXISTING);
        BY_HANDLE_FILE_INFORMATION openedInfo {}, namedInfo {};

        if (named.handle == INVALID_HANDLE_VALUE || ! GetFileInformationByHandle (opened, &openedInfo) ||
            ! GetFileInformationByHandle (named.handle, &namedInfo))
            return false;

        size = (juce::int64) (((juce::uint64) openedInfo.nFileSizeHigh << 32) | openedInfo.nFileSizeLow);
        return openedInfo.dwVolumeSerialNumber == namedInfo.dwVolumeSerialNumber &&
               openedInfo.nFileIndexHigh == namedInfo.nFileIndexHigh &&
               openedInfo.nFileIndexLow == namedInfo.nFileIndexLow;
    }
} // namespace

bool appendLogLine (const juce::File& logFile, const juce::String& line, juce::int64 rollOverBytes,
                    const juce::File& olderFile)
{
    const auto bytes = line.toStdString();

    // Each pass that does not write follows another writer's roll-over, or makes one; a few are
    // plenty, and a log is never worth waiting long for.
    for (int pass = 0; pass < 8; ++pass)
    {
        const OpenLog log (logFile, OPEN_ALWAYS);
        juce::int64 size = 0;

        if (log.handle == INVALID_HANDLE_VALUE || ! lockLog (log.handle))
            return false;

        if (! isStillNamed (log.handle, logFile, size))
            continue;

        if (size > 0 && size + (juce::int64) bytes.size() > rollOverBytes)
        {
            if (! MoveFileExW (logFile.getFullPathName().toWideCharPointer(),
                               olderFile.getFullPathName().toWideCharPointer(), MOVEFILE_REPLACE_EXISTING))
                return false;

            continue;
        }

        DWORD written = 0;
        return WriteFile (log.handle, bytes.data(), (DWORD) bytes.size(), &written, nullptr) &&
               written == (DWORD) bytes.size();
    }

    return false;
}

#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    /** An open file, closed (and so unlocked) when it goes. */
    struct OpenFile
    {
        explicit OpenFile (const char* path)
            : descriptor (::open (path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644))
        {
        }

        ~OpenFile()
        {
            if (descriptor >= 0)
                ::close (descriptor);
        }

        const int descriptor;

        JUCE_DECLARE_NON_COPYABLE (OpenFile)
    };

    bool lockWholeFile (int descriptor)
    {
        while (::flock (descriptor, LOCK_EX) != 0)
            if (errno != EINTR)
                return false;

        return true;
    }

    /** True when the path still names the file that is open: no one rolled it over meanwhile. */
    bool isStillNamed (int descriptor, const char* path, struct stat& opened)
    {
        struct stat named;
        return ::fstat (descriptor, &opened) == 0 && ::stat (path, &named) == 0 &&
               named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
    }
} // namespace

bool appendLogLine (const juce::File& logFile, const juce::String& line, juce::int64 rollOverBytes,
                    const juce::File& olderFile)
{
    const auto path = logFile.getFullPathName().toStdString();
    const auto olderPath = olderFile.getFullPathName().toStdString();
    const auto bytes = line.toStdString();

    // Each pass that does not write follows another writer's roll-over, or makes one; a few are
    // plenty, and a log is never worth waiting long for.
    for (int pass = 0; pass < 8; ++pass)
    {
        const OpenFile log (path.c_str());
        struct stat opened;

        if (log.descriptor < 0 || ! lockWholeFile (log.descriptor))
            return false;

        if (! isStillNamed (log.descriptor, path.c_str(), opened))
            continue;

        if (opened.st_size > 0 && (juce::int64) opened.st_size + (juce::int64) bytes.size() > rollOverBytes)
        {
            if (::rename (path.c_str(), olderPath.c_str()) != 0)
                return false;

            continue;
        }

        return ::write (log.descriptor, bytes.data(), bytes.size()) == (ssize_t) bytes.size();
    }

    return false;
}

#endif
