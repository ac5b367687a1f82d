#include "app/ShowRequests.h"

#if JUCE_LINUX || JUCE_BSD
 #include <fcntl.h>
 #include <poll.h>
 #include <sys/stat.h>
 #include <unistd.h>

namespace
{
    /** One FIFO per user and program, in the temporary folder. */
    juce::File fifoFor (const juce::String& applicationName)
    {
        return juce::File::getSpecialLocation (juce::File::tempDirectory)
            .getChildFile ("." + applicationName + "-" + juce::String ((int) ::getuid()) + ".show");
    }
} // namespace

ShowRequests::ShowRequests (const juce::String& applicationName)
    : juce::Thread ("ShowRequests"), fifo (fifoFor (applicationName))
{
    // Only the instance holding the single-instance lock gets here, so a FIFO that is already
    // there was left by one that crashed.
    ::unlink (fifo.getFullPathName().toRawUTF8());

    if (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0600) != 0 || ::pipe2 (stopPipe, O_CLOEXEC) != 0)
        return;

    // Opened for writing too, so the FIFO never reads as ended while no second start has it open.
    fifoDescriptor = ::open (fifo.getFullPathName().toRawUTF8(), O_RDWR | O_NONBLOCK | O_CLOEXEC);

    if (fifoDescriptor >= 0)
        startThread();
}

ShowRequests::~ShowRequests()
{
    if (stopPipe[1] >= 0)
    {
        const char stop = 0;
        [[maybe_unused]] const auto written = ::write (stopPipe[1], &stop, 1);
    }

    stopThread (-1);

    for (auto descriptor : { fifoDescriptor, stopPipe[0], stopPipe[1] })
        if (descriptor >= 0)
            ::close (descriptor);

    if (fifoDescriptor >= 0)
        ::unlink (fifo.getFullPathName().toRawUTF8());
}

bool ShowRequests::send (const juce::String& applicationName)
{
    // Without a reader the open fails at once (ENXIO) instead of waiting for one.
    const auto descriptor = ::open (fifoFor (applicationName).getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);

    if (descriptor < 0)
        return false;

    const char request = 1;
    const auto sent = ::write (descriptor, &request, 1) == 1;
    ::close (descriptor);
    return sent;
}

void ShowRequests::run()
{
    for (;;)
    {
        pollfd waits[] = { { fifoDescriptor, POLLIN, 0 }, { stopPipe[0], POLLIN, 0 } };

        if (::poll (waits, 2, -1) < 0)
        {
            if (errno == EINTR)
                continue;

            return;
        }

        if (waits[1].revents != 0)
            return;

        char requests[64];

        if (::read (fifoDescriptor, requests, sizeof (requests)) > 0)
            juce::MessageManager::callAsync (
                []
                {
                    if (auto* application = juce::JUCEApplicationBase::getInstance())
                        application->anotherInstanceStarted ({});
                });
    }
}

#else

// JUCE itself tells the running instance here.
ShowRequests::ShowRequests (const juce::String&) : juce::Thread ("ShowRequests") {}
ShowRequests::~ShowRequests() = default;
bool ShowRequests::send (const juce::String&) { return false; }
void ShowRequests::run() {}

#endif
