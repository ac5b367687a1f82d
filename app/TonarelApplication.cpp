#include "app/TonarelApplication.h"

#include "app/AppInfo.h"
#include "app/TonarelWindow.h"
#include "device/DeviceLock.h"

#include <iostream>

TonarelApplication::TonarelApplication()
    : realMidiPorts (std::make_unique<JuceMidiPorts>()), midiPorts (*realMidiPorts)
{
}

TonarelApplication::TonarelApplication (MidiPorts& otherMidiPorts) : midiPorts (otherMidiPorts) {}

TonarelApplication::~TonarelApplication() = default;

void TonarelApplication::initialise (const juce::String&)
{
    messageLoopWake = std::make_unique<MessageLoopWake>();
    wineRepaint = std::make_unique<WineRepaint>();
    x11EventQueueWatch = std::make_unique<X11EventQueueWatch>();

    if (! moreThanOneInstanceAllowed())
    {
        // JUCE let this start through its lock even when it could not open the lock file (another
        // user's): that lock may well be held, so the librarian does not start.
        const auto lockFile = DeviceLock::lockFileFor (JuceMidiPorts::deviceLockName);

        if (const auto why = DeviceLock::whyUnusable (lockFile); why.isNotEmpty())
        {
            refuseToStart (DeviceLock::describeUnusable (lockFile, why));
            quit();
            return;
        }

        showRequests = std::make_unique<ShowRequests> (getApplicationName());
    }

    mainWindow = std::make_unique<TonarelWindow> (services);
    mainWindow->centreWithSize (TonarelWindow::minimumWidth, TonarelWindow::minimumHeight);
    mainWindow->setVisible (true);
}

void TonarelApplication::shutdown()
{
    // JUCE ends a second start before initialise, and on Linux without telling the running
    // instance; this is the one place such a start still passes through.
    if (mainWindow == nullptr && ! startRefused && ! moreThanOneInstanceAllowed() &&
        ! ShowRequests::send (getApplicationName()))
    {
        // The lock is held, but by no librarian that listens: the command line is at work.
        refuseToStart ("the tonarel command line is using the Tonarel; start the librarian again once it has "
                       "finished");
    }

    mainWindow.reset();
    showRequests.reset();
    messageLoopWake.reset();
    wineRepaint.reset();
    x11EventQueueWatch.reset();
}

void TonarelApplication::refuseToStart (const juce::String& reason)
{
    startRefused = true;
    setApplicationReturnValue (1);
    std::cerr << "TonarelUtil: " << reason << "\n";

    // Started from the desktop's menu there is no terminal to read the line on; on Windows
    // there is always a desktop, and a windowed program's standard error goes nowhere.
    const auto onWindows = (juce::SystemStats::getOperatingSystemType() & juce::SystemStats::Windows) != 0;

    if (onWindows || juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty())
        dialogs.showMessage (Dialogs::Icon::warning, getApplicationName(),
                             reason.substring (0, 1).toUpperCase() + reason.substring (1) + ".", "Ok");
}

const juce::String TonarelApplication::getApplicationName()
{
    return AppInfo::applicationName;
}

const juce::String TonarelApplication::getApplicationVersion()
{
    return AppInfo::applicationVersion;
}

bool TonarelApplication::moreThanOneInstanceAllowed()
{
    return false;
}

void TonarelApplication::anotherInstanceStarted (const juce::String&)
{
    if (mainWindow == nullptr)
        return;

    mainWindow->setMinimised (false);
    mainWindow->toFront (true);

    // A question the librarian is waiting on must not end up behind its own window.
    juce::ModalComponentManager::getInstance()->bringModalComponentsToFront();
}

void TonarelApplication::systemRequestedQuit()
{
    // Quitting while a job's modal loop runs would leave that loop spinning without ever
    // dispatching again: the window decides when the quit may come.
    if (mainWindow != nullptr)
        mainWindow->closeRequested ([] { quit(); });
    else
        quit();
}

void TonarelApplication::quitFromDetection (bool force)
{
    // The request comes while the librarian is being built, after modal boxes of its own; it is
    // carried out once the librarian is built, and the loop is woken afterwards, because it may
    // take the quit message without looking at it again (see MessageLoopWake).
    juce::MessageManager::callAsync (
        [this, force]
        {
            // A forced quit cannot be refused; otherwise the request goes the way a quit from
            // the desktop goes, through systemRequestedQuit.
            if (force)
                quit();
            else
                systemRequestedQuit();

            if (messageLoopWake != nullptr)
                messageLoopWake->wake();
        });
}
