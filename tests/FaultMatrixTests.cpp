// The fault matrix: every kind of transfer job, driven through the panel as a user drives it,
// against every fault the simulated device can inject, on both wires. Each case checks what a
// user relies on afterwards: the outcome word tells the truth, no preset file or device slot is
// left half written or changed behind the user's back, nothing hangs, and the panel shows the
// connection as it really is once its monitor has looked.
//
// The cases are one table (allCases) run by one parameterised test, each through the same checks.
// One line is printed per case and a closing tally at the end. The frame at which the device is
// unplugged is drawn from a seed (TONAREL_FAULT_SEED, printed), so a failing case can be rerun.

#include "device/SysexFrame.h"
#include "tests/LibrarianFixture.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>

namespace
{
    enum class Kind
    {
        ReadAndSave,
        Send,
        ReadSelectedNames,
        ReadListedNames
    };

    enum class Fault
    {
        silence,
        droppedFrame,
        badChecksum,
        err,
        checksumFailed,
        wrongLength,
        badHeader,
        realtimeBytes,
        unplug,
        replug
    };

    const char* const kindNames[] = { "ReadAndSave", "Send", "ReadSelectedNames", "ReadListedNames" };
    const char* const faultNames[] = { "silence",         "dropped-frame", "bad-checksum", "ERR",
                                       "CHECKSUM-FAILED", "wrong-length",  "bad-header",   "clock+sensing",
                                       "unplug",          "replug" };

    enum class Wire
    {
        usb,
        din
    };

    /** One case of the table. A fault that meets only the first attempt at a preset lets the
        retry find the device well again.
    */
    struct Case
    {
        Kind kind;
        Fault fault;
        Wire wire;
        bool firstAttemptOnly = false;
    };

    bool isTransfer (Kind kind)
    {
        return kind == Kind::ReadAndSave || kind == Kind::Send;
    }

    /** The table: every job against every fault on both wires, and where a retry can help, once
        more with the fault meeting the first attempt only.
    */
    std::vector<Case> allCases()
    {
        std::vector<Case> cases;

        for (auto wire : { Wire::usb, Wire::din })
            for (auto kind :
                 { Kind::ReadAndSave, Kind::Send, Kind::ReadSelectedNames, Kind::ReadListedNames })
                for (int f = 0; f <= (int) Fault::replug; ++f)
                {
                    const auto fault = (Fault) f;
                    cases.push_back ({ kind, fault, wire, false });

                    // Name reads are never retried, so a fault meeting the first attempt only is
                    // the same as a lasting one.
                    const auto retryable =
                        fault != Fault::realtimeBytes && fault != Fault::unplug && fault != Fault::replug;

                    // A send meets no header from the device and takes its ACKs whatever their
                    // length, so these two faults do not fail it to begin with.
                    const auto failsSend = fault != Fault::badChecksum && fault != Fault::wrongLength;

                    if (isTransfer (kind) && retryable && (kind != Kind::Send || failsSend))
                        cases.push_back ({ kind, fault, wire, true });
                }

        return cases;
    }

    void PrintTo (const Case& c, std::ostream* out)
    {
        *out << kindNames[(int) c.kind] << ' ' << faultNames[(int) c.fault]
             << (c.wire == Wire::usb ? " USB" : " DIN") << (c.firstAttemptOnly ? ", first attempt only" : "");
    }

    //==============================================================================
    // Where the faults strike: the reply of the device within one exchange. A full read has 177
    // replies (header, 175 parameters, end), a send 178 (version, header ACK, 175 parameter ACKs,
    // end ACK); a name read has only the header.
    constexpr int faultReplyOfTransfer = 40;
    constexpr int repliesOfRead = 1 + DeviceSimulator::parametersPerPreset + 1;
    constexpr int repliesOfSend = 2 + DeviceSimulator::parametersPerPreset + 1;

