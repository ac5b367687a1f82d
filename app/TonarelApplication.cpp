#include "app/TonarelApplication.h"

#include "app/AppInfo.h"
#include "app/TonarelWindow.h"

TonarelApplication::TonarelApplication() = default;

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
