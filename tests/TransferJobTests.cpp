// The librarian's transfer commands driven end to end: the panel, its worker and the simulated
// device, with the boxes answered from a script.

#include "device/SysexFrame.h"
#include "device/TransferJobRunner.h"
#include "presets/PresetFile.h"
#include "tests/LibrarianFixture.h"

#include <map>
#include <mutex>

class TransferJobs : public LibrarianFixture
{
protected:
    /** The connected panel, with its statuses followed and a fresh transcript and log. */
    PresetLibrarianManager& openConnectedPanel()
    {
        LibrarianFixture::openConnectedPanel();

        panel->getTransferController().onStatusMessage = [this] (const juce::String& status)
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
            attempts.add (fields[1] == "job" ? "job " + fields[5]
                                             : fields[1] + " " + fields[4] + " " + fields[5]);

        return attempts;
    }

    /** "< Load To" of one listed file into one slot, answering the slot's question with
        "Overwrite", which must be the only box.
    */
    void loadFileIntoSlot (const juce::String& fileName, int slot)
    {
        selectFileRows ({ listedFileNames().indexOf (fileName) });
        selectSlots ({ slot });
        dialogs.answers = { 1 };
        click (panel->getLoadButton());

        EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
        ASSERT_EQ (dialogs.boxes.size(), 1u) << dialogs.boxes.back().message;
        EXPECT_TRUE (dialogs.boxes.front().message.endsWith ("(#" + juce::String (slot) + ") in Tonarel?"));
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
    loadFileIntoSlot (fileName, 3);
    EXPECT_EQ (device->getSlot (3).name, "After Timeout");
    dialogs.boxes.clear();

    SCOPED_TRACE ("a file that cannot be written fails at once, without a retry");
    device->setFaults ({});
    device->clearTranscript();
    ASSERT_TRUE (presetFolder().deleteRecursively());
    selectSlots ({ 2 });
    click (panel->getSaveButton());

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].message, "Save failed\n\n" + presetFileName (device->getSlot (2)) +
                                             " could not be saved in " + presetFolder().getFullPathName() +
                                             ": the folder is gone.")
        << "which file, and why";
    dialogs.boxes.clear();
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

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
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
    const auto snapshots =
        applicationFolder().getChildFile ("Snapshots").findChildFiles (juce::File::findDirectories, false);
    ASSERT_EQ (snapshots.size(), 1);
    const auto snapshotFiles = snapshots[0].findChildFiles (juce::File::findFiles, false, "*.tnl");
    ASSERT_EQ (snapshotFiles.size(), 3);

    for (const auto& file : snapshotFiles)
    {
        juce::MemoryBlock expected, actual;
        ASSERT_TRUE (saved.root.getChildFile (file.getFileName()).loadFileAsData (expected))
            << file.getFileName();
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
    const auto oldSlotBefore = device->getSlot (30);

    dialogs.answers = { 1 };
    click (panel->getLoadAllButton());

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
    ASSERT_EQ (dialogs.boxes.size(), 2u) << "no question per slot";
    EXPECT_EQ (juce::StringArray::fromLines (dialogs.boxes[0].message)[0], "OK to overwrite ALL presets?");
    EXPECT_EQ (dialogs.boxes[0].icon, Dialogs::Icon::question);
    EXPECT_EQ (dialogs.boxes[1].icon, Dialogs::Icon::warning);
    EXPECT_EQ (dialogs.boxes[1].title, oldFile);
    EXPECT_EQ (dialogs.boxes[1].message, "Incompatible preset file format (2,3)");
    EXPECT_EQ (dialogs.boxes[1].buttons, juce::StringArray { "Ok" });

    EXPECT_TRUE (samePreset (device->getSlot (30), oldSlotBefore));
    EXPECT_EQ (device->getSlot (31).name, "New Format");
    EXPECT_EQ (requestedSlots(), (juce::Array<int> { 31, 31 }))
        << "only the slot written is kept in a snapshot and read back";
    EXPECT_EQ (panel->getDeviceList().getTable().getNumSelectedRows(), 0);
    EXPECT_EQ (statusText(), "reading done");
}