    // Time-out budgets in the watch thread's counts: 400 ends a full transfer after 1 s and a
    // name read after 0.4 s, so a device that never answers costs little; 2400 (6 s, 2.4 s)
    // leaves a whole preset on the slow wire room to cross after a time-out. Faults that never
    // need the time-out keep the program's own budget.
    constexpr int shortBudget = 400;
    constexpr int retryBudget = 2400;
    constexpr int programBudget = 12000;

    // Bounds a job that does not end; far above what any case takes.
    constexpr int jobTimeLimitMs = 240000;

    constexpr int numSlots = DeviceSimulator::numSlots;

    struct Tally
    {
        int passed = 0, failed = 0;
    };

    Tally tally;

    /** Prints the closing tally once every wire has run. */
    class ClosingTally final : public ::testing::Environment
    {
    public:
        void TearDown() override
        {
            std::cout << tally.passed << " passed, " << tally.failed << " failed" << std::endl;
        }
    };

    [[maybe_unused]] auto* const closingTally = ::testing::AddGlobalTestEnvironment (new ClosingTally);

    juce::int64 matrixSeed()
    {
        if (const auto* text = std::getenv ("TONAREL_FAULT_SEED"))
            return juce::String (text).getLargeIntValue();

        return 20260517;
    }

    bool samePreset (const PresetData& a, const PresetData& b)
    {
        return a.name == b.name && a.version == b.version && a.parameters == b.parameters;
    }

    using FileContents = std::map<juce::String, juce::MemoryBlock>;

    FileContents filesIn (const juce::File& folder)
    {
        FileContents contents;

        for (const auto& file : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
        {
            juce::MemoryBlock bytes;
            file.loadFileAsData (bytes);
            contents[file.getFileName()] = bytes;
        }

        return contents;
    }

    /** Signals the worker to stop when a job runs far too long, so a hang becomes a failed case. */
    struct Watchdog final : private juce::Timer
    {
        explicit Watchdog (PresetLibrarianManager& panelToWatch) : panel (panelToWatch) { startTimer (1000); }

        void timerCallback() override
        {
            if (juce::Time::getMillisecondCounter() - startedAt < (juce::uint32) jobTimeLimitMs)
                return;

            fired = true;
            stopTimer();
            panel.signalThreadShouldExit();
        }

        PresetLibrarianManager& panel;
        const juce::uint32 startedAt = juce::Time::getMillisecondCounter();
        bool fired = false;
    };

    /** Unplugs the device, from the message thread, once the program has sent a given number of
        REQUEST PRESET frames: how a name read is cut off at a frame of the test's choosing.
    */
    struct UnplugAfterRequests final : private juce::Timer
    {
        UnplugAfterRequests (DeviceSimulator& deviceToUnplug, int requests)
            : device (deviceToUnplug), requestsBeforeUnplug (requests)
        {
            startTimer (2);
        }

        void timerCallback() override
        {
            int requests = 0;

            for (const auto& entry : device.getTranscript())
                if (! entry.fromDevice &&
                    frameType (entry.message.getRawData(), entry.message.getRawDataSize()) ==
                        SysexType::requestPreset)
                    ++requests;

            if (requests >= requestsBeforeUnplug)
            {
                stopTimer();
                device.unplug();
            }
        }

        DeviceSimulator& device;
        const int requestsBeforeUnplug;
    };
} // namespace

//==============================================================================
/** One wire: a device, a connected panel reused by every case, and the checks. */
class FaultMatrixBench : private RecordedDesktop
{
public:
    explicit FaultMatrixBench (Wire wireOfBench)
        : wireKind (wireOfBench), wire (wireOfBench == Wire::usb ? WireModel::usb() : WireModel::din()),
          random (seedForWire())
    {
        device = std::make_unique<DeviceSimulator> (midiPorts, wire);

        for (int slot = 1; slot <= numSlots; ++slot)
            factorySlots.push_back (device->getSlot (slot));

        panel = std::make_unique<PresetLibrarianManager> (services);
        panel->setSize (800, 600);

        // The faults are aimed at the replies of the job's own exchanges: a snapshot read before
        // each send would take them instead. Its reads are the reads the save cases prove.
        panel->getSettings().setKeepSnapshot (false);
        dispatchMessagesUntil ([this] { return panel->getPresetFiles().getFolderPath().isNotEmpty(); });
    }

