// Drops onto the librarian's two lists: a drag between the lists is the transfer command it
// stands for, and preset files from the desktop are copied into the preset folder.

#include "presets/PresetFile.h"
#include "tests/LibrarianFixture.h"

class DragAndDrop : public LibrarianFixture
{
protected:
    /** Where a drop onto a row of the list lands: the row's centre, in the list's coordinates,
        after the row was scrolled into view as a user's drag would have it.
    */
    template <typename List>
    static juce::Point<int> pointOnRow (List& list, int row)
    {
        auto& table = list.getTable();
        table.scrollToEnsureRowIsOnscreen (row);
        return list.getLocalPoint (&table, table.getRowPosition (row, true).getCentre());
    }

    /** Drops rows dragged from one list onto a row of the other, then runs the message loop
        until what the drop stands for has run (it runs once the drop's own event is over).
    */
    template <typename Target, typename Source>
    void drop (Target& target, Source& source, juce::Array<int> rows, int ontoRow)
    {
        juce::SparseSet<int> dragged;

        for (auto row : rows)
            dragged.addRange ({ row, row + 1 });

        const juce::DragAndDropTarget::SourceDetails details (
            source.getDragSourceDescription (dragged), &source.getTable(), pointOnRow (target, ontoRow));
        ASSERT_TRUE (target.isInterestedInDragSource (details));
        target.itemDropped (details);
        runPostedDrop();
    }

    void runPostedDrop()
    {
        auto ran = false;
        juce::MessageManager::callAsync ([&ran] { ran = true; });
        EXPECT_TRUE (dispatchMessagesUntil ([&ran] { return ran; }));
    }
};

TEST_F (DragAndDrop, FilesDroppedOnASlotAreLoadedFromThatSlotOnAsLoadToDoes)
{
    openConnectedPanel();
    const auto alpha = addFileOfSlot (1, "Drop Alpha");
    const auto beta = addFileOfSlot (2, "Drop Beta");
    const auto gamma = addFileOfSlot (3, "Drop Gamma");
    auto& deviceList = panel->getDeviceList();
    auto& localList = panel->getLocalList();
    const auto rowOf = [this] (const juce::String& fileName) { return listedFileNames().indexOf (fileName); };

    SCOPED_TRACE ("two files onto slot 5: file k goes into slot 4 + k, each slot asked about");
    const auto slot7 = device->getSlot (7);
    dialogs.answers = { 1, 1 };
    drop (deviceList, localList, { rowOf (alpha), rowOf (beta) }, 4);

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_TRUE (dialogs.boxes[0].message.endsWith ("(#5) in Tonarel?")) << dialogs.boxes[0].message;
    EXPECT_TRUE (dialogs.boxes[1].message.endsWith ("(#6) in Tonarel?")) << dialogs.boxes[1].message;
    EXPECT_EQ (device->getSlot (5).name, "Drop Alpha");
    EXPECT_EQ (device->getSlot (6).name, "Drop Beta");
    EXPECT_EQ (device->getSlot (7), slot7);
    EXPECT_EQ (deviceList.getRows()[5].name, "Drop Beta") << "the loaded slots are read back";

    SCOPED_TRACE ("three files onto slot 98: two slots remain, and the mismatch is asked first");
    dialogs.boxes.clear();
    dialogs.answers = { 1, 1 + Dialogs::applyToAllBonus };
    drop (deviceList, localList, { rowOf (alpha), rowOf (beta), rowOf (gamma) }, 97);

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_TRUE (dialogs.boxes[0].message.contains ("Only 2 presets will be loaded."))
        << dialogs.boxes[0].message;
    EXPECT_EQ (device->getSlot (98).name, "Drop Alpha");
    EXPECT_EQ (device->getSlot (99).name, "Drop Beta");
}

