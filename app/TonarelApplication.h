#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/AlertDialogs.h"
#include "app/AppServices.h"
#include "device/JuceMidiPorts.h"

class TonarelWindow;

/** The application object the framework starts: owns the program's services
    and its one main window. Several instances may run at once.
*/
class TonarelApplication : public juce::JUCEApplication
{
public:
    TonarelApplication();
    ~TonarelApplication() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;

private:
    AlertDialogs dialogs;
    JuceMidiPorts midiPorts;
    AppServices services { dialogs, midiPorts,
                           juce::File::getSpecialLocation (juce::File::userDocumentsDirectory) };
    std::unique_ptr<TonarelWindow> mainWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TonarelApplication)
};
