// Taking a load back: the snapshot a load kept goes back into exactly the slots it wrote, after a
// load that ended well, was cancelled or failed, and an undo can itself be undone.

#include "tests/LibrarianFixture.h"

namespace
{
    constexpr int undoButton = 1, okButton = 0, confirmed = 1;
} // namespace

class UndoLastLoad : public LibrarianFixture
{
protected:
    /** The connected panel with one file for each of slots 50 on, count of them. */
    void openPanelWithFiles (int count)
    {
        openConnectedPanel();

        for (int k = 0; k < count; ++k)
            addFileOfSlot (50 + k, "Loaded " + juce::String (50 + k), DeviceSimulator::presetVersion);
    }

    /** "< Load To" of the first files into the slots, "Overwrite" with "Apply To All". */
    void loadInto (const juce::Array<int>& slots)
    {
        auto& files = panel->getLocalList().getTable();
        auto& slotTable = panel->getDeviceList().getTable();
        files.deselectAllRows();
        slotTable.deselectAllRows();

        for (int k = 0; k < slots.size(); ++k)
        {
            files.selectRow (k, true, false);
            slotTable.selectRow (slots[k] - 1, true, false);
        }

        dialogs.answers.push_front (1 + Dialogs::applyToAllBonus);
        panel->buttonClicked (&panel->getLoadButton());
    }

    std::map<int, PresetData> slotsNow (int first, int last) const
    {
        std::map<int, PresetData> slots;

        for (int slot = first; slot <= last; ++slot)
            slots[slot] = device->getSlot (slot);

        return slots;
    }

    /** Every slot as the device holds it, whole, compared with what it held: name, version and
        every parameter.
    */
    void expectSlotsHold (const std::map<int, PresetData>& expected)
    {
        for (const auto& [slot, preset] : expected)
        {
            const auto now = device->getSlot (slot);
            EXPECT_EQ (now.name, preset.name) << "slot " << slot;
            EXPECT_EQ (now.version, preset.version) << "slot " << slot;
            EXPECT_TRUE (now.parameters == preset.parameters) << "slot " << slot;
            EXPECT_EQ (panel->getDeviceSlots().nameOf (slot), preset.name)
                << "slot " << slot << " in the list";
        }
    }

    juce::Array<juce::File> snapshotFolders() const
    {
        return applicationFolder()
            .getChildFile ("Snapshots")
            .findChildFiles (juce::File::findDirectories, false);
    }

    const ScriptedDialogs::Box* boxTitled (const juce::String& title) const
    {
        for (const auto& box : dialogs.boxes)
            if (box.title == title)
                return &box;

        return nullptr;
    }
};

TEST_F (UndoLastLoad, UndoPutsBackEverySlotTheLoadWroteAndCanItselfBeUndone)
{
    openPanelWithFiles (3);
    const auto before = slotsNow (9, 13);

    loadInto ({ 10, 11, 12 });
    const auto loaded = slotsNow (9, 13);
    EXPECT_EQ (loaded.at (10).name, "Loaded 50");
    ASSERT_EQ (snapshotFolders().size(), 1);

    SCOPED_TRACE ("the load's notice says what it wrote and offers Undo");
    const auto& notice = dialogs.boxes.back();
    EXPECT_EQ (notice.icon, Dialogs::Icon::info);
    EXPECT_EQ (notice.buttons, (juce::StringArray { "Undo", "Ok" }));
    EXPECT_EQ (notice.message, "3 slots were written; their earlier presets are in " +
                                   snapshotFolders()[0].getFullPathName() + ".");
    EXPECT_TRUE (panel->canUndoLastLoad());

    SCOPED_TRACE ("the undo asks once, naming the slots, and puts back slots 10 to 12 only");
    dialogs.boxes.clear();
    dialogs.answers = { confirmed };
    panel->undoLastLoad();
    const auto* question = boxTitled ("Undo Last Load");
    ASSERT_NE (question, nullptr);
    EXPECT_TRUE (question->message.startsWith ("Undo the last load? 3 slots get back")) << question->message;
    EXPECT_TRUE (question->message.contains ("(slots 10, 11 and 12)")) << question->message;
    EXPECT_EQ (question->buttons, (juce::StringArray { "Undo", "Cancel" }));
    expectSlotsHold (before);
    EXPECT_EQ (snapshotFolders().size(), 2) << "the undo keeps a snapshot of its own";

    SCOPED_TRACE ("the undo is the last load now: undoing it puts the loaded presets back");
    dialogs.answers = { confirmed };
    panel->undoLastLoad();
    expectSlotsHold (loaded);

    SCOPED_TRACE ("a cancelled question sends nothing");
    const auto stored = device->getPresetsStored();
    dialogs.answers = { okButton };
    panel->undoLastLoad();
    EXPECT_EQ (device->getPresetsStored(), stored);
}

