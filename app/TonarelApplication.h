#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/AlertDialogs.h"
#include "app/DesktopDocuments.h"
#include "app/MessageLoopWake.h"
#include "app/ShowRequests.h"
#include "app/WineRepaint.h"
#include "app/X11EventQueueWatch.h"
#include "device/JuceMidiPorts.h"
#include "librarian/AppServices.h"

class TonarelWindow;

/** The application object the framework starts: owns the program's services
    and its one main window.

    Only one instance talks to the device: two programs on one device's ports (which Linux and
    macOS allow) would interleave their conversations and spoil both transfers. A second start
    brings the running instance's window to the front and ends.
*/
class TonarelApplication : public juce::JUCEApplication
{
public:
    /** The application on the computer's real MIDI service. */
    TonarelApplication();
    ~TonarelApplication() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;

    /** The one way every close goes (the close button, Quit, the desktop): while a transfer
        runs the user is asked first, and the program quits once the transfer has ended.
    */
    void systemRequestedQuit() override;

protected:
    /** The application on another MIDI service (the demo's simulated device). The service must
        be constructed before this object and outlive it.
    */
    explicit TonarelApplication (MidiPorts& otherMidiPorts);

    /** Other pauses than the device's, for a device that needs none; before initialise. */
    void setTimings (const LibrarianTimings& timings) noexcept { services.timings = timings; }

    /** Whose files the program keeps, and whether its windows say it is the demo; before
        initialise.
    */
    void setEdition (LibrarianConfiguration::Edition edition) noexcept { services.edition = edition; }

private:
    std::unique_ptr<JuceMidiPorts> realMidiPorts; // only when no other service was handed in
    AlertDialogs dialogs;
    MidiPorts& midiPorts;
    AppServices services {
        dialogs, midiPorts, juce::File::getSpecialLocation (juce::File::userDocumentsDirectory),
        // Not currentExecutableFile: on Linux JUCE makes that from the name the program was
        // started by, taken from the working folder, so a program started from the PATH (as
        // the desktop's menus start it) looked for its help in whatever folder it started in.
        // The host's path comes from /proc/self/exe there (and from the system's own record of
        // the program on Windows), which is the program itself.
        juce::File::getSpecialLocation (juce::File::hostApplicationPath).getParentDirectory(),
        [] (const juce::File& document) { return openWithDesktop (document); },
        [this] (bool force) { quitFromDetection (force); }
    };

    void quitFromDetection (bool force);

    /** Ends a start that must not go on, saying why on standard error and, with a display, in a
        box; the program exits with status 1.
    */
    void refuseToStart (const juce::String& reason);
    bool startRefused = false;
    std::unique_ptr<TonarelWindow> mainWindow;
    std::unique_ptr<ShowRequests> showRequests; // only while no other instance may run
    std::unique_ptr<MessageLoopWake> messageLoopWake;
    std::unique_ptr<WineRepaint> wineRepaint;
    std::unique_ptr<X11EventQueueWatch> x11EventQueueWatch;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TonarelApplication)
};
