#include "app/DemoApplication.h"

#include "app/AppInfo.h"
#include "simulator/DemoPresets.h"

DemoDevice::DemoDevice()
{
    loadDemoPresets (simulator);
}

DemoApplication::DemoApplication() : TonarelApplication (ports)
{
    setEdition (LibrarianConfiguration::Edition::demo);
}

const juce::String DemoApplication::getApplicationName()
{
    return AppInfo::demoApplicationName;
}

void DemoApplication::initialise (const juce::String& commandLine)
{
    if (juce::StringArray::fromTokens (commandLine, true).contains ("--brief-pauses"))
        setTimings (LibrarianTimings::brief());

    TonarelApplication::initialise (commandLine);
}
