#pragma once

#include <juce_core/juce_core.h>

class Dialogs;
class MidiPorts;

/** What the program is handed from outside rather than reaching for globals: the way it asks
    the user things, the MIDI service the device is found on, and the user's documents folder,
    which holds the librarian's configuration and default preset folder. The application object
    (or a test) owns the services and keeps them alive longer than the window it hands them to.
*/
struct AppServices
{
    Dialogs& dialogs;
    MidiPorts& midiPorts;
    juce::File documentsFolder;
};