TEST_F (TransferJobs, LoadAllOfASavedSetWithAFileMissingShiftsNoSlot)
{
    openConnectedPanel();
    click (panel->getSaveAllButton());
    ASSERT_EQ (panel->getLocalList().getNumRows(), DeviceSimulator::numSlots);
    ASSERT_TRUE (fileOfSlot (50).deleteFile());
    panel->rescanPresetFolder();

    // Every slot is changed after the save, so that a file sent to another slot than its own shows.
    std::map<int, PresetData> saved;

    for (int slot = kFirstPresetNumber; slot <= kLastPresetNumber; ++slot)
    {
        saved[slot] = device->getSlot (slot);
        auto changed = saved[slot];
        changed.name = "Changed " + juce::String (slot);
        device->setSlot (slot, changed);
    }

    dialogs.boxes.clear();
    dialogs.answers = { 1 };
    click (panel->getLoadAllButton());

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
    ASSERT_EQ (dialogs.boxes.size(), 1u) << "one confirmation, no question per slot, nothing left out";
    const auto confirmation = juce::StringArray::fromLines (dialogs.boxes[0].message);
    EXPECT_EQ (confirmation[0], "OK to overwrite ALL presets?");
    EXPECT_TRUE (dialogs.boxes[0].message.contains ("98 slots will be overwritten"))
        << dialogs.boxes[0].message;

    EXPECT_EQ (device->getSlot (50).name, "Changed 50") << "the slot without a file keeps what it held";
    EXPECT_EQ (device->getPresetsStored(), kPresetSlotCount - 1);

    for (int slot = kFirstPresetNumber; slot <= kLastPresetNumber; ++slot)
    {
        if (slot != 50)
        {
            EXPECT_TRUE (samePreset (device->getSlot (slot), saved[slot])) << "slot " << slot;
        }
    }

    SCOPED_TRACE ("every send in the log names the file of its own slot");
    auto sends = 0;

    for (const auto& fields : logLines())
    {
        if (fields[1] != "send")
            continue;

        ++sends;
        EXPECT_EQ (fields[2].getIntValue(), presetNumberFromFileName (fields[3]))
            << fields.joinIntoString (" ");
        EXPECT_NE (fields[2], "50");
    }

    EXPECT_EQ (sends, kPresetSlotCount - 1);
}

TEST_F (TransferJobs, LoadAllLeavesOutAndNamesFilesThatShareASlotOrNameNone)
{
    openConnectedPanel();
    const auto radioVoice = addFileOfSlot (5, "Radio Voice");
    const auto slapDelay = addFileOfSlot (5, "Slap Delay");
    addFileOfSlot (7, "Seventh Take");
    ASSERT_TRUE (presetFolder()
                     .getChildFile ("005_SlapDelay.tnl")
                     .copyFileTo (presetFolder().getChildFile ("my_take.tnl")));
    panel->rescanPresetFolder();
    ASSERT_EQ (panel->getLocalList().getNumRows(), 4);
    const auto slot1Before = device->getSlot (1), slot5Before = device->getSlot (5);

    dialogs.answers = { 1 };
    click (panel->getLoadAllButton());

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
    ASSERT_EQ (dialogs.boxes.size(), 2u)
        << "the confirmation and the notice: no question for the one slot sent";
    EXPECT_EQ (juce::StringArray::fromLines (dialogs.boxes[0].message)[0], "OK to overwrite ALL presets?");
    EXPECT_TRUE (dialogs.boxes[0].message.contains ("1 slot will be overwritten"))
        << dialogs.boxes[0].message;
    const auto& notice = dialogs.boxes[1].message;
    EXPECT_TRUE (notice.contains (radioVoice) && notice.contains (slapDelay) && notice.contains ("slot 5"))
        << notice;
    EXPECT_TRUE (notice.contains ("my_take.tnl")) << notice;

    EXPECT_TRUE (samePreset (device->getSlot (5), slot5Before)) << "neither file of slot 5 is sent";
    EXPECT_TRUE (samePreset (device->getSlot (1), slot1Before));
    EXPECT_EQ (device->getSlot (7).name, "Seventh Take");
    EXPECT_EQ (device->getPresetsStored(), 1);

    SCOPED_TRACE ("a folder of files without numbers goes into the slots in the order it is listed");
    for (const auto& fileName : { radioVoice, slapDelay, juce::String ("007_SeventhTake.tnl") })
        ASSERT_TRUE (presetFolder().getChildFile (fileName).deleteFile());

    panel->rescanPresetFolder();
    dialogs.boxes.clear();
    dialogs.answers = { 1 };
    click (panel->getLoadAllButton());

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].message.contains ("1 slot will be overwritten"))
        << dialogs.boxes[0].message;
    EXPECT_EQ (device->getSlot (1).name, "Slap Delay");
    EXPECT_EQ (device->getPresetsStored(), 2);
}