TEST_F (DragAndDrop, SlotsDroppedWithinTheDeviceListMoveThereAfterOneConfirmation)
{
    openConnectedPanel();
    auto& deviceList = panel->getDeviceList();
    const auto nameOf = [this] (int slot) { return device->getSlot (slot).name; };
    const auto slot3 = nameOf (3), slot4 = nameOf (4), slot5 = nameOf (5), slot6 = nameOf (6);

    SCOPED_TRACE ("slot 3 onto slot 6: it lands there, 4 to 6 move up by one");
    dialogs.answers = { 1 };
    drop (deviceList, deviceList, { 2 }, 5);

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].title, "");
    EXPECT_EQ (dialogs.boxes[0].buttons, (juce::StringArray { "Move", "Cancel" }));
    EXPECT_TRUE (dialogs.boxes[0].message.startsWith ("Move 4 presets in the Tonarel?"))
        << dialogs.boxes[0].message;
    EXPECT_TRUE (dialogs.boxes[0].message.contains (
        juce::String ("03 ") + slot3 + juce::String (juce::CharPointer_UTF8 (" \xe2\x86\x92 06"))))
        << dialogs.boxes[0].message;
    EXPECT_EQ ((juce::StringArray { nameOf (3), nameOf (4), nameOf (5), nameOf (6) }),
               (juce::StringArray { slot4, slot5, slot6, slot3 }));
    EXPECT_EQ (deviceList.getRows()[5].name, slot3) << "the names are read back";
    EXPECT_EQ (panel->getDeviceSlots().getSelectedSlots(), juce::Array<int> { 6 })
        << "the moved preset stays selected";

    SCOPED_TRACE ("onto itself: nothing is asked or written");
    dialogs.boxes.clear();
    const auto stored = device->getPresetsStored();
    drop (deviceList, deviceList, { 5 }, 5);
    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_EQ (device->getPresetsStored(), stored);

    SCOPED_TRACE ("Cancel in the question writes nothing");
    dialogs.answers = { 0 };
    drop (deviceList, deviceList, { 0 }, 1);
    EXPECT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (device->getPresetsStored(), stored);

    SCOPED_TRACE (
        "with a filter on, the drop lands at the slot the row shows; the hidden slots between shift too");
    dialogs.boxes.clear();
    device->setSlot (20,
                     { 20, "Zq Twenty", DeviceSimulator::presetVersion, device->getSlot (20).parameters });
    device->setSlot (
        24, { 24, "Zq TwentyFour", DeviceSimulator::presetVersion, device->getSlot (24).parameters });
    panel->refresh (true);
    panel->getDeviceSlots().setFilterText ("zq");
    ASSERT_EQ (deviceList.getNumRows(), 2);
    const auto slot21 = nameOf (21);
    dialogs.answers = { 1 };
    drop (deviceList, deviceList, { 1 }, 0);

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].message.startsWith ("Move 5 presets")) << dialogs.boxes[0].message;
    EXPECT_EQ (nameOf (20), "Zq TwentyFour");
    EXPECT_EQ (nameOf (21), "Zq Twenty");
    EXPECT_EQ (nameOf (22), slot21);
    EXPECT_EQ (panel->getDeviceSlots().getSelectedSlots(), juce::Array<int> { 20 });
}

TEST_F (DragAndDrop, SwapTwoSlotsOnlyWithTwoSelected)
{
    openConnectedPanel();
    auto& slots = panel->getDeviceSlots();
    const auto slot2 = device->getSlot (2), slot9 = device->getSlot (9);

    slots.selectSlots ({ 2 });
    EXPECT_FALSE (panel->canSwapSelectedSlots());
    slots.selectSlots ({ 2, 5, 9 });
    EXPECT_FALSE (panel->canSwapSelectedSlots());

    slots.selectSlots ({ 2, 9 });
    ASSERT_TRUE (panel->canSwapSelectedSlots());
    dialogs.answers = { 1 };
    panel->swapSelectedSlots();

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].message.startsWith ("Swap the presets of slots 02 and 09?"))
        << dialogs.boxes[0].message;
    EXPECT_EQ (dialogs.boxes[0].buttons, (juce::StringArray { "Swap", "Cancel" }));
    EXPECT_EQ (device->getSlot (2).name, slot9.name);
    EXPECT_EQ (device->getSlot (9).parameters, slot2.parameters);
    EXPECT_EQ (slots.getSelectedSlots(), (juce::Array<int> { 2, 9 }));
    EXPECT_EQ (panel->getDeviceList().getRows()[1].name, slot9.name);
}

