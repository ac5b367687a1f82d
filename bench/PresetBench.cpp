/*  tonarel-bench: how close the librarian comes to what the device protocol allows.

    Runs the librarian panel itself against the device simulator and times its own jobs, through
    the same worker, progress window and commands a user drives:

        NAMES  reading the slot names ("Refresh")
        READ   reading presets and saving them as files ("Save All >>", or "Save >" for fewer)
        SEND   sending those files back into the slots ("<< Load All", or "< Load To")
        SEND+SNAPSHOT
               the same with a snapshot of each slot read and saved before it is overwritten
        SEND+SNAPSHOT+VERIFY
               the same again with each slot read back and compared after it is sent

    For each job and wire it prints

        JOB WIRE measured_s floor_s ratio

    where the floor is the protocol's own cost and the pauses the job makes on purpose, for the
    device and for the user (see ProtocolFloor); a send includes the name read that follows it,
    except a verified one, whose names the verify has read already.
    What the measured time has beyond the floor is the program's own: waking up, the file work,
    the windows. A line starting with '#' after each says where the time went (see
    TimeBreakdown), and how late the simulated device delivered its messages in all: the
    simulator spins before each message is due, so that it measures the program and not itself.

    Then two measurements that involve no transfer:

        SCAN FILES1000 measured_s parse_s ratio
            the scan that fills the computer list from a folder of 1000 preset files, against
            merely parsing the same files with XmlDocument;
        STARTUP USB measured_s floor_s ratio
            from starting the demo's process to the librarian's panel on screen with the
            device's names, against the protocol's cost of reading those 99 names and the
            pauses before that read.

    Everything runs in one process, one job after the other, so the machine's noise falls on all
    of them alike. Needs a display: run it under xvfb-run on a machine without one.

    Usage: tonarel-bench [--slots N] [--wire USB|DIN]
                         [--job NAMES|READ|SEND|SEND+SNAPSHOT|SEND+SNAPSHOT+VERIFY|SCAN|STARTUP]
*/

#include "bench/FolderScanBench.h"
#include "bench/ProtocolFloor.h"
#include "bench/StartupBench.h"
#include "bench/TimeBreakdown.h"
#include "device/PresetManager.h"
#include "librarian/Dialogs.h"
#include "librarian/PresetLibrarianManager.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "simulator/DeviceSimulator.h"

#include <algorithm>
#include <cstdio>

namespace
{
    /** Answers every box with its "Ok", or else its first button: "Overwrite", "Try again". A
        load's notice is answered "Ok", not "Undo", so that no job follows the one measured.
    */
    struct FirstButtonDialogs final : public Dialogs
    {
        int ask (Icon, const juce::String&, const juce::String&, const std::vector<Choice>& buttons,
                 bool) override
        {
            for (const auto& button : buttons)
                if (button.text == "Ok")
                    return button.value;

            return buttons.front().value;
        }

        std::optional<juce::String> askForText (const juce::String&, const juce::String&,
                                                const juce::String& initialText, const TextRule&,
                                                const juce::String&) override
        {
            return initialText;
        }

        int chooseFromMenu (const juce::StringArray&) override { return 0; }

        int chooseFromList (const juce::String&, const juce::String&, const juce::StringArray&,
                            int proposedIndex, const juce::String&) override
        {
            return proposedIndex;
        }
    };

    enum class Job
    {
        names,
        read,
        send,
        sendWithSnapshot,
        sendWithSnapshotAndVerify
    };

    constexpr Job allJobs[] = { Job::names, Job::read, Job::send, Job::sendWithSnapshot,
                                Job::sendWithSnapshotAndVerify };

    const char* jobName (Job job)
    {
        switch (job)
        {
            case Job::names: return "NAMES";
            case Job::read: return "READ";
            case Job::send: return "SEND";
            case Job::sendWithSnapshot: return "SEND+SNAPSHOT";
            case Job::sendWithSnapshotAndVerify: return "SEND+SNAPSHOT+VERIFY";
        }

        return "?";
    }