TEST_F (TransferJobs, SelectionStaysOnItsSlotWhenAMergeAddsSlotsAboveIt)
{
    openConnectedPanel();
    const auto fileName = addFileOfSlot (40, "Chosen Sound");
    auto& list = panel->getDeviceList();
    auto& table = list.getTable();
    const auto selectedSlot = [&]
    {
        juce::int32 number = 0;
        juce::String name;
        return table.getNumSelectedRows() == 1 &&
                       list.getDevicePreset (table.getSelectedRow (0), number, name)
                   ? number
                   : -1;
    };

    // A list that holds some slots only, as after a read that stopped short.
    auto& slots = panel->getDeviceSlots();
    slots.clear();
    slots.setEntry (20, device->getSlot (20).name, DeviceSimulator::presetVersion);
    slots.setEntry (30, device->getSlot (30).name, DeviceSimulator::presetVersion);
    table.selectRow (0);
    ASSERT_EQ (selectedSlot(), 20);

    slots.setEntry (5, device->getSlot (5).name, DeviceSimulator::presetVersion);
    EXPECT_EQ (selectedSlot(), 20) << "one slot added above";

    slots.merge (panel->getDevicePresets());
    ASSERT_EQ (list.getNumRows(), DeviceSimulator::numSlots);
    EXPECT_EQ (selectedSlot(), 20) << "all the others merged in";

    SCOPED_TRACE ("< Load To then writes the slot the user chose");
    const auto slot1Before = device->getSlot (1);
    selectFileRows ({ 0 });
    dialogs.answers = { 1 };
    click (panel->getLoadButton());
    EXPECT_EQ (device->getSlot (20).name, "Chosen Sound");
    EXPECT_TRUE (samePreset (device->getSlot (1), slot1Before));
    EXPECT_EQ (device->getPresetsStored(), 1);

    SCOPED_TRACE ("the computer list keeps its selection by file when a rescan lists a file above it");
    selectFileRows ({ 0 });
    ASSERT_TRUE (
        presetFolder().getChildFile (fileName).copyFileTo (presetFolder().getChildFile ("000_First.tnl")));
    panel->rescanPresetFolder();
    auto& files = panel->getLocalList();
    ASSERT_EQ (files.getNumRows(), 2);
    ASSERT_EQ (files.getTable().getNumSelectedRows(), 1);
    EXPECT_EQ (files.getShownEntry (files.getTable().getSelectedRow (0))->fileName, fileName);
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
    EXPECT_EQ (
        dialogs.boxes[1].message,
        "Error\n\nPreset 5 was not overwritten: its snapshot could not be read.\n\nNo slot was written.");
    EXPECT_EQ (statusText(), "sending Error");

    EXPECT_EQ (loggedAttempts(), (juce::StringArray { "snapshot 1 Error", "snapshot 2 Error",
                                                      "snapshot 3 Error", "snapshot 4 Error", "job Error" }));
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
    EXPECT_EQ (loggedAttempts(),
               (juce::StringArray { "snapshot 1 done", "send 1 done", "verify 1 Verify failed", "send 2 done",
                                    "verify 2 done", "job done" }));
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

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice, which offers Undo";
    ASSERT_EQ (dialogs.boxes.size(), 2u) << "no outcome notice: the job went on and ended well";
    EXPECT_EQ (dialogs.boxes[0].icon, Dialogs::Icon::warning) << "refused before its slot is asked about";
    EXPECT_EQ (dialogs.boxes[0].title, tooWideFile);
    EXPECT_TRUE (dialogs.boxes[0].message.contains ("parameter 20000")) << dialogs.boxes[0].message;
    EXPECT_TRUE (dialogs.boxes[1].message.endsWith ("(#21) in Tonarel?")) << dialogs.boxes[1].message;
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
    panel->getTransferController().onStatusMessage = [this] (const juce::String& status)
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
    const auto snapshots =
        applicationFolder().getChildFile ("Snapshots").findChildFiles (juce::File::findDirectories, false);
    ASSERT_EQ (snapshots.size(), 1);
    EXPECT_EQ (dialogs.boxes.back().message, "Canceled\n\n" + juce::String (stored) +
                                                 " slots were written; their earlier presets are in " +
                                                 snapshots[0].getFullPathName() + ".");

    for (int slot = 10; slot <= 15; ++slot)
        EXPECT_EQ (panel->getDeviceList().getRows()[slot - 1].name, device->getSlot (slot).name)
            << "slot " << slot;

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
    EXPECT_EQ (dialogs.boxes[1].message, "Canceled\n\nNo slot was written.");
    EXPECT_EQ (device->getPresetsStored(), 2);
    EXPECT_EQ (requestedSlots(), juce::Array<int> { 7 });

    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, (double) minuteMs);
}