    ~FaultMatrixBench()
    {
        panel.reset();
        device.reset();
    }

    bool startedConnected() const { return panel->isConnected() && deviceRowsAreSlots (true); }

    /** Runs the case, prints its line, counts it, and returns what went wrong. */
    juce::StringArray run (const Case& c)
    {
        const auto started = juce::Time::getMillisecondCounterHiRes();
        juce::StringArray problems;
        juce::String detail;

        if (! prepare (c))
            problems.add ("could not reconnect before the case");
        else
            runAndCheck (c, problems, detail);

        const auto seconds = (juce::Time::getMillisecondCounterHiRes() - started) / 1000.0;
        const auto passed = problems.isEmpty();
        previousCaseFailed = ! passed;
        (passed ? tally.passed : tally.failed)++;

        std::cout << juce::String (kindNames[(int) c.kind]).paddedRight (' ', 18)
                  << (juce::String (faultNames[(int) c.fault]) + (c.firstAttemptOnly ? "/once" : ""))
                         .paddedRight (' ', 22)
                  << wire.name.paddedRight (' ', 5) << (passed ? "PASS " : "FAIL ") << detail << " ("
                  << juce::String (seconds, 1) << " s)"
                  << (passed ? "" : ": " + problems.joinIntoString ("; ")) << std::endl;
        return problems;
    }

private:
    juce::int64 seedForWire() const { return matrixSeed() + (wire.bytesPerSecond > 0.0 ? 1 : 0); }

    //==============================================================================
    // The device's state, the folder and the panel as each case finds them.

    /** The slots a job works on. On the slow wire a transfer takes two presets, not three:
        each costs two seconds there, and the fault strikes the second either way.
    */
    std::vector<int> slotsOf (Kind kind) const
    {
        const auto slow = wire.bytesPerSecond > 0.0;

        switch (kind)
        {
            case Kind::ReadAndSave: return slow ? std::vector<int> { 5, 42 } : std::vector<int> { 5, 42, 99 };
            case Kind::Send: return slow ? std::vector<int> { 11, 12 } : std::vector<int> { 11, 12, 60 };
            case Kind::ReadSelectedNames: return { 8, 9, 77 };
            case Kind::ReadListedNames: return { 1, 50, 99 };
        }

        return {};
    }

    juce::File presetFolder() const { return juce::File (panel->getPresetFiles().getFolderPath()); }

    /** A file the device would make of a preset: what a save has to write, byte for byte. */
    juce::MemoryBlock presetFileBytes (const PresetData& preset)
    {
        TemporaryFolder scratch;
        writePresetFile (scratch.root.getFullPathName(), preset, PresetWriteMode::Overwrite);

        juce::MemoryBlock bytes;
        scratch.root.getChildFile (presetFileName (preset)).loadFileAsData (bytes);
        return bytes;
    }

    /** The presets the Send case loads: other names and values than the slots they go to. */
    PresetData filePreset (int k) const
    {
        auto preset = factorySlots[(size_t) (k == 0 ? 0 : 20 + k)]; // slot 1 holds the extreme values
        preset.name = filePresetPrefix + juce::String (k + 1);

        if (k > 0)
            for (auto& parameter : preset.parameters)
                parameter.value = (parameter.value + 12345 * k) % (kMax28BitValue + 1);

        return preset;
    }

    bool deviceRowsAreSlots (bool allSlots) const
    {
        const auto& rows = panel->getDeviceList().getRows();

        if (allSlots && rows.size() != numSlots)
            return false;

        for (int r = 0; r < rows.size(); ++r)
            if (rows[r].number != r + 1)
                return false;

        return true;
    }

    void tickMonitor() { panel->getConnectionMonitor().tick(); }

