#include "device/LogFileAppend.h"

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
