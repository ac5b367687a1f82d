// Finding the device at start and watching its connection afterwards. All of it runs on the
// message thread. The pauses at start hold the user interface on purpose, giving the device
// time to settle after it appears; a device that comes back later gets the same pause as a
// step of the monitor's timer, with the window working meanwhile.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"

namespace
{
    constexpr int monitorPeriodAfterReconnectMs = 2000;

    const juce::Colour connectedText { 0xff000000 };
    const juce::Colour disconnectedText { 0xffff0000 };

    enum DetectionAnswer
    {
        exitProgram = 0,
        tryAgain = 1,
        ignoreDevice = 2
    };
} // namespace

bool PresetLibrarianManager::detectDevicePorts()
{
    // The preset manager does not exist yet: only the port lists are looked at.
    while (! PresetManager::isDevicePresent (services.midiPorts))
    {
        const auto answer = services.dialogs.ask (
            Dialogs::Icon::warning, {},
            "Unable to detect Tonarel.\nPlease connect your Tonarel to the computer.",
            { { "Try again", tryAgain }, { "Ignore", ignoreDevice }, { "Exit", exitProgram } });

        if (answer != tryAgain)
        {
            // The panel is still built to its end; the program quits when the event loop takes
            // the request.
            if (answer == exitProgram)
                quitApplication (true);

            return false;
        }

        juce::Thread::sleep (services.timings.pauseBeforeRetryMs);
    }

    return true;
}

bool PresetLibrarianManager::confirmDeviceReachable()
{
    // The ports are listed but could not both be opened: most often another program holds one.
    while (! getPresetManager().isDeviceReachable())
    {
        if (! services.dialogs.confirm (Dialogs::Icon::warning, {},
                                        "Tonarel is being used by another program. Please close that program "
                                        "and continue.",
                                        "Try again", "Exit"))
        {
            quitApplication (false);
            return false;
        }

        juce::Thread::sleep (services.timings.pauseBeforeRetryMs);
        getPresetManager().reopenPorts();
    }

    return true;
}

void PresetLibrarianManager::quitApplication (bool force)
{
    if (services.quitApplication != nullptr)
        services.quitApplication (force);
}

void PresetLibrarianManager::timerCallback (int timerID)
{
    if (timerID == progressTimerId)
        showJobProgress();
    else
        checkConnection();
}

void PresetLibrarianManager::checkConnection()
{
    // A running job owns the ports; it notices a lost device itself.
    if (isThreadRunning())
        return;

    showVersionTexts();

    if (deviceSettlesAtMs.has_value())
    {
        finishReconnecting();
        return;
    }

    if (connected)
    {
        connected = getPresetManager().isDeviceReachable();

        if (! connected)
        {
            showDeviceConnected (false);
            refresh (false);
            updateButtonStates();
            repaint();
        }

        return;
    }

    setJobProgress (0.0);
    showJobProgress();

    if (! getPresetManager().reopenPorts())
        return;

    // The device is back, but it takes a moment before it answers a read: the monitor looks
    // again once that has passed. Until then it is not shown connected, and nothing is sent.
    const auto pauseMs = juce::jmax (0, services.timings.pauseBeforeRetryMs);
    deviceSettlesAtMs = juce::Time::getMillisecondCounterHiRes() + pauseMs;
    startTimer (monitorTimerId, juce::jmax (1, pauseMs));
}

void PresetLibrarianManager::finishReconnecting()
{
    // A click restarts the monitor's timer: the pause is measured, not counted in ticks.
    if (juce::Time::getMillisecondCounterHiRes() < *deviceSettlesAtMs)
        return;

    deviceSettlesAtMs.reset();

    // Gone again while it settled: the next tick looks for it afresh.
    if (! getPresetManager().isDeviceReachable())
    {
        startTimer (monitorTimerId, monitorPeriodAfterReconnectMs);
        return;
    }

    connected = true;
    showDeviceConnected (true);
    refresh (true);
    updateButtonStates();
    showVersionTexts();
    repaint();
    startTimer (monitorTimerId, monitorPeriodAfterReconnectMs);
}

void PresetLibrarianManager::showDeviceConnected (bool isConnected)
{
    deviceLabel->setColour (juce::Label::textColourId, isConnected ? connectedText : disconnectedText);
    deviceLabel->setText (isConnected ? "Tonarel" : "Unable to detect Tonarel!", juce::dontSendNotification);
}
