// The system calls of a verified write, each with its Linux and Windows halves side by side.

#include "presets/TemporaryWriteFile.h"

#if JUCE_WINDOWS
#include "presets/WindowsApi.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#endif

TemporaryWriteFile::~TemporaryWriteFile()
{
    close();
}

bool TemporaryWriteFile::isOpen() const noexcept
{
    return handle != -1;
}

#if JUCE_WINDOWS

namespace
{
    HANDLE asHandle (juce::pointer_sized_int value)
    {
        return reinterpret_cast<HANDLE> (value);
    }

    juce::String systemError (DWORD code = GetLastError())
    {
        wchar_t text[512] = {};
        FormatMessageW (FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                        (DWORD) std::size (text), nullptr);
        const auto message = juce::String (text).trim();
        return message.isNotEmpty() ? message : "system error " + juce::String ((int) code);
    }

    /** Locks are mandatory on Windows: a lock over the content would fail the read-back of a
        write, so the lock that marks a write at work lies far beyond any content.
    */
    OVERLAPPED writerLockRange()
    {
        OVERLAPPED range {};
        range.OffsetHigh = 0x7fffffff;
        return range;
    }

    /** Locks the open file's writer mark; false when another holds it (and wait is false) or
        the file system keeps no locks.
    */
    bool lockFile (HANDLE file, bool wait)
    {
        auto range = writerLockRange();
        return LockFileEx (file, LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY), 0, 1, 0,
                           &range) != 0;
    }

    /** True when path still names the open file: no one removed or replaced it meanwhile. A
        file whose removal is pending cannot be opened by name any more.
    */
    bool isStillNamed (HANDLE opened, const juce::File& file)
    {
        const auto named = CreateFileW (file.getFullPathName().toWideCharPointer(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);

        if (named == INVALID_HANDLE_VALUE)
            return false;

        BY_HANDLE_FILE_INFORMATION openedInfo {}, namedInfo {};
        const auto same = GetFileInformationByHandle (opened, &openedInfo) &&
                          GetFileInformationByHandle (named, &namedInfo) &&
                          openedInfo.dwVolumeSerialNumber == namedInfo.dwVolumeSerialNumber &&
                          openedInfo.nFileIndexHigh == namedInfo.nFileIndexHigh &&
                          openedInfo.nFileIndexLow == namedInfo.nFileIndexLow;
        CloseHandle (named);
        return same;
    }
} // namespace

void TemporaryWriteFile::close()
{
    if (isOpen())
        CloseHandle (asHandle (handle));

    handle = -1;
}

