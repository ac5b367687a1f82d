#include "app/DemoApplication.h"

#include "simulator/DemoPresets.h"

DemoDevice::DemoDevice()
{
    loadDemoPresets (simulator);
}

DemoApplication::DemoApplication() : TonarelApplication (ports) {}

void DemoApplication::initialise (const juce::String& commandLine)
{
    if (juce::StringArray::fromTokens (commandLine, true).contains ("--brief-pauses"))
        setTimings (LibrarianTimings::brief());

    TonarelApplication::initialise (commandLine);
}
