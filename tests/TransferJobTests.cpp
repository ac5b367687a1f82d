// The librarian's transfer commands driven end to end: the panel, its worker and the simulated
// device, with the boxes answered from a script.

#include "device/SysexFrame.h"
#include "tests/LibrarianFixture.h"

#include <mutex>

namespace
{
    juce::Button* cancelButtonOf (juce::AlertWindow* window)
    {
        if (window != nullptr)
            for (auto* child : window->getChildren())
                if (auto* button = dynamic_cast<juce::Button*> (child))
                    return button;

        return nullptr;
    }

    /** Presses the progress window's Cancel button once a condition holds, as a user would. */
    struct CancelWhen final : private juce::Timer
    {
        CancelWhen (PresetLibrarianManager& panelToCancel, std::function<bool()> conditionToWaitFor)
            : panel (panelToCancel), condition (std::move (conditionToWaitFor))
        {
            startTimer (5);
        }

        void timerCallback() override
        {
            auto* cancel = cancelButtonOf (panel.getAlertWindow());

            if (! panel.isThreadRunning() || cancel == nullptr || ! condition())
                return;

            stopTimer();
            pressedAt = juce::Time::getMillisecondCounterHiRes();
            cancel->triggerClick();
        }

        PresetLibrarianManager& panel;
        std::function<bool()> condition;
        double pressedAt = 0.0;
    };
} // namespace

class TransferJobs : public LibrarianFixture
{
protected:
    /** The connected panel, with its statuses followed and a fresh transcript and log. */
    PresetLibrarianManager& openConnectedPanel()
    {
        LibrarianFixture::openConnectedPanel();

        panel->onStatusMessage = [this] (const juce::String& status)
        {
            const std::lock_guard<std::mutex> guard (statusLock);
            statuses.add (status);
        };

        device->clearTranscript();
        applicationFolder().getChildFile ("tonarel.log").deleteFile();
        return *panel;
    }

    juce::StringArray takeStatuses()
    {
        const std::lock_guard<std::mutex> guard (statusLock);
        auto taken = statuses;
        statuses.clear();
        return taken;
    }

    void click (juce::Button& button) { panel->buttonClicked (&button); }

    void selectSlots (std::initializer_list<int> slots)
    {
        auto& table = panel->getDeviceList().getTable();
        table.deselectAllRows();

        for (auto slot : slots)
            table.selectRow (slot - 1, true, false);
    }

    void selectFileRows (std::initializer_list<int> rows)
    {
        auto& table = panel->getLocalList().getTable();
        table.deselectAllRows();

        for (auto row : rows)
            table.selectRow (row, true, false);
    }

    juce::File fileOfSlot (int slot) const
    {
        return presetFolder().getChildFile (presetFileName (device->getSlot (slot)));
    }


    /** The slots of the REQUEST PRESET frames the program sent since the transcript was cleared. */
    juce::Array<int> requestedSlots() const
    {
        juce::Array<int> slots;

        for (const auto& entry : device->getTranscript())
        {
            const auto* data = entry.message.getRawData();
            const auto size = entry.message.getRawDataSize();

            if (! entry.fromDevice && frameType (data, size) == SysexType::requestPreset)
                slots.add (decode14 (data + kPresetNumberOffset));
        }

        return slots;
    }

    int framesFromDevice() const
    {
        int count = 0;

        for (const auto& entry : device->getTranscript())
            count += entry.fromDevice ? 1 : 0;

        return count;
    }

    void expectOnlyNotice (const juce::String& word)
    {
        ASSERT_EQ (dialogs.boxes.size(), 1u);
        const auto& box = dialogs.boxes.front();
        EXPECT_EQ (box.icon, Dialogs::Icon::warning);
        EXPECT_EQ (box.title, "");
        EXPECT_EQ (box.message, word);
        EXPECT_EQ (box.buttons, juce::StringArray { "Ok" });
        dialogs.boxes.clear();
    }

    juce::String statusText() const { return panel->getStatusLabel().getText(); }