TEST_F (DragAndDrop, SlotsDroppedOnTheComputerListAreSaved)
{
    openConnectedPanel();
    auto& localList = panel->getLocalList();

    drop (localList, panel->getDeviceList(), { 2, 3 }, 0);

    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_EQ (panel->getStatusLabel().getText(), "reading and saving done");
    EXPECT_EQ (listedFileNames(), (juce::StringArray { presetFileName (device->getSlot (3)),
                                                       presetFileName (device->getSlot (4)) }));
    const auto saved =
        readPresetFile (presetFolder().getFullPathName(), presetFileName (device->getSlot (4)));
    ASSERT_TRUE (saved.has_value());
    EXPECT_EQ (saved->parameters, device->getSlot (4).parameters);
}

TEST_F (DragAndDrop, PresetFilesFromTheDesktopAreCopiedInAskingOnAClash)
{
    const PresetData existing { 4, "Existing", 3, { { 0, 1 } } };
    const auto existingName = writePresetFile (defaultPresetFolder(), existing);
    openPanel();

    TemporaryFolder desktop;
    const PresetData outsider { 9, "Outsider", 3, { { 0, 42 } } };
    const PresetData newer { 4, "Existing", 3, { { 0, 2 } } };
    const auto outsiderName = writePresetFile (desktop.root, outsider);
    writePresetFile (desktop.root, newer);
    const auto source = [&desktop] (const juce::String& name) { return desktop.root.getChildFile (name); };
    ASSERT_TRUE (source ("junk.tnl").replaceWithText ("<preset><name>cut sho"));
    ASSERT_TRUE (source ("notes.txt").replaceWithText ("hello"));

    auto& localList = panel->getLocalList();
    EXPECT_FALSE (localList.isInterestedInFileDrag ({ source ("notes.txt").getFullPathName() }));

    SCOPED_TRACE ("a clash answered Overwrite; a spoilt preset file is named, other files passed over");
    const juce::StringArray dropped { source (outsiderName).getFullPathName(),
                                      source (existingName).getFullPathName(),
                                      source ("junk.tnl").getFullPathName(),
                                      source ("notes.txt").getFullPathName() };
    ASSERT_TRUE (localList.isInterestedInFileDrag (dropped));
    dialogs.answers = { 1 };
    localList.filesDropped (dropped, 10, 10);
    runPostedDrop();

    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[0].message, existingName + " already exists.");
    EXPECT_EQ (dialogs.boxes[0].buttons, (juce::StringArray { "Overwrite", "Skip", "Create Copy" }));
    EXPECT_TRUE (dialogs.boxes[0].offeredApplyToAll);
    EXPECT_EQ (dialogs.boxes[1].icon, Dialogs::Icon::warning);
    EXPECT_TRUE (dialogs.boxes[1].message.contains ("junk.tnl"));
    EXPECT_FALSE (dialogs.boxes[1].message.contains ("notes.txt"));
    EXPECT_EQ (listedFileNames(), (juce::StringArray { existingName, outsiderName }));
    EXPECT_TRUE (
        defaultPresetFolder().getChildFile (existingName).hasIdenticalContentTo (source (existingName)));
    EXPECT_TRUE (
        defaultPresetFolder().getChildFile (outsiderName).hasIdenticalContentTo (source (outsiderName)));
    EXPECT_FALSE (defaultPresetFolder().getChildFile ("junk.tnl").exists());

    SCOPED_TRACE ("one file: no Apply To All; Create Copy keeps both");
    dialogs.boxes.clear();
    dialogs.answers = { 0 };
    localList.filesDropped ({ source (existingName).getFullPathName() }, 10, 10);
    runPostedDrop();

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_FALSE (dialogs.boxes[0].offeredApplyToAll);
    EXPECT_TRUE (defaultPresetFolder()
                     .getChildFile ("copy1_" + existingName)
                     .hasIdenticalContentTo (source (existingName)));
    EXPECT_EQ (listedFileNames().size(), 3);
    EXPECT_EQ (panel->getPresetFiles().getSelectedFileNames(), juce::StringArray { "copy1_" + existingName })
        << "the copy made is selected";
}
