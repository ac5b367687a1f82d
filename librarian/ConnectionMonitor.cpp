// Finding the device at start and watching its connection afterwards. All of it runs on the
// message thread; the pauses hold the user interface on purpose, giving the device time to
// settle after it appears.

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
    while (! presetManager->isDeviceReachable())
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
        presetManager->reopenPorts();
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

    if (connected)
    {
        connected = presetManager->isDeviceReachable();

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
    connected = presetManager->reopenPorts();

    if (! connected)
        return;

    stopTimer (monitorTimerId);
    juce::Thread::sleep (services.timings.pauseBeforeRetryMs);
    showDeviceConnected (true);
    refresh (true);
    updateButtonStates();
    repaint();
    startTimer (monitorTimerId, monitorPeriodAfterReconnectMs);
}

bool PresetLibrarianManager::checkConnectionOnRepaint()
{
    // While a job runs the worker writes the device list's entries; the monitor leaves them
    // alone then, and so does this check.
    if (isThreadRunning() || ! connected || presetManager->isDeviceReachable())
        return false;

    showDeviceConnected (false);
    connected = false;
    refresh (false);
    updateButtonStates();

    // The caption this paint has drawn is still the connected one; the next repaint draws the
    // other, as the device list's own repaints will soon ask.
    return true;
}

void PresetLibrarianManager::showDeviceConnected (bool isConnected)
{
    deviceLabel->setColour (juce::Label::textColourId, isConnected ? connectedText : disconnectedText);
    deviceLabel->setText (isConnected ? "Tonarel" : "Unable to detect Tonarel!", juce::dontSendNotification);
}
