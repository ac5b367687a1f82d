// Finding the device at start and watching its connection afterwards. All of it runs on the
// message thread, and none of it sleeps there: the pauses at start hold the user interface
// behind a modal pause while the message loop runs, giving the device time to settle after it
// appears; a device that comes back later gets the same pause as a step of the monitor's timer,
// with the window working meanwhile.

#include "librarian/ConnectionMonitor.h"

#include "device/PresetManager.h"
#include "librarian/Dialogs.h"
#include "librarian/ModalPause.h"

#include <cmath>

namespace
{
    enum DetectionAnswer
    {
        exitProgram = 0,
        tryAgain = 1,
        ignoreDevice = 2
    };
} // namespace

ConnectionMonitor::ConnectionMonitor (Needs monitorNeeds, Callbacks monitorCallbacks)
    : needs (std::move (monitorNeeds)), callbacks (std::move (monitorCallbacks))
{
}

ConnectionMonitor::~ConnectionMonitor()
{
    stopTimer();
}

bool ConnectionMonitor::findDevicePorts()
{
    // The device link does not exist yet: only the port lists are looked at.
    while (! PresetManager::isDevicePresent (needs.midiPorts))
    {
        const auto answer = needs.dialogs.ask (
            Dialogs::Icon::warning, {},
            "Unable to detect Tonarel.\nPlease connect your Tonarel to the computer.",
            { { "Try again", tryAgain }, { "Ignore", ignoreDevice }, { "Exit", exitProgram } });

        if (answer != tryAgain)
        {
            // The panel is still built to its end; the program quits when the event loop takes
            // the request.
            if (answer == exitProgram)
                quit (true);

            return false;
        }

        ModalPause::run (needs.timings.pauseBeforeRetryMs);
    }

    return true;
}

bool ConnectionMonitor::confirmDeviceReachable()
{
    auto* link = needs.deviceLink();
    jassert (link != nullptr);
    connected = false;

    // The ports are listed but could not both be opened: most often another program holds one.
    while (! link->isDeviceReachable())
    {
        if (! needs.dialogs.confirm (Dialogs::Icon::warning, {},
                                     "Tonarel is being used by another program. Please close that program "
                                     "and continue.",
                                     "Try again", "Exit"))
        {
            quit (false);
            return false;
        }

        ModalPause::run (needs.timings.pauseBeforeRetryMs);
        link->reopenPorts();
    }

    connected = true;
    return true;
}

void ConnectionMonitor::quit (bool force)
{
    if (needs.quitApplication != nullptr)
        needs.quitApplication (force);
}

void ConnectionMonitor::startWatching()
{
    startTimer (firstLookMs);
}

void ConnectionMonitor::lookAgainLater()
{
    // A settling device's pause is measured, not counted in looks: a click does not put off
    // its end.
    if (isSettling())
        startTimer (juce::jlimit (1, periodMs, msUntilSettled()));
    else
        startTimer (periodMs);
}

int ConnectionMonitor::msUntilSettled() const
{
    const auto remainingMs = *deviceSettlesAtMs - juce::Time::getMillisecondCounterHiRes();
    return remainingMs > 0.0 ? juce::jmax (1, (int) std::ceil (remainingMs)) : 0;
}

void ConnectionMonitor::stopWatching()
{
    stopTimer();
}

void ConnectionMonitor::tick()
{
    // A running job owns the ports; it notices a lost device itself.
    if (needs.isJobRunning())
        return;

    auto* link = needs.deviceLink();

    if (link == nullptr)
        return;

    callbacks.showDeviceState();

    if (isSettling())
    {
        finishReconnecting();
        return;
    }

    if (connected)
    {
        connected = link->isDeviceReachable();

        if (! connected)
            callbacks.deviceLost();

        return;
    }

    callbacks.lookingForDevice();

    if (! link->reopenPorts())
        return;

    // The device is back, but it takes a moment before it answers a read: the monitor looks
    // again once that has passed. Until then it is not shown connected, and nothing is sent.
    const auto pauseMs = juce::jmax (0, needs.timings.pauseBeforeRetryMs);
    deviceSettlesAtMs = juce::Time::getMillisecondCounterHiRes() + pauseMs;
    startTimer (juce::jmax (1, pauseMs));
}

void ConnectionMonitor::finishReconnecting()
{
    // A look before the pause has passed (the timer came a moment early) waits for the rest of
    // the pause, not for a whole period more.
    if (const auto remainingMs = msUntilSettled(); remainingMs > 0)
    {
        startTimer (remainingMs);
        return;
    }

    deviceSettlesAtMs.reset();

    // Gone again while it settled: the next look looks for it afresh.
    if (! needs.deviceLink()->isDeviceReachable())
    {
        startTimer (periodMs);
        return;
    }

    connected = true;
    callbacks.deviceBack();
    startTimer (periodMs);
}