TEST_F (TransferJobs, FailedNameReadNamesItsSlotAndLeavesTheDeviceVersionForLaterLoads)
{
    openConnectedPanel();
    const auto fileName = addFileOfSlot (9, "After Failed Read", DeviceSimulator::presetVersion);

    SCOPED_TRACE ("the second of three names is refused by the device");
    auto statusesShown = 0; // only the worker counts: the status before each read
    panel->getTransferController().onStatusMessage = [this, &statusesShown] (const juce::String&)
    {
        if (++statusesShown == 3)
        {
            DeviceSimulator::Faults refused;
            refused.errAtReply = 1;
            device->setFaults (refused);
        }
    };
    selectSlots ({ 5, 6, 7 });
    panel->readSelectedDeviceNames();

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].message, "Unable to read #6");
    dialogs.boxes.clear();

    SCOPED_TRACE ("a file of the device's version still goes in");
    panel->getTransferController().onStatusMessage = nullptr;
    device->setFaults ({});
    loadFileIntoSlot (fileName, 3);
    EXPECT_EQ (device->getSlot (3).name, "After Failed Read");
}

TEST_F (TransferJobs, FileOfAnotherVersionIsRefusedBeforeAnyOverwriteQuestion)
{
    openConnectedPanel();
    const auto oldFile = addFileOfSlot (30, "Old Format", 2);
    const auto before = device->getSlot (3);
    selectFileRows ({ listedFileNames().indexOf (oldFile) });
    selectSlots ({ 3 });
    dialogs.answers = { 1 };
    click (panel->getLoadButton());

    ASSERT_FALSE (dialogs.boxes.empty());
    EXPECT_EQ (dialogs.boxes[0].message, "Incompatible preset file format (2,3)");
    EXPECT_EQ (dialogs.boxes.size(), 1u) << "nothing asked about a file that is not sent";
    EXPECT_TRUE (samePreset (device->getSlot (3), before));
}

