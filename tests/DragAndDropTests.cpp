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

    SCOPED_TRACE ("rows of the device list itself are no files to load");
    const juce::DragAndDropTarget::SourceDetails fromItself (
        juce::Array<juce::var> { 0 }, &deviceList.getTable(), pointOnRow (deviceList, 0));
    EXPECT_FALSE (deviceList.isInterestedInDragSource (fromItself));
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
}