    /** The transfer log's lines, each split into its fields after the time: job, exchange,
        slot, file, attempt, outcome, duration and, for a failure, the frames.
    */
    std::vector<juce::StringArray> logLines() const
    {
        std::vector<juce::StringArray> lines;
        juce::StringArray text;
        text.addLines (applicationFolder().getChildFile ("tonarel.log").loadFileAsString());

        for (const auto& line : text)
        {
            if (line.isEmpty())
                continue;

            auto fields = juce::StringArray::fromTokens (line, "\t", {});
            fields.remove (0);
            lines.push_back (fields);
        }

        return lines;
    }

    /** The log's lines as "exchange attempt outcome" (e.g. "send 2 done"), jobs as "job outcome". */
    juce::StringArray loggedAttempts() const
    {
        juce::StringArray attempts;

        for (const auto& fields : logLines())
            attempts.add (fields[1] == "job" ? "job " + fields[5] : fields[1] + " " + fields[4] + " " + fields[5]);

        return attempts;
    }

    static bool samePreset (const PresetData& a, const PresetData& b)
    {
        return a.name == b.name && a.version == b.version && a.parameters == b.parameters;
    }

    std::mutex statusLock;
    juce::StringArray statuses;
};

TEST_F (TransferJobs, SaveWritesNewFilesAndAsksOnlyAboutExistingOnes)
{
    openConnectedPanel();

    // An unnamed slot is saved too, under its number alone.
    auto unnamed = device->getSlot (4);
    unnamed.name = {};
    device->setSlot (4, unnamed);
    ASSERT_EQ (fileOfSlot (4).getFileName(), "004_.tnl");

    selectSlots ({ 3, 4, 9 });
    click (panel->getSaveButton());

    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_EQ (statusText(), "reading and saving done");
    EXPECT_EQ (panel->getDeviceList().getTable().getNumSelectedRows(), 0);
    EXPECT_EQ (panel->getLocalList().getNumRows(), 3);
    EXPECT_EQ (presetFolder().getNumberOfChildFiles (juce::File::findFiles), 3);

    for (auto slot : { 3, 4, 9 })
    {
        const auto saved = readPresetFile (presetFolder().getFullPathName(), fileOfSlot (slot).getFileName());
        ASSERT_TRUE (saved.has_value());
        EXPECT_TRUE (samePreset (*saved, device->getSlot (slot))) << "slot " << slot;
    }

    SCOPED_TRACE ("Skip with Apply To All: the second existing file is not asked about");
    for (auto slot : { 3, 9 })
        ASSERT_TRUE (fileOfSlot (slot).replaceWithText ("kept"));

    ASSERT_TRUE (fileOfSlot (4).deleteFile());
    dialogs.answers = { 2 + Dialogs::applyToAllBonus };
    selectSlots ({ 3, 4, 9 });
    click (panel->getSaveButton());

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    const auto question = dialogs.boxes.front();
    EXPECT_EQ (question.icon, Dialogs::Icon::question);
    EXPECT_EQ (question.title, "");
    EXPECT_EQ (question.message, fileOfSlot (3).getFileName() + " already exists.");
    EXPECT_EQ (question.buttons, (juce::StringArray { "Overwrite", "Skip", "Create Copy" }));
    EXPECT_TRUE (question.offeredApplyToAll);
    EXPECT_EQ (fileOfSlot (3).loadFileAsString(), "kept");
    EXPECT_EQ (fileOfSlot (9).loadFileAsString(), "kept");
    EXPECT_TRUE (fileOfSlot (4).existsAsFile());
    EXPECT_EQ (statusText(), "reading and saving done");

    SCOPED_TRACE ("a single preset offers no Apply To All; Create Copy keeps the old file");
    dialogs.boxes.clear();
    dialogs.answers = { 0 };
    selectSlots ({ 9 });
    click (panel->getSaveButton());

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_FALSE (dialogs.boxes.front().offeredApplyToAll);
    EXPECT_EQ (fileOfSlot (9).loadFileAsString(), "kept");
    EXPECT_TRUE (presetFolder().getChildFile ("copy1_" + fileOfSlot (9).getFileName()).existsAsFile());
}