    bool prepare (const Case& c)
    {
        device->setFaults ({});
        panel->getPresetManager().setExchangeBudget (programBudget);
        panel->getTransferController().onStatusMessage = nullptr;

        for (int slot = 1; slot <= numSlots; ++slot)
            if (! samePreset (device->getSlot (slot), factorySlots[(size_t) slot - 1]))
                device->setSlot (slot, factorySlots[(size_t) slot - 1]);

        if (! device->isPluggedIn())
            device->plugIn();

        // A failed case may have left the ports dead; the next one starts from live ones.
        if (previousCaseFailed)
            panel->getPresetManager().reopenPorts();

        for (int tick = 0; tick < 3 && ! panel->isConnected(); ++tick)
            tickMonitor();

        if (! panel->isConnected())
            return false;

        // Every case starts from a folder holding one unrelated preset file, which nothing may
        // touch, and for a save a stale file of the second slot, which only a completed
        // overwrite may replace.
        for (const auto& file : presetFolder().findChildFiles (juce::File::findFilesAndDirectories, false))
            file.deleteRecursively();

        auto unrelated = factorySlots[30];
        unrelated.name = "Keep Me";
        writeFile (unrelated);

        const auto slots = slotsOf (c.kind);

        if (c.kind == Kind::ReadAndSave)
        {
            auto stale = factorySlots[(size_t) slots[1] - 1];
            stale.parameters.resize (10);
            writeFile (stale);
        }

        if (c.kind == Kind::Send)
            for (int k = 0; k < (int) slots.size(); ++k)
                writeFile (filePreset (k));

        // A name read has to show something new to be seen working.
        if (! isTransfer (c.kind))
            for (auto slot : slots)
            {
                auto renamed = factorySlots[(size_t) slot - 1];
                renamed.name = "Renamed " + juce::String (slot);
                device->setSlot (slot, renamed);
            }

        panel->rescanPresetFolder();
        panel->getDeviceList().getTable().deselectAllRows();
        panel->getLocalList().getTable().deselectAllRows();
        dialogs.boxes.clear();
        dialogs.answers.clear();
        device->waitUntilQuiet();
        device->clearTranscript();
        return true;
    }

    void writeFile (const PresetData& preset)
    {
        writePresetFile (presetFolder().getFullPathName(), preset, PresetWriteMode::Overwrite);
    }

    //==============================================================================
    DeviceSimulator::Faults faultsFor (const Case& c, juce::String& detail)
    {
        DeviceSimulator::Faults faults;
        const auto reply = isTransfer (c.kind) ? faultReplyOfTransfer : 1;

        switch (c.fault)
        {
            case Fault::silence: faults.silent = true; break;
            case Fault::droppedFrame: faults.dropReply = reply; break;
            case Fault::badChecksum: faults.corruptPresetStartChecksum = true; break;
            case Fault::err: faults.errAtReply = reply; break;
            case Fault::checksumFailed: faults.checksumFailedAtReply = reply; break;
            case Fault::wrongLength: faults.wrongLengthAtReply = reply; break;
            case Fault::badHeader: faults.badHeaderAtReply = reply; break;
            case Fault::realtimeBytes: faults.realtimeBetweenReplies = true; break;

            case Fault::unplug:
            case Fault::replug:
                if (isTransfer (c.kind))
                {
                    faults.unplugAtReply =
                        1 + random.nextInt (c.kind == Kind::Send ? repliesOfSend : repliesOfRead);
                    detail << "reply " << faults.unplugAtReply << ", ";
                }
                break;
        }

        return faults;
    }

    int budgetFor (const Case& c) const
    {
        if (c.fault == Fault::silence || c.fault == Fault::droppedFrame)
            return shortBudget;

        return c.fault == Fault::replug ? retryBudget : programBudget;
    }