TEST_F (UndoLastLoad, UndoAfterACancelledOrFailedLoadPutsBackWhatItWrote)
{
    openPanelWithFiles (6);
    const auto before = slotsNow (10, 25);

    SCOPED_TRACE ("a load cancelled in its third slot, while the device has stopped answering");
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
        loadInto ({ 10, 11, 12, 13, 14, 15 });
    }
    panel->getTransferController().onStatusMessage = nullptr;
    device->setFaults ({});
    ASSERT_EQ (device->getPresetsStored(), 2);
    EXPECT_TRUE (dialogs.boxes.back().message.startsWith ("Canceled\n\n2 slots were written"));
    EXPECT_EQ (dialogs.boxes.back().buttons, (juce::StringArray { "Undo", "Ok" }));

    dialogs.answers = { confirmed };
    panel->undoLastLoad();
    ASSERT_NE (boxTitled ("Undo Last Load"), nullptr);
    EXPECT_TRUE (boxTitled ("Undo Last Load")->message.contains ("(slots 10 and 11)"));
    expectSlotsHold (before);

    SCOPED_TRACE ("a load whose third slot fails; Undo chosen on its notice");
    panel->getTransferController().onStatusMessage = [this] (const juce::String& status)
    {
        if (status == "Sending preset 22")
        {
            // Every try at the slot's snapshot is refused, and nothing after them.
            DeviceSimulator::Faults refused;
            refused.errAtReply = 1;
            refused.faultyExchanges = 4;
            device->setFaults (refused);
        }
    };
    dialogs.boxes.clear();
    dialogs.answers = { undoButton, confirmed };
    loadInto ({ 20, 21, 22, 23 });
    panel->getTransferController().onStatusMessage = nullptr;

    ASSERT_GE (dialogs.boxes.size(), 2u);
    EXPECT_TRUE (dialogs.boxes[1].message.startsWith ("Error\n\n")) << dialogs.boxes[1].message;
    EXPECT_TRUE (dialogs.boxes[1].message.contains ("2 slots were written")) << dialogs.boxes[1].message;
    ASSERT_NE (boxTitled ("Undo Last Load"), nullptr) << "Undo on the notice asks before it sends";
    EXPECT_TRUE (boxTitled ("Undo Last Load")->message.contains ("(slots 20 and 21)"));
    expectSlotsHold (before);
}

TEST_F (UndoLastLoad, NothingIsOfferedWithoutASnapshotOrOnceItsFolderIsGone)
{
    openPanelWithFiles (1);

    SCOPED_TRACE ("a load without a snapshot ends quietly and cannot be undone");
    panel->getSettings().setKeepSnapshot (false);
    loadInto ({ 30 });
    ASSERT_EQ (dialogs.boxes.size(), 1u) << "the slot's question, and no notice";
    EXPECT_EQ (dialogs.boxes[0].buttons, (juce::StringArray { "Overwrite", "Skip" }));
    EXPECT_FALSE (panel->canUndoLastLoad());

    SCOPED_TRACE ("with one, it can until its folder is deleted");
    panel->getSettings().setKeepSnapshot (true);
    loadInto ({ 31 });
    EXPECT_TRUE (panel->canUndoLastLoad());
    ASSERT_EQ (snapshotFolders().size(), 1);
    ASSERT_TRUE (snapshotFolders()[0].deleteRecursively());
    EXPECT_FALSE (panel->canUndoLastLoad());

    dialogs.boxes.clear();
    const auto stored = device->getPresetsStored();
    panel->undoLastLoad();
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].message.startsWith ("There is no load to undo"))
        << dialogs.boxes[0].message;
    EXPECT_EQ (device->getPresetsStored(), stored);
}