// Whether a retry brings a preset through, and that a lasting fault ends the job with its word,
// is the fault matrix's; here, how many attempts there are and what follows a failed job.
TEST_F (TransferJobs, FailedReadsAreRetriedThreeTimesThenTheJobStops)
{
    openConnectedPanel();

    SCOPED_TRACE ("a silent device: four attempts, then Timeout, and the next slot is not tried");
    panel->getPresetManager().setExchangeBudget (200);
    DeviceSimulator::Faults silent;
    silent.silent = true;
    device->setFaults (silent);
    selectSlots ({ 5, 6 });
    click (panel->getSaveButton());

    expectOnlyNotice ("Timeout");
    EXPECT_EQ (requestedSlots(), (juce::Array<int> { 5, 5, 5, 5 }));
    EXPECT_TRUE (takeStatuses().contains ("Reading preset 5-3"));
    EXPECT_EQ (statusText(), "reading and saving Timeout");
    EXPECT_FALSE (fileOfSlot (5).exists());

    SCOPED_TRACE ("after the failed reads the device's version is still known: its own files go in");
    device->setFaults ({});
    const auto fileName = addFileOfSlot (9, "After Timeout", DeviceSimulator::presetVersion);
    selectFileRows ({ listedFileNames().indexOf (fileName) });
    selectSlots ({ 3 });
    dialogs.answers = { 1 };
    click (panel->getLoadButton());

    ASSERT_EQ (dialogs.boxes.size(), 1u) << dialogs.boxes.back().message;
    EXPECT_TRUE (dialogs.boxes.front().message.endsWith ("(#3) in Tonarel?"));
    EXPECT_EQ (device->getSlot (3).name, "After Timeout");
    dialogs.boxes.clear();

    SCOPED_TRACE ("a file that cannot be written fails at once, without a retry");
    device->setFaults ({});
    device->clearTranscript();
    ASSERT_TRUE (presetFolder().deleteRecursively());
    selectSlots ({ 2 });
    click (panel->getSaveButton());

    expectOnlyNotice ("Save failed");
    EXPECT_EQ (requestedSlots(), juce::Array<int> { 2 });
    EXPECT_EQ (statusText(), "reading and saving Save failed");

    SCOPED_TRACE ("a job that skips all it was given reports its own outcome, not the failure before");
    presetFolder().createDirectory();
    const auto neverSent = addFileOfSlot (4, "Never Sent", DeviceSimulator::presetVersion);
    selectFileRows ({ listedFileNames().indexOf (neverSent) });
    selectSlots ({ 4 });
    dialogs.answers = { 0 };
    click (panel->getLoadButton());

    ASSERT_EQ (dialogs.boxes.size(), 1u) << "no notice after the question: " << dialogs.boxes.back().message;
    EXPECT_EQ (dialogs.boxes.front().buttons, (juce::StringArray { "Overwrite", "Skip" }));
    EXPECT_EQ (device->getPresetsStored(), 1);
}