TEST_F (TransferJobs, UnreadableFileFailsAloneAndTheLoadGoesOnToTheNext)
{
    openConnectedPanel();
    const auto first = addFileOfSlot (40, "First Good", DeviceSimulator::presetVersion);
    const auto last = addFileOfSlot (42, "Last Good", DeviceSimulator::presetVersion);
    const auto empty = addFileOfSlot (41, "Spoilt", DeviceSimulator::presetVersion);
    const auto names = listedFileNames();

    // Emptied after the folder was listed (a file that cannot be read is not listed at all).
    ASSERT_TRUE (presetFolder().getChildFile (empty).replaceWithText ({}));
    const auto slotTwoBefore = device->getSlot (21);

    selectFileRows ({ names.indexOf (first), names.indexOf (empty), names.indexOf (last) });
    selectSlots ({ 20, 21, 22 });
    dialogs.answers = { 1 + Dialogs::applyToAllBonus };
    click (panel->getLoadButton());

    EXPECT_EQ (device->getSlot (20).name, "First Good");
    EXPECT_TRUE (samePreset (device->getSlot (21), slotTwoBefore));
    EXPECT_EQ (device->getSlot (22).name, "Last Good") << "the job went on after the unreadable file";

    juce::StringArray messages;
    for (const auto& box : dialogs.boxes)
        messages.add (box.message);

    EXPECT_TRUE (
        messages.joinIntoString ("\n").contains (empty + " could not be read as a preset file: it is empty"))
        << messages.joinIntoString ("\n---\n");
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
    EXPECT_EQ (dialogs.boxes[0].message,
               "Cannot open PresetLibrarianHelp.htm.\n\n" +
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
    EXPECT_EQ (panel->getConnectionMonitor().getLookPeriodMs(), 2000);
}

//==============================================================================
// The job runner on its own, with a host that stops it at chosen moments, as Ctrl+C or Cancel
// would: what it reports done must be what it did.

namespace
{
    bool sameContent (const PresetData& a, const PresetData& b)
    {
        return a.name == b.name && a.version == b.version && a.parameters == b.parameters;
    }

    /** Ends the job at a chosen moment: the k-th look at the job between exchanges, or the first
        look during an exchange once k presets were reported. Questions are answered with their
        first button ("Overwrite") for all; what was reported done is recorded.
    */
    class InterruptingHost final : public TransferJobHost
    {
    public:
        enum class Moment
        {
            betweenExchanges,
            duringExchange
        };

        InterruptingHost (const PresetManager& presetManager, Moment momentToStop, int k)
            : manager (presetManager), moment (momentToStop), chosen (k)
        {
        }

        bool jobShouldEnd() override
        {
            if (! interrupted)
            {
                if (moment == Moment::betweenExchanges && ! manager.isExchangeOpen())
                    interrupted = ++looksBetweenExchanges >= chosen;
                else if (moment == Moment::duringExchange && manager.isExchangeOpen())
                    interrupted = (int) done.size() >= chosen;
            }

            return interrupted || ended;
        }

        void endJob() override { ended = true; }
        void pauseJob (int) override {}
        void showJobStatus (const juce::String&, const juce::String&) override {}
        void showJobProgress (double) override {}

        int ask (const TransferQuestion& question) override
        {
            return question.buttons.front().value +
                   (question.offerApplyToAll ? TransferQuestion::applyToAllBonus : 0);
        }

        void presetDone (int slot, const juce::String&, int result) override { done[slot] = result; }

        bool reportedDone (int slot) const { return done.count (slot) > 0 && done.at (slot) >= 0; }

        const PresetManager& manager;
        const Moment moment;
        const int chosen;
        bool interrupted = false, ended = false;
        int looksBetweenExchanges = 0;
        std::map<int, int> done;
    };

    juce::String describe (InterruptingHost::Moment moment, int k)
    {
        return (moment == InterruptingHost::Moment::betweenExchanges ? "look between exchanges "
                                                                     : "during exchange after ") +
               juce::String (k);
    }
} // namespace

class JobRunner : public ::testing::Test
{
protected:
    /** Runs a job with the host stopping it at the moment given, on a fresh runner. */
    TransferJobOutcome run (TransferJob job, InterruptingHost& host)
    {
        TransferJobRunner runner (manager, host, nullptr, LibrarianTimings::brief());
        return runner.run (job);
    }

    /** Every preset not reported done was reported cancelled, or not at all. */
    static void expectTheRestCancelled (const InterruptingHost& host)
    {
        for (const auto& [slot, result] : host.done)
        {
            if (result < 0)
            {
                EXPECT_EQ (TransferJobOutcome::wordFor (result), "Canceled") << "slot " << slot;
            }
        }
    }

    /** Files of other presets than the slots hold, one for each slot, so that a slot written can
        be told; returns their names in the order of the slots.
    */
    juce::StringArray writeChangedFiles (const juce::File& folder)
    {
        folder.createDirectory();
        juce::StringArray fileNames;

        for (auto slot : slots)
        {
            auto changed = device.getSlot (slot);
            changed.name = "Restored " + juce::String (slot);
            changed.parameters[0].value += 1;
            EXPECT_TRUE (writePresetFile (folder.getFullPathName(), changed, PresetWriteMode::Overwrite));
            fileNames.add (presetFileName (changed));
        }

        return fileNames;
    }

    TemporaryFolder temporary;
    InProcessMidiPorts midiPorts;
    DeviceSimulator device { midiPorts, WireModel::instant() };
    PresetManager manager { midiPorts };
    const juce::Array<int> slots { 4, 5, 6 };
};

TEST_F (JobRunner, BackupStoppedAnywhereReportsDoneExactlyThePresetsWholeOnDisk)
{
    for (const auto moment :
         { InterruptingHost::Moment::betweenExchanges, InterruptingHost::Moment::duringExchange })
    {
        for (int k = moment == InterruptingHost::Moment::betweenExchanges ? 1 : 0;; ++k)
        {
            SCOPED_TRACE (describe (moment, k));
            const auto folder = temporary.root.getChildFile ("backup " + describe (moment, k));
            ASSERT_TRUE (folder.createDirectory());

            TransferJob job;
            job.kind = TransferKind::ReadAndSave;
            job.presetFolder = folder;

            for (auto slot : slots)
                job.selection.slots.add ({ slot, {}, 0 });

            InterruptingHost host (manager, moment, k);
            const auto outcome = run (job, host);

            for (auto slot : slots)
            {
                const auto onDisk =
                    readPresetFile (folder.getFullPathName(), presetFileName (device.getSlot (slot)));
                EXPECT_EQ (host.reportedDone (slot), onDisk.has_value()) << "slot " << slot;

                if (onDisk.has_value())
                {
                    EXPECT_TRUE (sameContent (*onDisk, device.getSlot (slot))) << "slot " << slot;
                }
            }

            EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles),
                       (int) std::count_if (slots.begin(), slots.end(),
                                            [&] (int s) { return host.reportedDone (s); }))
                << "no other file, nor a part of one, is left";
            expectTheRestCancelled (host);
            EXPECT_EQ (outcome.cancelled, host.interrupted);

            if (! host.interrupted)
                break; // the job ended before the moment came: every earlier one was tried
        }
    }
}

