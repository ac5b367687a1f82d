// Show requests from a second start: the Linux and Windows halves side by side.

#include "app/ShowRequests.h"

namespace
{
    /** Brings the running instance's window to the front, on the message thread. */
    void showOnMessageThread()
    {
        juce::MessageManager::callAsync (
            []
            {
                if (auto* application = juce::JUCEApplicationBase::getInstance())
                    application->anotherInstanceStarted ({});
            });
    }
} // namespace

#if JUCE_WINDOWS
#include "presets/WindowsApi.h"

namespace
{
    /** One event per program in the user's session; it lasts as long as the running instance
        holds it, so one left by a crash cannot answer.
    */
    juce::String eventNameFor (const juce::String& applicationName)
    {
        return "Local\\" + applicationName + ".show";
    }
} // namespace

struct ShowRequests::Listener
{
    ~Listener()
    {
        for (auto event : { request, stop })
            if (event != nullptr)
                CloseHandle (event);
    }

    HANDLE request = nullptr;
    HANDLE stop = nullptr;
};

ShowRequests::ShowRequests (const juce::String& applicationName)
    : juce::Thread ("ShowRequests"), listener (std::make_unique<Listener>())
{
    listener->request =
        CreateEventW (nullptr, FALSE, FALSE, eventNameFor (applicationName).toWideCharPointer());
    listener->stop = CreateEventW (nullptr, TRUE, FALSE, nullptr);

    if (listener->request != nullptr && listener->stop != nullptr)
        startThread();
}

ShowRequests::~ShowRequests()
{
    if (listener->stop != nullptr)
        SetEvent (listener->stop);

    stopThread (-1);
}

bool ShowRequests::send (const juce::String& applicationName)
{
    const auto request =
        OpenEventW (EVENT_MODIFY_STATE, FALSE, eventNameFor (applicationName).toWideCharPointer());

    if (request == nullptr)
        return false;

    const auto sent = SetEvent (request) != 0;
    CloseHandle (request);
    return sent;
}

void ShowRequests::run()
{
    const HANDLE waits[] = { listener->request, listener->stop };

    while (WaitForMultipleObjects (2, waits, FALSE, INFINITE) == WAIT_OBJECT_0)
        showOnMessageThread();
}

#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace
{
    /** One FIFO per user and program, in the temporary folder. */
    juce::File fifoFor (const juce::String& applicationName)
    {
        return juce::File::getSpecialLocation (juce::File::tempDirectory)
            .getChildFile ("." + applicationName + "-" + juce::String ((int) ::getuid()) + ".show");
    }
} // namespace

struct ShowRequests::Listener
{
    explicit Listener (const juce::String& applicationName) : fifo (fifoFor (applicationName)) {}

    ~Listener()
    {
        for (auto descriptor : { fifoDescriptor, stopPipe[0], stopPipe[1] })
            if (descriptor >= 0)
                ::close (descriptor);

        if (fifoDescriptor >= 0)
            ::unlink (fifo.getFullPathName().toRawUTF8());
    }

    const juce::File fifo;
    int fifoDescriptor = -1;
    int stopPipe[2] { -1, -1 };
};

ShowRequests::ShowRequests (const juce::String& applicationName)
    : juce::Thread ("ShowRequests"), listener (std::make_unique<Listener> (applicationName))
{
    const auto path = listener->fifo.getFullPathName();

    // Only the instance holding the single-instance lock gets here, so a FIFO that is already
    // there was left by one that crashed.
    ::unlink (path.toRawUTF8());

    if (::mkfifo (path.toRawUTF8(), 0600) != 0 || ::pipe2 (listener->stopPipe, O_CLOEXEC) != 0)
        return;

    // Opened for writing too, so the FIFO never reads as ended while no second start has it open.
    listener->fifoDescriptor = ::open (path.toRawUTF8(), O_RDWR | O_NONBLOCK | O_CLOEXEC);

    if (listener->fifoDescriptor >= 0)
        startThread();
}

ShowRequests::~ShowRequests()
{
    if (listener->stopPipe[1] >= 0)
    {
        const char stop = 0;
        [[maybe_unused]] const auto written = ::write (listener->stopPipe[1], &stop, 1);
    }

    stopThread (-1);
}

bool ShowRequests::send (const juce::String& applicationName)
{
    // Without a reader the open fails at once (ENXIO) instead of waiting for one.
    const auto descriptor =
        ::open (fifoFor (applicationName).getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);

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
        pollfd waits[] = { { listener->fifoDescriptor, POLLIN, 0 }, { listener->stopPipe[0], POLLIN, 0 } };

        if (::poll (waits, 2, -1) < 0)
        {
            if (errno == EINTR)
                continue;

            return;
        }

        if (waits[1].revents != 0)
            return;

        char requests[64];

        if (::read (listener->fifoDescriptor, requests, sizeof (requests)) > 0)
            showOnMessageThread();
    }
}

#endif
