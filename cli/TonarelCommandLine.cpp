#include "cli/TonarelCommandLine.h"

#include "cli/ConsoleJobHost.h"
#include "device/LoadUndo.h"
#include "device/PresetManager.h"
#include "device/TransferController.h"
#include "presets/LibrarianConfiguration.h"
#include "presets/PresetFile.h"
#include "presets/SlotFilePairing.h"
#include "presets/SnapshotFolders.h"

/** What one command needs while it runs: the transfer controller the librarian uses too (the
    device link and the log), and the job host. The jobs run on the command line's own thread.
*/
struct TonarelCommandLine::Session
{
    Session (MidiPorts& ports, const LibrarianConfiguration& files, const LibrarianTimings& timings,
             std::ostream& out, std::ostream& err, bool errIsTerminal, const std::atomic<bool>& interrupted)
        : configuration (files), controller (ports, timings, configuration.getTransferLogFile()),
          host (out, err, errIsTerminal, interrupted)
    {
        configuration.getApplicationFolder().createDirectory();
    }

    TransferReport run (TransferJob job, const juce::String& verb, bool overwriteFiles, bool printResults)
    {
        host.beginJob (verb, overwriteFiles, printResults);
        auto report = controller.runHere (std::move (job), host);
        host.finishProgress();
        return report;
    }

    /** The headers a job read; failed reads (number 0) left out. */
    static juce::Array<DevicePresetEntry> headersRead (const TransferReport& report)
    {
        juce::Array<DevicePresetEntry> read;

        for (const auto& header : report.headers)
            if (header.number > 0)
                read.add (header);

        return read;
    }

    /** A job of the given kind on the given slots, named for the log. */
    static TransferJob makeJob (TransferKind kind, const juce::String& name, const juce::Array<int>& slots)
    {
        TransferJob job;
        job.kind = kind;
        job.name = name;

        for (auto slot : slots)
            job.selection.slots.add ({ slot, {}, 0 });

        job.listedSlots = slots;
        return job;
    }

    const LibrarianConfiguration configuration;
    TransferController controller;
    ConsoleJobHost host;
};

namespace
{
    /** The files of a folder that a restore sends, each to the slot its name begins with; what
        is left out is told on err.
    */
    SlotFilePairing planRestore (const juce::File& folder, const juce::Array<int>& chosenSlots,
                                 std::ostream& err)
    {
        const auto plan = pairFilesWithSlots (listPresetFileNames (folder), chosenSlots);

        for (const auto& fileName : plan.unnumberedFiles)
            err << "tonarel: " << ConsoleJobHost::quotedIfNeeded (fileName)
                << " is left out: its name begins with no slot number" << std::endl;

        for (const auto& shared : plan.sharedSlots)
            err << "tonarel: slot " << shared.slot << " is named by "
                << shared.fileNames.joinIntoString (", ") << "; none of them is sent" << std::endl;

        return plan;
    }

    int statusOf (const TransferJobOutcome& outcome, int failures)
    {
        return outcome.result >= 0 && ! outcome.cancelled && failures == 0
                   ? TonarelCommandLine::success
                   : TonarelCommandLine::partialFailure;
    }
}

TonarelCommandLine::TonarelCommandLine (MidiPorts& ports, const juce::File& documents,
                                        const LibrarianTimings& t, std::ostream& o, std::ostream& e,
                                        bool terminal, LibrarianConfiguration::Edition whose)
    : midiPorts (ports), documentsFolder (documents), edition (whose), timings (t), out (o), err (e),
      errIsTerminal (terminal)
{
}

int TonarelCommandLine::run (const CommandLineOptions& options)
{
    Session session (midiPorts, LibrarianConfiguration (documentsFolder, edition), timings, out, err,
                     errIsTerminal, interrupted);

    if (! session.controller.getPresetManager().isDeviceReachable())
    {
        err << "tonarel: no Tonarel found: no MIDI input and output named \""
            << PresetManager::deviceInputName << "\" can be opened" << std::endl;
        return noDevice;
    }

    // The device needs a moment after its ports open before it answers.
    juce::Thread::sleep (timings.pauseBeforeFirstReadMs);

    switch (options.command)
    {
        case CommandLineOptions::Command::list: return list (session, options);
        case CommandLineOptions::Command::backup: return backup (session, options);
        case CommandLineOptions::Command::restore: return restore (session, options);
        case CommandLineOptions::Command::undo: return undo (session);

        case CommandLineOptions::Command::none:
        case CommandLineOptions::Command::help:
        case CommandLineOptions::Command::version: break;
    }

    return badArguments;
}

int TonarelCommandLine::list (Session& session, const CommandLineOptions& options)
{
    const auto report = session.run (Session::makeJob (TransferKind::ReadListedNames, "List", options.slots),
                                     "reading", false, false);
    const auto& outcome = report.outcome;
    const auto headers = Session::headersRead (report);

    for (const auto& header : headers)
        out << juce::String (header.number).paddedLeft ('0', 2) << "\t" << header.name << std::endl;

    if (outcome.result < 0 || outcome.cancelled)
    {
        const auto read = headers.size();
        err << "tonarel: reading slot " << options.slots[read] << " failed: " << outcome.word() << std::endl;
    }

    return statusOf (outcome, 0);
}

