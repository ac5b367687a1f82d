// The device lock's place and whether it can be used: the Linux and Windows halves side by side.

#include "device/DeviceLock.h"

#if JUCE_WINDOWS
#include "presets/WindowsApi.h"

juce::File DeviceLock::lockFileFor (const juce::String& lockName)
{
    // JUCE's InterProcessLock is a named mutex here, not a file: only the name counts, and a
    // file of that name in the temporary folder stands for it in what the user is told.
    return juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile (lockName);
}

juce::String DeviceLock::whyUnusable (const juce::File& lockFile)
{
    // JUCE makes the lock in the machine-wide namespace, and when another user's session holds
    // one it may not open, falls back to a lock of this session alone: free, whoever else is on
    // the device. Opening it to wait on it leaves a lock this process holds as it is.
    const auto name = "Global\\" + lockFile.getFileName().replaceCharacter ('\\', '/');
    const auto mutex = OpenMutexW (SYNCHRONIZE, FALSE, name.toWideCharPointer());

    if (mutex != nullptr)
    {
        CloseHandle (mutex);
        return {};
    }

    return GetLastError() == ERROR_ACCESS_DENIED ? "access is denied" : juce::String();
}

#else
#include <cerrno>
#include <cstring>
#include <unistd.h>

juce::File DeviceLock::lockFileFor (const juce::String& lockName)
{
    // As JUCE's InterProcessLock chooses it on Linux.
    const juce::File varTmp ("/var/tmp");
    return (varTmp.isDirectory() ? varTmp : juce::File ("/tmp")).getChildFile (lockName);
}

juce::String DeviceLock::whyUnusable (const juce::File& lockFile)
{
    // Asked without opening the file: a process that holds the lock would let go of it when it
    // closed any descriptor of the file (POSIX record locks belong to the process), and the
    // librarian asks while it holds the lock.
    if (lockFile.isDirectory())
        return "it is a folder";

    const auto path = lockFile.exists() ? lockFile : lockFile.getParentDirectory();
    const auto wanted = lockFile.exists() ? R_OK | W_OK : W_OK | X_OK;

    if (::access (path.getFullPathName().toRawUTF8(), wanted) != 0)
        return std::strerror (errno);

    return {};
}

#endif

juce::String DeviceLock::describeUnusable (const juce::File& lockFile, const juce::String& why)
{
    return "cannot tell whether another program is using the Tonarel: its lock file " +
           lockFile.getFullPathName() + " cannot be opened (" + why +
           "); it may belong to another user, whose program may be using the device";
}