TemporaryWriteFile::Made TemporaryWriteFile::create (const juce::File& newFile, juce::String& failure)
{
    file = newFile;

    // Shared for deleting, so that the file can be renamed while it stays open and locked. Made
    // hidden: Explorer does not hide a name for its leading dot.
    const auto opened = CreateFileW (file.getFullPathName().toWideCharPointer(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);

    if (opened == INVALID_HANDLE_VALUE)
    {
        const auto error = GetLastError();

        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            return Made::nameTaken;

        failure = systemError (error);
        return Made::failed;
    }

    handle = reinterpret_cast<juce::pointer_sized_int> (opened);

    // A clean-up that locked the new file first may have removed it: take another name. A file
    // system without locks still takes the file.
    if (! lockFile (opened, true) || isStillNamed (opened, file))
        return Made::ok;

    close();
    return Made::nameTaken;
}

juce::Result TemporaryWriteFile::writeAllAndFlush (const juce::MemoryBlock& content)
{
    const auto* bytes = static_cast<const char*> (content.getData());
    auto left = content.getSize();

    while (left > 0)
    {
        DWORD written = 0;
        const auto chunk = (DWORD) std::min (left, (size_t) 1 << 30);

        if (! WriteFile (asHandle (handle), bytes, chunk, &written, nullptr))
            return juce::Result::fail (systemError());

        if (written == 0)
            return juce::Result::fail ("the disk took only part of it");

        bytes += written;
        left -= written;
    }

    // The data is on the disk when this returns; a full disk may only say so here.
    return FlushFileBuffers (asHandle (handle)) ? juce::Result::ok() : juce::Result::fail (systemError());
}

juce::Result TemporaryWriteFile::replace (const juce::File& target)
{
    // The new file takes the temporary file's attributes along, and must not be hidden.
    SetFileAttributesW (file.getFullPathName().toWideCharPointer(), FILE_ATTRIBUTE_NORMAL);

    // std::rename will not replace a file here; this does, in one step, and returns only once
    // the move is on the disk.
    const auto moved =
        MoveFileExW (file.getFullPathName().toWideCharPointer(), target.getFullPathName().toWideCharPointer(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    // Windows says only "access denied" for a folder in the target's place; Linux's words say
    // what the user can act on.
    const auto error = moved ? (DWORD) ERROR_SUCCESS : GetLastError();
    const auto result = moved                  ? juce::Result::ok()
                        : target.isDirectory() ? juce::Result::fail ("Is a directory")
                                               : juce::Result::fail (systemError (error));

    if (! moved)
        SetFileAttributesW (file.getFullPathName().toWideCharPointer(), FILE_ATTRIBUTE_HIDDEN);

    return result;
}

bool TemporaryWriteFile::syncFolder (const juce::File&)
{
    // Folders cannot be flushed here; the move was written through to the disk, entry and all.
    return true;
}

bool TemporaryWriteFile::removeIfNoWriter (const juce::File& file)
{
    const auto opened = CreateFileW (file.getFullPathName().toWideCharPointer(), GENERIC_READ | DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);

    if (opened == INVALID_HANDLE_VALUE)
        return false;

    BY_HANDLE_FILE_INFORMATION info {};
    FILE_DISPOSITION_INFO removal {};
    removal.DeleteFile = TRUE;

    // Removed through the handle that holds the lock, so it is the file that was looked at.
    const auto removed =
        GetFileInformationByHandle (opened, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
        lockFile (opened, false) &&
        SetFileInformationByHandle (opened, FileDispositionInfo, &removal, sizeof (removal));
    CloseHandle (opened);
    return removed;
}

#else

namespace
{
    juce::String systemError()
    {
        return std::strerror (errno);
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
} // namespace

void TemporaryWriteFile::close()
{
    if (isOpen())
        ::close ((int) handle);

    handle = -1;
}

TemporaryWriteFile::Made TemporaryWriteFile::create (const juce::File& newFile, juce::String& failure)
{
    file = newFile;
    const auto descriptor =
        ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);

    if (descriptor < 0)
    {
        if (errno == EEXIST)
            return Made::nameTaken;

        failure = systemError();
        return Made::failed;
    }

    handle = descriptor;

    // A clean-up that locked the new file first may have removed it: take another name. A file
    // system without locks still takes the file.
    if (! lockFile (descriptor, true) || isStillNamed (descriptor, file))
        return Made::ok;

    close();
    return Made::nameTaken;
}

juce::Result TemporaryWriteFile::writeAllAndFlush (const juce::MemoryBlock& content)
{
    const auto* bytes = static_cast<const char*> (content.getData());
    auto left = content.getSize();

    while (left > 0)
    {
        const auto written = ::write ((int) handle, bytes, left);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
            return written < 0 ? juce::Result::fail (systemError())
                               : juce::Result::fail ("the disk took only part of it");

        bytes += written;
        left -= (size_t) written;
    }

    // The data is on the disk when this returns; a full disk may only say so here.
    return ::fsync ((int) handle) == 0 ? juce::Result::ok() : juce::Result::fail (systemError());
}

juce::Result TemporaryWriteFile::replace (const juce::File& target)
{
    // Renamed while still locked, so that no clean-up can take it on the way.
    const auto renamed =
        std::rename (file.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) == 0;
    return renamed ? juce::Result::ok() : juce::Result::fail (systemError());
}

bool TemporaryWriteFile::syncFolder (const juce::File& folder)
{
    const auto descriptor = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    if (descriptor < 0)
        return false;

    const auto synced = ::fsync (descriptor) == 0;
    ::close (descriptor);
    return synced;
}

bool TemporaryWriteFile::removeIfNoWriter (const juce::File& file)
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

#endif
