#include "device/DeviceLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

juce::File DeviceLock::lockFileFor (const juce::String& lockName)
{
    // As JUCE's InterProcessLock chooses it on Linux.
    const juce::File varTmp ("/var/tmp");
    return (varTmp.isDirectory() ? varTmp : juce::File ("/tmp")).getChildFile (lockName);
}

juce::String DeviceLock::whyUnusable (const juce::File& lockFile)
{
    // JUCE makes the file, then opens it for reading and writing; either may fail.
    lockFile.create();
    const auto descriptor = ::open (lockFile.getFullPathName().toRawUTF8(), O_RDWR);

    if (descriptor < 0)
        return std::strerror (errno);

    ::close (descriptor);
    return {};
}

juce::String DeviceLock::describeUnusable (const juce::File& lockFile, const juce::String& why)
{
    return "cannot tell whether another program is using the Tonarel: its lock file " +
           lockFile.getFullPathName() + " cannot be opened (" + why +
           "); it may belong to another user, whose program may be using the device";
}
