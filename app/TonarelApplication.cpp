#include "app/TonarelApplication.h"

#include "app/AppInfo.h"
#include "app/TonarelWindow.h"

TonarelApplication::TonarelApplication()
    : realMidiPorts (std::make_unique<JuceMidiPorts>()), midiPorts (*realMidiPorts)
{
}

TonarelApplication::TonarelApplication (MidiPorts& otherMidiPorts) : midiPorts (otherMidiPorts) {}

TonarelApplication::~TonarelApplication() = default;

void TonarelApplication::initialise (const juce::String&)
{
    mainWindow = std::make_unique<TonarelWindow> (services);
    mainWindow->centreWithSize (TonarelWindow::minimumWidth, TonarelWindow::minimumHeight);
    mainWindow->setVisible (true);
}

void TonarelApplication::shutdown()
{
    mainWindow.reset();
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
    return true;
}

void TonarelApplication::anotherInstanceStarted (const juce::String&) {}

void TonarelApplication::quitFromDetection (bool force)
{
    // A forced quit cannot be refused; otherwise the request goes the way a quit from the
    // desktop goes, through systemRequestedQuit. Either way the program ends once the event
    // loop takes the request, after whatever is being built now has been finished.
    if (force)
        quit();
    else if (auto* application = getInstance())
        application->systemRequestedQuit();
}