TEST_F (TransferJobs, LoadToFillsTheFirstSelectedSlotsAndReadsTheirNamesBack)
{
    openConnectedPanel();
    for (auto [name, slot] : { std::pair { "Alpha One", 20 }, { "Beta Two", 21 }, { "Gamma Three", 22 } })
        addFileOfSlot (slot, name, DeviceSimulator::presetVersion);

    const auto slotEightBefore = device->getSlot (8);

    // What "Save >" would write of the slots about to be overwritten.
    const TemporaryFolder saved;
    for (auto slot : { 2, 4, 6 })
        writePresetFile (saved.root, device->getSlot (slot));

    selectFileRows ({ 0, 1, 2 });
    selectSlots ({ 2, 4, 6, 8, 10 });
    dialogs.answers = { 1, 1 + Dialogs::applyToAllBonus };
    const auto secondSlotName = device->getSlot (2).name;
    click (panel->getLoadButton());

    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (
        dialogs.boxes[0].message,
        "The number of selected presets in the Tonarel does not match the number of selected presets in "
        "the computer. Only 3 presets will be loaded.\n\nProceed?");
    EXPECT_EQ (dialogs.boxes[0].buttons, (juce::StringArray { "Ok", "Cancel" }));
    EXPECT_EQ (dialogs.boxes[1].message, "Overwrite \"" + secondSlotName + "\" (#2) in Tonarel?");
    EXPECT_EQ (dialogs.boxes[1].buttons, (juce::StringArray { "Overwrite", "Skip" }));
    EXPECT_TRUE (dialogs.boxes[1].offeredApplyToAll);

    const auto& rows = panel->getLocalList().getRows();
    for (auto [row, slot] : { std::pair { 0, 2 }, { 1, 4 }, { 2, 6 } })
    {
        EXPECT_EQ (device->getSlot (slot).name, rows[row].name) << "slot " << slot;
        EXPECT_EQ (panel->getDeviceList().getRows()[slot - 1].name, rows[row].name) << "row " << slot - 1;
    }

    EXPECT_TRUE (samePreset (device->getSlot (8), slotEightBefore));
    EXPECT_EQ (device->getPresetsStored(), 3);
    EXPECT_EQ (requestedSlots(), (juce::Array<int> { 2, 4, 6, 2, 4, 6 }))
        << "a snapshot before each send, then the names read back, nothing more";
    EXPECT_EQ (statusText(), "reading done");

    SCOPED_TRACE ("the snapshot holds what a save of those slots would have written, byte for byte");
    const auto snapshots = applicationFolder().getChildFile ("Snapshots").findChildFiles (juce::File::findDirectories, false);
    ASSERT_EQ (snapshots.size(), 1);
    const auto snapshotFiles = snapshots[0].findChildFiles (juce::File::findFiles, false, "*.tnl");
    ASSERT_EQ (snapshotFiles.size(), 3);

    for (const auto& file : snapshotFiles)
    {
        juce::MemoryBlock expected, actual;
        ASSERT_TRUE (saved.root.getChildFile (file.getFileName()).loadFileAsData (expected)) << file.getFileName();
        ASSERT_TRUE (file.loadFileAsData (actual));
        EXPECT_EQ (actual, expected) << file.getFileName();
    }

    SCOPED_TRACE ("1 file and 3 slots: the question counts one preset, and Cancel sends nothing");
    dialogs.boxes.clear();
    dialogs.answers = { 0 };
    selectFileRows ({ 0 });
    selectSlots ({ 1, 2, 3 });
    click (panel->getLoadButton());

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].message.contains ("Only 1 preset will be loaded."));
    EXPECT_EQ (device->getPresetsStored(), 3);
}

TEST_F (TransferJobs, LoadAllAsksOnceAndSkipsFilesOfAnotherVersion)
{
    openConnectedPanel();
    const auto oldFile = addFileOfSlot (30, "Old Format", 2);
    addFileOfSlot (31, "New Format", DeviceSimulator::presetVersion);
    const auto& rows = panel->getLocalList().getRows();
    const auto oldRow = rows[0].fileName == oldFile ? 0 : 1;
    const auto newRowName = rows[1 - oldRow].name;
    const auto slotOfOld = oldRow + 1, slotOfNew = 2 - oldRow;
    const auto oldSlotBefore = device->getSlot (slotOfOld);

    dialogs.answers = { 1 };
    click (panel->getLoadAllButton());

    ASSERT_EQ (dialogs.boxes.size(), 2u) << "no question per slot";
    EXPECT_EQ (dialogs.boxes[0].message, "OK to overwrite ALL presets?");
    EXPECT_EQ (dialogs.boxes[0].icon, Dialogs::Icon::question);
    EXPECT_EQ (dialogs.boxes[1].icon, Dialogs::Icon::warning);
    EXPECT_EQ (dialogs.boxes[1].title, oldFile);
    EXPECT_EQ (dialogs.boxes[1].message, "Incompatible preset file format (2,3)");
    EXPECT_EQ (dialogs.boxes[1].buttons, juce::StringArray { "Ok" });

    EXPECT_TRUE (samePreset (device->getSlot (slotOfOld), oldSlotBefore));
    EXPECT_EQ (device->getSlot (slotOfNew).name, newRowName);
    EXPECT_EQ (requestedSlots(), (juce::Array<int> { slotOfNew, slotOfNew }))
        << "only the slot written is kept in a snapshot and read back";
    EXPECT_EQ (panel->getDeviceList().getTable().getNumSelectedRows(), 0);
    EXPECT_EQ (statusText(), "reading done");
}