    struct Outcome
    {
        double measuredMs = 0.0;
        double floorMs = 0.0;
        double requestPausesMs = 0.0;
        double jobPausesMs = 0.0;
        double latenessMs = 0.0;
        bool failed = false;
        TimeBreakdown breakdown;
    };

    /** Tells where a transfer job's time went, against what the protocol needs for it. */
    void printBreakdown (const char* job, const WireModel& wire, const Outcome& outcome)
    {
        const auto& b = outcome.breakdown;
        const auto wireMs = outcome.floorMs - outcome.requestPausesMs - outcome.jobPausesMs;

        std::printf ("# %s %s: %d exchanges; inside them %.3f s (on the wire %.3f s), between them %.3f s "
                     "(%.3f s of it the device's pauses before requests), before the first %.3f s and after "
                     "the last %.3f s (%.3f s of it the job's own pauses); the program answers a frame in "
                     "%.3f ms; the simulator delivered %.3f ms late in all\n",
                     job, wire.name.toRawUTF8(), b.exchanges, b.inExchangesMs / 1000.0, wireMs / 1000.0,
                     b.betweenExchangesMs / 1000.0, outcome.requestPausesMs / 1000.0,
                     b.beforeFirstMs / 1000.0, b.afterLastMs / 1000.0, outcome.jobPausesMs / 1000.0,
                     b.meanAnswerMs, outcome.latenessMs);
    }

    void selectFirstRows (juce::TableListBox& table, int rows)
    {
        table.deselectAllRows();
        table.selectRangeOfRows (0, rows - 1, true);
    }

    /** The librarian over a simulated device on one wire, with a preset folder of its own. */
    class BenchLibrarian
    {
    public:
        explicit BenchLibrarian (const WireModel& wire) : device (ports, wire)
        {
            device.setSpinBeforeDue (true);
            panel = std::make_unique<PresetLibrarianManager> (services);

            // The folder chooser announces the preset folder from the message loop.
            while (panel->getPresetFiles().getFolderPath().isEmpty())
                juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        }

        ~BenchLibrarian()
        {
            panel.reset();
            documents.deleteRecursively();
        }

        Outcome run (Job job, int slots)
        {
            ProtocolFloor floor { device.getWire(), services.timings };
            const auto allSlots = slots == DeviceSimulator::numSlots;

            const auto parameters = DeviceSimulator::parametersPerPreset;
            floor.addJobStart();

            for (int slot = 1; slot <= slots; ++slot)
            {
                switch (job)
                {
                    case Job::names: floor.addNameRead(); break;
                    case Job::read: floor.addFullRead (parameters); break;
                    case Job::send: floor.addSend (parameters); break;

                    case Job::sendWithSnapshot:
                        floor.addFullRead (parameters);
                        floor.addSend (parameters);
                        break;

                    case Job::sendWithSnapshotAndVerify:
                        floor.addFullRead (parameters);
                        floor.addSend (parameters);
                        floor.addFullRead (parameters);
                        break;
                }
            }

            if (job != Job::names)
                floor.addJobEnd();

            // What a send wrote is read back by a job of its own, unless the verify read it whole.
            if (job == Job::send || job == Job::sendWithSnapshot)
            {
                floor.addJobStart();

                for (int slot = 1; slot <= slots; ++slot)
                    floor.addNameRead();
            }

            device.clearTranscript();
            const auto started = juce::Time::getMillisecondCounterHiRes();

            switch (job)
            {
                case Job::names: readNames (slots); break;

                case Job::read:
                    selectFirstRows (panel->getDeviceList().getTable(), slots);
                    click (allSlots ? panel->getSaveAllButton() : panel->getSaveButton());
                    break;

                case Job::send:
                case Job::sendWithSnapshot:
                case Job::sendWithSnapshotAndVerify:
                    panel->getSettings().setKeepSnapshot (job != Job::send);
                    panel->getSettings().setVerifyAfterLoading (job == Job::sendWithSnapshotAndVerify);
                    selectFirstRows (panel->getDeviceList().getTable(), slots);
                    selectFirstRows (panel->getLocalList().getTable(), slots);
                    click (allSlots ? panel->getLoadAllButton() : panel->getLoadButton());
                    break;
            }

            Outcome outcome;
            outcome.measuredMs = juce::Time::getMillisecondCounterHiRes() - started;
            outcome.floorMs = floor.getTotalMs();
            outcome.requestPausesMs = floor.getRequestPausesMs();
            outcome.jobPausesMs = floor.getJobPausesMs();
            outcome.latenessMs = device.getDeliveryLatenessMs();
            outcome.failed = ! panel->getStatusLabel().getText().endsWith ("done");
            outcome.breakdown =
                TimeBreakdown::of (device.getTranscript(), started, started + outcome.measuredMs);
            return outcome;
        }

