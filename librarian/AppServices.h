#pragma once

#include <juce_core/juce_core.h>

#include "device/LibrarianTimings.h"
#include "presets/LibrarianConfiguration.h"

#include <functional>

class Dialogs;
class MidiPorts;

/** What the program is handed from outside rather than reaching for globals: the way it asks
    the user things, the MIDI service the device is found on, the user's documents folder (which
    holds the librarian's configuration and default preset folder), the folder the program was
    started from (where findHelpDocument looks for the help documents), the two things only the
    desktop can do: open a document with its default application, and end the program, and the
    pauses the librarian makes for the device and the user.

    The application object (or a test) owns the services and keeps them alive longer than the
    window it hands them to. A test leaves the two functions empty or records their calls.
*/
struct AppServices
{
    Dialogs& dialogs;
    MidiPorts& midiPorts;
    juce::File documentsFolder;
    juce::File applicationFolder;

    /** Opens a file with the desktop's default application; false when that failed. */
    std::function<bool (const juce::File&)> openDocument;

    /** Asks the application to quit once the event loop takes the request. With force the
        request cannot be refused.
    */
    std::function<void (bool force)> quitApplication;

    /** The device's pauses unless a test or the demo hands in others. */
    LibrarianTimings timings {};

    /** The demo's files are kept apart from the librarian's, and its windows say it is the demo. */
    LibrarianConfiguration::Edition edition = LibrarianConfiguration::Edition::librarian;

    bool isDemo() const noexcept { return edition == LibrarianConfiguration::Edition::demo; }
};