    /** The word the job has to report. */
    static juce::String expectedWord (const Case& c)
    {
        if (! isTransfer (c.kind))
            return c.fault == Fault::realtimeBytes ? "done" : "failed";

        if (c.firstAttemptOnly || c.fault == Fault::realtimeBytes)
            return "done";

        const auto sending = c.kind == Kind::Send;

        switch (c.fault)
        {
            case Fault::silence:
            case Fault::droppedFrame: return "Timeout";

            // A send has no header from the device to spoil, and the device takes its frames
            // as they are meant however long its own acknowledgements come out.
            case Fault::badChecksum: return sending ? "done" : "Checksum failed";
            case Fault::wrongLength: return sending ? "done" : "Error";
            case Fault::checksumFailed: return "Checksum failed";
            case Fault::err:
            case Fault::badHeader:
            case Fault::unplug:
            case Fault::replug:
            case Fault::realtimeBytes: break;
        }

        return "Error";
    }

    //==============================================================================
    void runAndCheck (const Case& c, juce::StringArray& problems, juce::String& detail)
    {
        const auto slots = slotsOf (c.kind);
        const auto filesBefore = filesIn (presetFolder());
        const auto rowsBefore = panel->getDeviceList().getRows();
        const auto slotsBefore = deviceSlots();

        const auto faults = faultsFor (c, detail);
        std::unique_ptr<UnplugAfterRequests> namesUnplug;

        if (isTransfer (c.kind))
            armFaultsAtSecondPreset (c, slots, faults);
        else
            namesUnplug = armFaultsForNames (c, slots, faults, detail);

        const auto word = runJob (c, slots, problems);
        const auto namesUnplugged = namesUnplug != nullptr;
        disarmFaults (c, namesUnplug);
        detail << word;

        checkOutcomeWord (c, slots, word, namesUnplugged, problems);

        if (panel->getPresetManager().isThreadRunning())
            problems.add ("the watch thread outlived the job");

        if (! device->waitUntilQuiet())
            problems.add ("the conversation did not end");

        checkFiles (c, slots, word, filesBefore, problems);
        checkDevice (c, slots, word, slotsBefore, problems);

        if (! isTransfer (c.kind))
            checkNames (slots, word, rowsBefore, problems);

        checkConnectionState (problems);
    }

    std::vector<PresetData> deviceSlots() const
    {
        std::vector<PresetData> slots;

        for (int slot = 1; slot <= numSlots; ++slot)
            slots.push_back (device->getSlot (slot));

        return slots;
    }

    /** Arms a transfer's fault as the worker turns to the second preset, so the first one has
        gone through whole and the job fails, if it does, in its middle. A transient fault is
        cleared as the retry begins; a replugged device comes back then too.
    */
    void armFaultsAtSecondPreset (const Case& c, const std::vector<int>& slots,
                                  const DeviceSimulator::Faults& faults)
    {
        auto& manager = panel->getPresetManager();
        const auto budget = budgetFor (c);
        const auto second = juce::String (slots[1]);
        const auto prefix = c.kind == Kind::Send ? "Sending preset " : "Reading preset ";

        panel->getTransferController().onStatusMessage =
            [this, &manager, &c, faults, budget, first = prefix + second,
             retry = prefix + second + "-1"] (const juce::String& status)
        {
            if (status == first)
            {
                manager.setExchangeBudget (budget);
                device->setFaults (faults);
            }
            else if (status == retry)
            {
                if (c.firstAttemptOnly)
                {
                    manager.setExchangeBudget (retryBudget);
                    device->setFaults ({});
                }

                if (c.fault == Fault::replug)
                    device->plugIn();
            }
        };
    }

    /** Arms a name read's fault from its first request; an unplug comes at a request drawn
        from the seed, which the case's line names.
    */
    std::unique_ptr<UnplugAfterRequests> armFaultsForNames (const Case& c, const std::vector<int>& slots,
                                                            const DeviceSimulator::Faults& faults,
                                                            juce::String& detail)
    {
        panel->getPresetManager().setExchangeBudget (budgetFor (c));
        device->setFaults (faults);

        if (c.fault != Fault::unplug && c.fault != Fault::replug)
            return nullptr;

        const auto requests = c.kind == Kind::ReadListedNames ? numSlots : (int) slots.size();
        const auto unplugAt = 1 + random.nextInt (requests - 1);
        detail << "request " << unplugAt << ", ";
        return std::make_unique<UnplugAfterRequests> (*device, unplugAt);
    }