        /** The time in ms of the scan that fills the computer list from the folder. */
        double scan (const juce::File& folder, int& listed)
        {
            panel->getFolderChooser().setCurrentFile (folder, false, juce::dontSendNotification);

            const auto started = juce::Time::getMillisecondCounterHiRes();
            panel->rescanPresetFolder();
            const auto elapsed = juce::Time::getMillisecondCounterHiRes() - started;

            listed = panel->getLocalList().getRows().size();
            return elapsed;
        }

    private:
        void click (juce::Button& button) { panel->buttonClicked (&button); }

        void readNames (int slots)
        {
            if (slots == DeviceSimulator::numSlots)
            {
                panel->refresh (true);
                return;
            }

            selectFirstRows (panel->getDeviceList().getTable(), slots);
            panel->readSelectedDeviceNames();
        }

        InProcessMidiPorts ports;
        DeviceSimulator device;
        FirstButtonDialogs dialogs;
        juce::File documents = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                   .getNonexistentChildFile ("tonarel-bench", "");
        AppServices services { dialogs, ports, documents, documents, {}, {} };
        std::unique_ptr<PresetLibrarianManager> panel;
    };

    juce::String argumentAfter (const juce::StringArray& args, const juce::String& option)
    {
        const auto index = args.indexOf (option);
        return index >= 0 ? args[index + 1] : juce::String();
    }
} // namespace

/** SCAN: the best of a few rounds each, taken in turns, so that a disturbance of the machine
    does not fall on one side only.
*/
static bool benchFolderScan()
{
    constexpr int fileCount = 1000, rounds = 3;

    const auto folder = makePresetFolder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                                              .getNonexistentChildFile ("tonarel-bench-scan", ""),
                                          fileCount);
    BenchLibrarian librarian { WireModel::instant() };
    double scanMs = 1.0e12, parseMs = 1.0e12;
    int listed = 0;

    for (int round = 0; round < rounds; ++round)
    {
        parseMs = juce::jmin (parseMs, timeXmlParsing (folder));
        scanMs = juce::jmin (scanMs, librarian.scan (folder, listed));
    }

    folder.deleteRecursively();

    std::printf ("SCAN FILES%d %.3f %.3f %.2f\n", fileCount, scanMs / 1000.0, parseMs / 1000.0,
                 scanMs / parseMs);
    std::fflush (stdout);

    if (listed == fileCount)
        return true;

    std::fprintf (stderr, "SCAN listed %d of %d files\n", listed, fileCount);
    return false;
}