TEST_F (TransferJobs, SlotWhoseSnapshotCannotBeReadIsNotOverwritten)
{
    openConnectedPanel();
    addFileOfSlot (12, "Never Sent", DeviceSimulator::presetVersion);
    const auto slotBefore = device->getSlot (5);

    DeviceSimulator::Faults faults;
    faults.errAtReply = 1;
    device->setFaults (faults);
    selectFileRows ({ 0 });
    selectSlots ({ 5 });
    dialogs.answers = { 1 };
    click (panel->getLoadButton());

    EXPECT_TRUE (samePreset (device->getSlot (5), slotBefore));
    EXPECT_EQ (device->getPresetsStored(), 0);
    EXPECT_EQ (requestedSlots(), (juce::Array<int> { 5, 5, 5, 5 })) << "four tries at the snapshot, no send";
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[1].message, "Error\n\nPreset 5 was not overwritten: its snapshot could not be read.");
    EXPECT_EQ (statusText(), "sending Error");

    EXPECT_EQ (loggedAttempts(),
               (juce::StringArray { "snapshot 1 Error", "snapshot 2 Error", "snapshot 3 Error", "snapshot 4 Error", "job Error" }));
    const auto failedLine = logLines().front();
    EXPECT_EQ (failedLine[0], "Load");
    EXPECT_EQ (failedLine[2], "5");
    EXPECT_TRUE (failedLine[7].contains ("< F0")) << "the frames around the failure: " << failedLine[7];
}

TEST_F (TransferJobs, VerifyCatchesAParameterSpoiltOnTheWireAndTheRetrySendsItWhole)
{
    openConnectedPanel();
    panel->getSettings().setVerifyAfterLoading (true);
    const auto fileName = addFileOfSlot (12, "Spoilt Once", DeviceSimulator::presetVersion);
    const auto sent = readPresetFile (presetFolder().getFullPathName(), fileName);
    ASSERT_TRUE (sent.has_value());

    DeviceSimulator::Faults faults;
    faults.spoilReceivedParameter = 7;
    device->setFaults (faults);
    selectFileRows ({ 0 });
    selectSlots ({ 5 });
    dialogs.answers = { 1, 1 };
    click (panel->getLoadButton());

    EXPECT_TRUE (samePreset (device->getSlot (5), *sent));
    EXPECT_EQ (device->getPresetsStored(), 2);
    EXPECT_EQ (requestedSlots(), (juce::Array<int> { 5, 5, 5 }))
        << "one snapshot, then a verify after each send; a verified slot needs no name read";
    EXPECT_EQ (statusText(), "sending done");
    EXPECT_EQ (panel->getDeviceList().getRows()[4].name, "Spoilt Once");
    EXPECT_EQ (loggedAttempts(), (juce::StringArray { "snapshot 1 done", "send 1 done", "verify 1 Verify failed",
                                                      "send 2 done", "verify 2 done", "job done" }));
    EXPECT_EQ (logLines()[2][3], fileName);
}

TEST_F (TransferJobs, FileTheWireCannotCarryIsReportedAndTheNextIsSent)
{
    openConnectedPanel();
    auto tooWide = device->getSlot (1);
    tooWide.name = "Too Wide";
    tooWide.parameters[3].index = 20000;
    const auto tooWideFile = writePresetFile (presetFolder(), tooWide);
    addFileOfSlot (61, "Fits", DeviceSimulator::presetVersion);
    ASSERT_EQ (panel->getLocalList().getRows()[0].fileName, tooWideFile);

    const auto slotTwentyBefore = device->getSlot (20);
    selectFileRows ({ 0, 1 });
    selectSlots ({ 20, 21 });
    dialogs.answers = { 1 + Dialogs::applyToAllBonus };
    click (panel->getLoadButton());

    ASSERT_EQ (dialogs.boxes.size(), 2u) << "no outcome notice: the job went on and ended well";
    EXPECT_EQ (dialogs.boxes[1].icon, Dialogs::Icon::warning);
    EXPECT_EQ (dialogs.boxes[1].title, tooWideFile);
    EXPECT_TRUE (dialogs.boxes[1].message.contains ("parameter 20000")) << dialogs.boxes[1].message;
    EXPECT_TRUE (samePreset (device->getSlot (20), slotTwentyBefore));
    EXPECT_EQ (device->getSlot (21).name, "Fits");
    EXPECT_EQ (device->getPresetsStored(), 1);
}