int TonarelCommandLine::backup (Session& session, const CommandLineOptions& options)
{
    if (const auto made = options.folder.createDirectory(); made.failed() || ! options.folder.isDirectory())
    {
        const auto why = options.folder.existsAsFile() ? juce::String ("a file of that name is in the way")
                                                       : made.getErrorMessage();
        err << "tonarel: cannot make the folder " << options.folder.getFullPathName() << ": " << why
            << "; no preset was saved" << std::endl;
        return partialFailure;
    }

    if (const auto removed = removeLeftoverTemporaryFiles (options.folder); removed > 0)
        err << "tonarel: removed " << removed << " partial file(s) that saves cut short left there"
            << std::endl;

    auto job = Session::makeJob (TransferKind::ReadAndSave, "Backup", options.slots);
    job.presetFolder = options.folder;

    const auto outcome = session.run (job, "saving", options.overwrite, true).outcome;
    const auto& host = session.host;

    if (outcome.result < 0 || outcome.cancelled)
        err << "tonarel: the backup stopped at "
            << (outcome.cancelled ? "an interruption" : host.getFailure()) << "; " << host.getSucceeded()
            << " of " << options.slots.size() << " presets saved" << std::endl;

    if (! outcome.failureNotice.isEmpty())
        err << "tonarel: " << outcome.failureNotice << std::endl;

    return statusOf (outcome, host.getFailed());
}

int TonarelCommandLine::restore (Session& session, const CommandLineOptions& options)
{
    if (! options.folder.isDirectory())
    {
        err << "tonarel: there is no folder " << options.folder.getFullPathName() << std::endl;
        return badArguments;
    }

    const auto plan = planRestore (options.folder, options.slots, err);

    if (plan.slots.isEmpty())
    {
        err << "tonarel: no preset file of " << options.folder.getFullPathName() << " names a chosen slot"
            << std::endl;
        return partialFailure;
    }

    auto job = Session::makeJob (TransferKind::Send, "Restore", plan.slots);
    job.selection.fileNames = plan.fileNames;
    job.presetFolder = options.folder;

    return sendFiles (session, std::move (job), "restore", options.snapshot, plan.sharedSlots.size());
}

int TonarelCommandLine::undo (Session& session)
{
    const auto snapshots = session.configuration.getSnapshotsFolder();
    const auto folder = SnapshotFolders::newest (snapshots, juce::Time::getCurrentTime());

    if (folder == juce::File())
    {
        err << "tonarel: there is no snapshot to undo in " << snapshots.getFullPathName() << std::endl;
        return partialFailure;
    }

    const auto undo = LoadUndo::ofSnapshotFolder (folder);
    const auto job = undo.has_value() ? undo->makeJob (snapshots) : std::nullopt;

    if (! job.has_value())
    {
        err << "tonarel: the newest snapshot, " << folder.getFullPathName()
            << ", holds no preset file that names a slot; nothing was sent" << std::endl;
        return partialFailure;
    }

    out << "undoing with " << folder.getFullPathName() << std::endl;

    // Always with a snapshot of its own: running undo again takes the undo back.
    return sendFiles (session, *job, "undo", true, 0);
}

int TonarelCommandLine::sendFiles (Session& session, TransferJob job, const juce::String& verb,
                                   bool keepSnapshot, int failedBefore)
{
    // A send checks each file's format against the device's, which a read tells.
    const auto firstSlot = job.selection.slots.getFirst().number;
    const auto versionRead =
        session
            .run (Session::makeJob (TransferKind::ReadSelectedNames, job.name, { firstSlot }), "reading",
                  false, false)
            .outcome;

    if (versionRead.result < 0 || versionRead.cancelled)
    {
        err << "tonarel: reading slot " << firstSlot << " failed: " << versionRead.word() << std::endl;
        return partialFailure;
    }

    const auto slotCount = job.selection.slots.size();
    const auto jobName = job.name;
    job.snapshotsFolder = session.configuration.getSnapshotsFolder();
    session.controller.setOptions ({ keepSnapshot, false });

    const auto outcome = session.run (std::move (job), "sending", false, true).outcome;
    const auto& host = session.host;

    if (outcome.result < 0 || outcome.cancelled)
        err << "tonarel: the " << verb << " stopped at "
            << (outcome.cancelled ? "an interruption" : host.getFailure()) << "; " << host.getSucceeded()
            << " of " << slotCount << " presets sent" << std::endl;

    if (! outcome.failureNotice.isEmpty())
        err << "tonarel: " << outcome.failureNotice << std::endl;

    for (const auto& unreadable : outcome.unreadableFiles)
        err << "tonarel: " << unreadable << std::endl;

    const auto failed = host.getFailed() + failedBefore;

    // What the slots reached now hold, as the device tells it.
    if (! outcome.slotsToReadBack.isEmpty())
    {
        const auto readBack =
            session.run (Session::makeJob (TransferKind::ReadListedNames, jobName, outcome.slotsToReadBack),
                         "reading", false, false);

        for (const auto& header : Session::headersRead (readBack))
            err << "slot " << header.number << " now holds \"" << header.name << "\"" << std::endl;
    }

    return statusOf (outcome, failed);
}