TEST_F (JobRunner, RestoreStoppedAnywhereReportsDoneOnlySlotsWrittenAfterTheirSnapshot)
{
    const auto files = temporary.root.getChildFile ("files");
    std::map<int, PresetData> original;

    for (auto slot : slots)
        original[slot] = device.getSlot (slot);

    const auto fileNames = writeChangedFiles (files);

    for (const auto moment :
         { InterruptingHost::Moment::betweenExchanges, InterruptingHost::Moment::duringExchange })
    {
        for (int k = moment == InterruptingHost::Moment::betweenExchanges ? 1 : 0;; ++k)
        {
            SCOPED_TRACE (describe (moment, k));

            for (auto slot : slots)
                device.setSlot (slot, original[slot]);

            TransferJob job;
            job.kind = TransferKind::Send;
            job.presetFolder = files;
            job.snapshotsFolder = temporary.root.getChildFile ("snapshots " + describe (moment, k));
            job.deviceVersion = DeviceSimulator::presetVersion;
            job.selection.fileNames = fileNames;

            for (auto slot : slots)
                job.selection.slots.add ({ slot, {}, 0 });

            InterruptingHost host (manager, moment, k);
            const auto outcome = run (job, host);
            const auto snapshots = job.snapshotsFolder.findChildFiles (juce::File::findDirectories, false);

            for (int i = 0; i < slots.size(); ++i)
            {
                const auto slot = slots[i];

                if (! host.reportedDone (slot))
                    continue;

                const auto sent = readPresetFile (files.getFullPathName(), fileNames[i]);
                EXPECT_TRUE (sameContent (device.getSlot (slot), *sent))
                    << "slot " << slot << " reported done";
                ASSERT_EQ (snapshots.size(), 1);
                EXPECT_TRUE (readPresetFile (snapshots[0].getFullPathName(), presetFileName (original[slot]))
                                 .has_value())
                    << "slot " << slot << " reported done has its snapshot";
            }

            expectTheRestCancelled (host);
            EXPECT_EQ (outcome.cancelled, host.interrupted);

            if (! host.interrupted)
                break;
        }
    }
}