TEST_F (TransferJobs, CancelledLoadLeavesTheListShowingWhatTheSlotsHold)
{
    openConnectedPanel();
    for (auto slot : { 50, 51, 52, 53, 54, 55 })
        addFileOfSlot (slot, "Loaded " + juce::String (slot), DeviceSimulator::presetVersion);

    selectFileRows ({ 0, 1, 2, 3, 4, 5 });
    selectSlots ({ 10, 11, 12, 13, 14, 15 });
    dialogs.answers = { 1 + Dialogs::applyToAllBonus };

    // The device stops answering in the third send, so that Cancel surely finds the job running.
    panel->onStatusMessage = [this] (const juce::String& status)
    {
        if (status == "Sending preset 12")
        {
            DeviceSimulator::Faults stalls;
            stalls.dropReply = 3;
            device->setFaults (stalls);
        }
    };
    {
        CancelWhen cancel (*panel, [this] { return device->getPresetsStored() >= 2; });
        click (panel->getLoadButton());
    }

    const auto stored = device->getPresetsStored();
    ASSERT_GE (stored, 2);
    ASSERT_LT (stored, 6) << "the job ran to its end before Cancel";
    EXPECT_EQ (dialogs.boxes.back().message, "Canceled");

    for (int slot = 10; slot <= 15; ++slot)
        EXPECT_EQ (panel->getDeviceList().getRows()[slot - 1].name, device->getSlot (slot).name) << "slot " << slot;

    for (int slot = 10; slot < 10 + stored; ++slot)
        EXPECT_TRUE (requestedSlots().contains (slot)) << "slot " << slot << " was written but not read back";
}

TEST_F (TransferJobs, CancelEndsTheExchangeAndTheWorkerAtOnceAndNoJobWaitsForItsNextLook)
{
    // The worker looks at a running exchange only once a minute here: every exchange of these
    // jobs, about two hundred, has to wake it when it ends, and Cancel has to wake it too, or
    // this takes hours, and the progress window would wait for a worker still asleep after Cancel.
    constexpr int minuteMs = 60000;
    services.timings.quickLookMs = minuteMs;
    services.timings.slowLookMs = minuteMs;
    const auto started = juce::Time::getMillisecondCounterHiRes();

    openConnectedPanel(); // reads the 99 names
    selectSlots ({ 1, 2, 3 });
    click (panel->getSaveButton());
    EXPECT_EQ (statusText(), "reading and saving done");

    panel->rescanPresetFolder();
    selectFileRows ({ 0, 1 });
    selectSlots ({ 60, 61 });
    dialogs.answers = { 1 + Dialogs::applyToAllBonus };
    click (panel->getLoadButton());
    EXPECT_EQ (statusText(), "reading done") << "the sent slots are read back";
    EXPECT_EQ (device->getPresetsStored(), 2);

    SCOPED_TRACE ("a save cancelled while the device has stopped answering");
    DeviceSimulator::Faults stalls;
    stalls.dropReply = 30;
    device->setFaults (stalls);
    device->clearTranscript();
    dialogs.boxes.clear();
    selectSlots ({ 5 });
    {
        CancelWhen cancel (*panel, [this] { return framesFromDevice() >= 29; });
        click (panel->getSaveButton());
        ASSERT_GT (cancel.pressedAt, 0.0);

        // Cancel wakes the worker's wait: it ends at once, not at its next look a minute on.
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - cancel.pressedAt, 2000.0);
    }

    expectOnlyNotice ("Canceled");
    EXPECT_EQ (statusText(), "reading and saving Canceled");
    EXPECT_FALSE (presetFolder().getChildFile (presetFileName (device->getSlot (5))).exists())
        << "no file, whole or half";
    EXPECT_EQ (presetFolder().getNumberOfChildFiles (juce::File::findFiles), 3) << "and no temporary one";
    EXPECT_FALSE (panel->getPresetManager().isExchangeOpen());
    EXPECT_FALSE (panel->getPresetManager().isThreadRunning());
    ASSERT_TRUE (device->waitUntilQuiet());
    const auto transcript = device->getTranscript();
    ASSERT_FALSE (transcript.empty());
    EXPECT_FALSE (transcript.back().fromDevice);
    EXPECT_EQ (frameType (transcript.back().message.getRawData(), transcript.back().message.getRawDataSize()),
               SysexType::err)
        << "the device is told the read is over, and nothing follows";

    SCOPED_TRACE ("a send cancelled the same way: the slot it was writing is read back");
    stalls.dropReply = 20;
    device->setFaults (stalls);
    device->clearTranscript();
    selectFileRows ({ 0 });
    selectSlots ({ 7 });
    dialogs.answers = { 1 };
    {
        CancelWhen cancel (*panel, [this] { return framesFromDevice() >= 19; });
        click (panel->getLoadButton());
        ASSERT_GT (cancel.pressedAt, 0.0);
    }

    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[1].message, "Canceled");
    EXPECT_EQ (device->getPresetsStored(), 2);
    EXPECT_EQ (requestedSlots(), juce::Array<int> { 7 });

    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, (double) minuteMs);
}

