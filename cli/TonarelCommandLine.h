#pragma once

#include "cli/CommandLineOptions.h"
#include "device/LibrarianTimings.h"
#include "device/TransferJob.h"
#include "presets/LibrarianConfiguration.h"

#include <atomic>
#include <ostream>

class MidiPorts;

/** The command line's commands, over whatever MIDI service it is handed: the real one, or the
    simulated device of --demo and the tests. Each command is one or two transfer jobs run
    through the same TransferJobRunner the librarian uses, logged to the same transfer log.
*/
class TonarelCommandLine
{
public:
    enum ExitStatus
    {
        success = 0,
        partialFailure = 1,
        badArguments = 2,
        noDevice = 3,
        deviceBusy = 4
    };

    /** documentsFolder holds the librarian's folder (the demo's, for the demo edition): its
        transfer log and its snapshots.
    */
    TonarelCommandLine (MidiPorts& midiPorts, const juce::File& documentsFolder,
                        const LibrarianTimings& timings, std::ostream& out, std::ostream& err,
                        bool errIsTerminal,
                        LibrarianConfiguration::Edition edition = LibrarianConfiguration::Edition::librarian);

    /** Runs list, backup, restore or undo; returns the exit status. */
    int run (const CommandLineOptions& options);

    /** Set from any thread (the signal handler) to end the running job at its next look. */
    std::atomic<bool> interrupted { false };

private:
    struct Session;

    int list (Session& session, const CommandLineOptions& options);
    int backup (Session& session, const CommandLineOptions& options);
    int restore (Session& session, const CommandLineOptions& options);
    int undo (Session& session);

    /** Sends a load's files to the device after reading one name (which tells the device's
        preset format), reports on err how it went and reads back the slots it reached; the
        exit status, counting failedBefore presets that could not be sent at all.
    */
    int sendFiles (Session& session, TransferJob job, const juce::String& verb, bool keepSnapshot,
                   int failedBefore);

    MidiPorts& midiPorts;
    juce::File documentsFolder;
    LibrarianConfiguration::Edition edition;
    LibrarianTimings timings;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;
};