    /** Leaves the device well, plugged in and the program on its own budget for the checks. */
    void disarmFaults (const Case& c, std::unique_ptr<UnplugAfterRequests>& namesUnplug)
    {
        panel->getTransferController().onStatusMessage = nullptr;
        namesUnplug.reset();
        device->setFaults ({});
        panel->getPresetManager().setExchangeBudget (programBudget);

        if (c.fault == Fault::replug && ! device->isPluggedIn())
            device->plugIn();
    }

    void checkOutcomeWord (const Case& c, const std::vector<int>& slots, const juce::String& word,
                           bool namesUnplugged, juce::StringArray& problems) const
    {
        // A name read cut off by the test's own unplug may have got every header first; it
        // may then report either way, and the names it shows are checked below.
        const auto allHeadersArrived =
            namesUnplugged &&
            headersFromDevice() >= (c.kind == Kind::ReadListedNames ? numSlots : (int) slots.size());

        if (word != expectedWord (c) && ! allHeadersArrived)
            problems.add ("reported \"" + word + "\", expected \"" + expectedWord (c) + "\"");
    }

    int headersFromDevice() const
    {
        int headers = 0;

        for (const auto& entry : device->getTranscript())
            if (entry.fromDevice && frameType (entry.message.getRawData(), entry.message.getRawDataSize()) ==
                                        SysexType::sendPresetStart)
                ++headers;

        return headers;
    }

    /** Runs the job as the user starts it and returns its outcome word. */
    juce::String runJob (const Case& c, const std::vector<int>& slots, juce::StringArray& problems)
    {
        auto& deviceTable = panel->getDeviceList().getTable();

        for (auto slot : slots)
            deviceTable.selectRow (slot - 1, true, false);

        Watchdog watchdog (*panel);

        switch (c.kind)
        {
            case Kind::ReadAndSave:
                dialogs.answers.assign (20, 1); // "Overwrite", whenever asked
                panel->buttonClicked (&panel->getSaveButton());
                break;

            case Kind::Send:
            {
                // The k-th selected file goes to the k-th selected slot, in the list's order.
                const auto& files = panel->getLocalList().getRows();
                sendOrder.clear();

                for (int row = 0; row < files.size(); ++row)
                    if (files[row].name.startsWith (filePresetPrefix))
                    {
                        panel->getLocalList().getTable().selectRow (row, true, false);
                        sendOrder.push_back (
                            files[row].name.fromLastOccurrenceOf (" ", false, false).getIntValue() - 1);
                    }

                dialogs.answers = { 1 + Dialogs::applyToAllBonus };
                panel->buttonClicked (&panel->getLoadButton());
                break;
            }

            case Kind::ReadSelectedNames: panel->readSelectedDeviceNames(); break;
            case Kind::ReadListedNames: panel->buttonClicked (&panel->getRefreshButton()); break;
        }

        if (watchdog.fired)
            problems.add ("the job hung and was stopped");

        // A transfer's word is the first line of its warning notice (a load's offers "Undo" too;
        // a success has none, or a load's notice without a warning), a name read's in the status.
        const auto status = panel->getStatusLabel().getText();

        if (! isTransfer (c.kind))
            return status.fromFirstOccurrenceOf ("reading ", false, false);

        juce::String word = "done";

        for (const auto& box : dialogs.boxes)
            if (box.buttons.contains ("Ok") && ! box.buttons.contains ("Cancel") &&
                box.icon == Dialogs::Icon::warning)
                word = box.message.upToFirstOccurrenceOf ("\n", false, false);

        if (c.kind == Kind::ReadAndSave && status != "reading and saving " + word)
            problems.add ("status \"" + status + "\" disagrees with the notice");

        return word;
    }