TEST_F (TransferJobs, DeviceGetsItsPauseBeforeEveryRequestOfAJob)
{
    // Only the pause the device needs is handed in; the panel passes it on to the device link.
    constexpr double pauseMs = 40.0;
    services.timings.pauseBeforeRequestMs = (int) pauseMs;
    openConnectedPanel();

    selectSlots ({ 8, 9, 10 });
    click (panel->getSaveButton());
    ASSERT_EQ (statusText(), "reading and saving done");

    auto lastFrameMs = -1.0;
    auto requests = 0;

    for (const auto& entry : device->getTranscript())
    {
        const auto type = frameType (entry.message.getRawData(), entry.message.getRawDataSize());

        if (! entry.fromDevice && type == SysexType::requestPreset)
        {
            ++requests;

            if (lastFrameMs >= 0.0)
            {
                EXPECT_GE (entry.timeMs - lastFrameMs, pauseMs) << "request " << requests;
            }
        }

        lastFrameMs = entry.timeMs;
    }

    EXPECT_EQ (requests, 3);
}

// What an unplug in the middle of a job does, and the reconnection, are the fault matrix's.
TEST_F (TransferJobs, JobStartedWithoutTheDeviceTouchesNothingAndReportsError)
{
    openConnectedPanel();
    device->unplug();
    ASSERT_TRUE (dispatchMessagesUntil ([this] { return ! panel->isConnected(); }));

    device->clearTranscript();
    click (panel->getSaveAllButton());
    expectOnlyNotice ("Error");
    EXPECT_TRUE (requestedSlots().isEmpty());
    EXPECT_EQ (presetFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
}

using LibrarianCommands = LibrarianFixture;

TEST_F (LibrarianCommands, HelpAndRefreshWorkWithoutTheDevice)
{
    openPanel();
    auto& help = panel->getHelpButton();

    SCOPED_TRACE ("no help page beside the program");
    panel->buttonClicked (&help);
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].title, "Error");
    EXPECT_EQ (dialogs.boxes[0].message, "Cannot open PresetLibrarianHelp.htm.\n\n" +
                                             programFolder.root.getChildFile ("PresetLibrarianHelp.htm").getFullPathName());
    EXPECT_TRUE (openedDocuments.isEmpty());

    SCOPED_TRACE ("the help page opens with the desktop's application");
    const auto page = programFolder.root.getChildFile ("PresetLibrarianHelp.htm");
    ASSERT_TRUE (page.replaceWithText ("<html></html>"));
    dialogs.boxes.clear();
    panel->buttonClicked (&help);
    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_EQ (openedDocuments, juce::Array<juce::File> { page });

    SCOPED_TRACE ("Refresh without the device lists the folder again and reads nothing");
    writePresetFile (defaultPresetFolder(), PresetData { 12, "Fresh", 3, {} });
    panel->buttonClicked (&panel->getRefreshButton());
    EXPECT_EQ (panel->getLocalList().getNumRows(), 1);
    EXPECT_EQ (panel->getDeviceList().getNumRows(), 0);
    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_EQ (panel->getTimerInterval (PresetLibrarianManager::monitorTimerId), 2000);
}
