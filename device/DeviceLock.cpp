#include "device/DeviceLock.h"

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

juce::String DeviceLock::describeUnusable (const juce::File& lockFile, const juce::String& why)
{
    return "cannot tell whether another program is using the Tonarel: its lock file " +
           lockFile.getFullPathName() + " cannot be opened (" + why +
           "); it may belong to another user, whose program may be using the device";
}