/** STARTUP: the middle one of three first starts of the demo. */
static bool benchStartup()
{
    const auto demo =
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("TonarelUtilDemo");
    std::vector<StartupTimes> runs;

    for (int run = 0; run < 3; ++run)
    {
        const auto times = measureStartup (demo);

        if (! times.isComplete())
        {
            std::fprintf (stderr, "STARTUP: %s did not show its windows\n",
                          demo.getFullPathName().toRawUTF8());
            return false;
        }

        runs.push_back (times);
    }

    std::sort (runs.begin(), runs.end(), [] (auto& a, auto& b) { return a.panelMs < b.panelMs; });
    const auto& median = runs[1];

    // The demo makes the device's pauses.
    ProtocolFloor floor { WireModel::usb(), LibrarianTimings() };
    floor.addStartupPause();
    floor.addJobStart();

    for (int slot = 1; slot <= DeviceSimulator::numSlots; ++slot)
        floor.addNameRead();

    std::printf ("STARTUP USB %.3f %.3f %.2f\n", median.panelMs / 1000.0, floor.getTotalMs() / 1000.0,
                 median.panelMs / floor.getTotalMs());
    std::printf ("# STARTUP USB: the window is mapped after %.3f s, the progress window of the name read "
                 "shows after %.3f s and closes %.3f s later; of the floor, %.3f s are the pauses before "
                 "the read and before the job, %.3f s the pauses before requests\n",
                 median.windowMs / 1000.0, median.progressWindowMs / 1000.0,
                 (median.panelMs - median.progressWindowMs) / 1000.0, floor.getJobPausesMs() / 1000.0,
                 floor.getRequestPausesMs() / 1000.0);
    std::fflush (stdout);
    return true;
}

static int runBenchmarks (const juce::StringArray& args)
{
    const auto slotsArgument = argumentAfter (args, "--slots");
    const auto slots = slotsArgument.isEmpty()
                           ? DeviceSimulator::numSlots
                           : juce::jlimit (1, DeviceSimulator::numSlots, slotsArgument.getIntValue());
    const auto wireArgument = argumentAfter (args, "--wire").toUpperCase();
    const auto jobArgument = argumentAfter (args, "--job").toUpperCase();

    const auto transfers =
        jobArgument.isEmpty() ||
        juce::StringArray { "NAMES", "READ", "SEND", "SEND+SNAPSHOT", "SEND+SNAPSHOT+VERIFY" }.contains (
            jobArgument);
    int failures = 0;

    for (const auto& wire : { WireModel::usb(), WireModel::din() })
    {
        if (! transfers || (wireArgument.isNotEmpty() && wireArgument != wire.name))
            continue;

        // Built once per wire: its start-up reads the names, and SEND sends what READ saved.
        BenchLibrarian librarian { wire };

        for (const auto job : allJobs)
        {
            // A send on its own still needs the files a READ saves, but only the send is reported.
            const auto onlyPreparing = jobArgument.startsWith ("SEND") && job == Job::read;

            if (jobArgument.isNotEmpty() && jobArgument != jobName (job) && ! onlyPreparing)
                continue;

            const auto outcome = librarian.run (job, slots);

            if (outcome.failed)
            {
                std::fprintf (stderr, "%s %s did not finish as done\n", jobName (job), wire.name.toRawUTF8());
                ++failures;
            }

            if (onlyPreparing)
                continue;

            std::printf ("%s %s %.3f %.3f %.2f\n", jobName (job), wire.name.toRawUTF8(),
                         outcome.measuredMs / 1000.0, outcome.floorMs / 1000.0,
                         outcome.measuredMs / outcome.floorMs);
            printBreakdown (jobName (job), wire, outcome);
            std::fflush (stdout);
        }
    }

    if ((jobArgument.isEmpty() || jobArgument == "SCAN") && ! benchFolderScan())
        ++failures;

    if ((jobArgument.isEmpty() || jobArgument == "STARTUP") && ! benchStartup())
        ++failures;

    return failures == 0 ? 0 : 1;
}

/** The benchmark runs as a JUCE application, as the librarian does: on Linux that gives it the
    framework's tolerant X error handlers, without which a bare X server's harmless errors end
    the process.
*/
class BenchApplication final : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "tonarel-bench"; }
    const juce::String getApplicationVersion() override { return "1"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String&) override
    {
        setApplicationReturnValue (runBenchmarks (getCommandLineParameterArray()));
        quit();
    }

    void shutdown() override {}
    void systemRequestedQuit() override {}
};

START_JUCE_APPLICATION (BenchApplication)