TEST_F (JobRunner, SlotOfASendCancelledMidwayWasNotReadBack)
{
    // A send ended in the middle may have left the slot holding part of the new preset, or all
    // of it when only the last ACK was lost: like every slot written, its name is read back.
    const auto files = temporary.root.getChildFile ("files");
    const auto fileNames = writeChangedFiles (files);
    auto cancelledSends = 0;

    for (int k = 0;; ++k)
    {
        SCOPED_TRACE (describe (InterruptingHost::Moment::duringExchange, k));

        TransferJob job;
        job.kind = TransferKind::Send;
        job.presetFolder = files;
        job.selection.fileNames = fileNames;
        job.options.keepSnapshot = false; // every exchange of the job is a send
        job.deviceVersion = DeviceSimulator::presetVersion;

        for (auto slot : slots)
            job.selection.slots.add ({ slot, {}, 0 });

        InterruptingHost host (manager, InterruptingHost::Moment::duringExchange, k);
        const auto outcome = run (job, host);

        for (const auto& [slot, result] : host.done)
        {
            cancelledSends += result < 0 ? 1 : 0;
            EXPECT_TRUE (outcome.slotsToReadBack.contains (slot))
                << "slot " << slot << " was written to (" << TransferJobOutcome::wordFor (result)
                << ") but is not read back";
        }

        if (! host.interrupted)
            break;
    }

    EXPECT_GT (cancelledSends, 0) << "no send was cancelled midway";
}

TEST_F (JobRunner, PaceLeavesOutTheTimeAQuestionWasOpen)
{
    /** Answers each slot's question "Overwrite" after a long while, on a clock that moves only
        then: whatever the pace counts beyond nothing is the user's time.
    */
    struct SlowToAnswer final : public TransferJobHost
    {
        bool jobShouldEnd() override { return ended; }
        void endJob() override { ended = true; }
        void pauseJob (int) override {}
        void showJobProgress (double) override {}
        void showJobStatus (const juce::String&, const juce::String& pace) override { paces.add (pace); }

        int ask (const TransferQuestion& question) override
        {
            now += 100.0;
            return question.buttons.front().value;
        }

        bool ended = false;
        double now = 1000.0;
        juce::StringArray paces;
    };

    const auto files = temporary.root.getChildFile ("files");
    TransferJob job;
    job.kind = TransferKind::Send;
    job.presetFolder = files;
    job.selection.fileNames = writeChangedFiles (files);
    job.options.keepSnapshot = false;
    job.deviceVersion = DeviceSimulator::presetVersion;

    for (auto slot : slots)
        job.selection.slots.add ({ slot, {}, 0 });

    SlowToAnswer host;
    TransferJobRunner runner (manager, host, nullptr, LibrarianTimings::brief());
    runner.setClock ([&host] { return host.now; });
    ASSERT_GE (runner.run (job).result, 0);

    EXPECT_TRUE (host.paces.contains ("2 of 3, about 1 s left")) << host.paces.joinIntoString (" | ");
    EXPECT_TRUE (host.paces.contains ("3 of 3, about 1 s left")) << host.paces.joinIntoString (" | ");
}