    //==============================================================================
    void checkFiles (const Case& c, const std::vector<int>& slots, const juce::String& word,
                     const FileContents& before, juce::StringArray& problems)
    {
        const auto after = filesIn (presetFolder());
        std::map<juce::String, int> slotOfFile;

        if (c.kind == Kind::ReadAndSave)
            for (auto slot : slots)
                slotOfFile[presetFileName (factorySlots[(size_t) slot - 1])] = slot;

        int written = 0;
        bool lastWritten = false;

        for (const auto& [name, bytes] : after)
        {
            const auto old = before.find (name);
            const auto unchanged = old != before.end() && old->second == bytes;
            const auto slot = slotOfFile.find (name);

            if (slot != slotOfFile.end() &&
                bytes == presetFileBytes (factorySlots[(size_t) slot->second - 1]))
            {
                ++written;
                lastWritten = lastWritten || slot->second == slots.back();
            }
            else if (old == before.end())
            {
                problems.add ("left " + name);
            }
            else if (! unchanged)
            {
                problems.add (name + " changed");
            }
        }

        for (const auto& [name, bytes] : before)
            if (after.count (name) == 0)
                problems.add (name + " lost");

        if (c.kind == Kind::ReadAndSave)
        {
            if (word == "done" && written != (int) slots.size())
                problems.add ("\"done\" with " + juce::String (written) + " of " +
                              juce::String ((int) slots.size()) + " files written");

            if (word != "done" && lastWritten)
                problems.add ("the job went on after the failure");
        }
    }

    void checkDevice (const Case& c, const std::vector<int>& slots, const juce::String& word,
                      const std::vector<PresetData>& before, juce::StringArray& problems)
    {
        int sent = 0;

        for (int slot = 1; slot <= numSlots; ++slot)
        {
            const auto now = device->getSlot (slot);
            const auto target = std::find (slots.begin(), slots.end(), slot);

            const auto position = (size_t) (target - slots.begin());

            if (c.kind == Kind::Send && target != slots.end() && position < sendOrder.size() &&
                samePreset (now, filePreset (sendOrder[position])))
            {
                ++sent;

                if (word != "done" && slot == slots.back())
                    problems.add ("the job went on after the failure");
            }
            else if (! samePreset (now, before[(size_t) slot - 1]))
                problems.add ("slot " + juce::String (slot) + " changed");
        }

        if (c.kind == Kind::Send && word == "done" && sent != (int) slots.size())
            problems.add ("\"done\" with " + juce::String (sent) + " of " +
                          juce::String ((int) slots.size()) + " slots written");
    }

    void checkNames (const std::vector<int>& slots, const juce::String& word,
                     const juce::Array<DevicePresetEntry>& rowsBefore, juce::StringArray& problems)
    {
        const auto& rows = panel->getDeviceList().getRows();

        if (! deviceRowsAreSlots (false))
            problems.add ("device rows no longer stand for their slots");

        for (const auto& row : rows)
        {
            const auto shownBefore =
                row.number <= rowsBefore.size() ? rowsBefore[row.number - 1].name : juce::String();

            if (row.name != device->getSlot (row.number).name && row.name != shownBefore)
                problems.add ("row " + juce::String (row.number) + " shows \"" + row.name + "\"");
        }

        if (word == "done")
            for (auto slot : slots)
                if (rows.size() < slot || rows[slot - 1].name != device->getSlot (slot).name)
                    problems.add ("\"done\" but slot " + juce::String (slot) + " not shown as read");
    }

