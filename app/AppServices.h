#pragma once

class Dialogs;
class MidiPorts;

/** What the program is handed from outside rather than reaching for globals:
    the way it asks the user things and the MIDI service the device is found on.
    The application object (or a test) owns the services and keeps them alive
    longer than the window it hands them to.
*/
struct AppServices
{
    Dialogs& dialogs;
    MidiPorts& midiPorts;
};