    /** Lets the monitor look, as its timer would, then checks that the panel shows the device as
        it is. A panel that says connected has to be able to talk to the device too.
    */
    void checkConnectionState (juce::StringArray& problems)
    {
        const auto present = device->isPluggedIn();
        tickMonitor();

        for (int tick = 0; tick < 2 && panel->isConnected() != present; ++tick)
            tickMonitor();

        const auto& label = panel->getDeviceLabel();
        const auto labelColour = label.findColour (juce::Label::textColourId);
        auto& list = panel->getDeviceList();

        if (panel->isConnected() != present)
        {
            problems.add (present ? "not reconnected" : "still shown connected");
            return;
        }

        if (! present)
        {
            if (label.getText() != "Unable to detect Tonarel!" || labelColour != juce::Colour (0xffff0000))
                problems.add ("device label \"" + label.getText() + "\"");

            if (list.getNumRows() != 0 || list.isEnabled())
                problems.add ("device list still usable");

            for (auto* button : { &panel->getSaveButton(), &panel->getSaveAllButton(),
                                  &panel->getLoadButton(), &panel->getLoadAllButton() })
                if (button->isEnabled())
                    problems.add (button->getButtonText() + " enabled");

            return;
        }

        if (! label.getText().startsWith ("Tonarel") || labelColour != juce::Colour (0xff000000))
            problems.add ("device label \"" + label.getText() + "\"");

        if (! list.isEnabled() || ! panel->getSaveAllButton().isEnabled())
            problems.add ("device list or Save All disabled");

        // One name read through the open ports shows whether they still reach the device.
        dialogs.boxes.clear();
        auto& table = list.getTable();
        table.selectRow (0, false, true);
        panel->getPresetManager().setExchangeBudget (retryBudget);
        panel->readSelectedDeviceNames();
        panel->getPresetManager().setExchangeBudget (programBudget);
        table.deselectAllRows();

        if (panel->getLastResult() < 0 || ! dialogs.boxes.empty())
            problems.add ("shown connected, but the device does not answer");
    }

    //==============================================================================
    static constexpr const char* filePresetPrefix = "Fault File ";

public:
    const Wire wireKind;

private:
    const WireModel wire;
    juce::Random random;
    std::vector<int> sendOrder; // the file each selected slot of a send gets
    bool previousCaseFailed = false;
    ScriptedDialogs dialogs;
    InProcessMidiPorts midiPorts;
    AppServices services = servicesFor (dialogs, midiPorts);
    std::unique_ptr<DeviceSimulator> device;
    std::unique_ptr<PresetLibrarianManager> panel;
    std::vector<PresetData> factorySlots;
};

//==============================================================================
/** One parameterised test over the whole table. The bench of a wire, with its connected panel,
    is made once and kept for that wire's cases: each connection costs a read of 99 names.
*/
class FaultMatrix : public ::testing::TestWithParam<Case>
{
protected:
    static FaultMatrixBench& benchFor (Wire wire)
    {
        if (bench == nullptr || bench->wireKind != wire)
        {
            bench.reset();
            std::cout << "fault matrix on " << (wire == Wire::usb ? "USB" : "DIN") << ", seed "
                      << matrixSeed() << std::endl;
            bench = std::make_unique<FaultMatrixBench> (wire);
            EXPECT_TRUE (bench->startedConnected()) << "the panel did not connect before the first case";
        }

        return *bench;
    }

    static void TearDownTestSuite() { bench.reset(); }

    static std::unique_ptr<FaultMatrixBench> bench;
};

std::unique_ptr<FaultMatrixBench> FaultMatrix::bench;

TEST_P (FaultMatrix, JobReportsTheTruthAndLeavesNothingHalfDone)
{
    const auto& c = GetParam();
    const auto problems = benchFor (c.wire).run (c);
    EXPECT_TRUE (problems.isEmpty()) << problems.joinIntoString ("; ");
}

INSTANTIATE_TEST_SUITE_P (
    AllJobsAllFaultsBothWires, FaultMatrix, ::testing::ValuesIn (allCases()),
    [] (const ::testing::TestParamInfo<Case>& info)
    {
        const auto& c = info.param;
        auto name = juce::String (kindNames[(int) c.kind]) + "_" + juce::String (faultNames[(int) c.fault]) +
                    "_" + (c.wire == Wire::usb ? "USB" : "DIN") +
                    (c.firstAttemptOnly ? "_FirstAttemptOnly" : "");
        return name.retainCharacters ("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_")
            .toStdString();
    });
