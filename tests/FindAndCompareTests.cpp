// Finding presets in the two lists with the filter, and comparing the preset folder with the
// device: the panel, its worker and the simulated device, with the boxes answered from a script.

#include "librarian/PresetComparisonWindow.h"
#include "presets/PresetFile.h"
#include "tests/LibrarianFixture.h"

class FindAndCompare : public LibrarianFixture
{
protected:
    /** Types text into a list as a user does: the first key opens the field, the rest goes in. */
    template <typename List>
    void typeInto (List& list, const juce::String& text)
    {
        list.keyPressed (juce::KeyPress (text[0], 0, text[0]), &list.getTable());
        list.getFilterField().insertTextAtCaret (text.substring (1));
        EXPECT_TRUE (dispatchMessagesUntil ([&list, text] { return list.getFilterText() == text; }));
    }

    template <typename List>
    static juce::Array<int> shownSlots (List& list)
    {
        juce::Array<int> slots;

        for (int row = 0; row < list.getNumRows(); ++row)
            slots.add (list.getShownEntry (row)->number);

        return slots;
    }

    juce::Array<int> markedSlots() const
    {
        juce::Array<int> marked;

        for (const auto& row : panel->getDeviceList().getRows())
            if (row.differsFromFolder)
                marked.add (row.number);

        return marked;
    }

    void rightClick (juce::TableListBoxModel& list, juce::TableListBox& table, int row)
    {
        list.cellClicked (row, 1, mouseEvent (table, juce::ModifierKeys::rightButtonModifier));
    }

    void click (juce::Button& button) { panel->buttonClicked (&button); }
};

TEST_F (FindAndCompare, AFilterKeepsCommandsOnTheSlotsAndFilesShown)
{
    openConnectedPanel();
    const auto springTour = addFileOfSlot (1, "Spring Tour");
    addFileOfSlot (2, "Winter Tour");
    const auto springDemo = addFileOfSlot (3, "Spring Demo");
    auto& deviceList = panel->getDeviceList();
    auto& localList = panel->getLocalList();

    SCOPED_TRACE ("typing opens the field; the rows shown are those whose name holds the text");
    typeInto (deviceList, "AIRY");
    EXPECT_TRUE (deviceList.getFilterField().isVisible());
    EXPECT_EQ (shownSlots (deviceList), (juce::Array<int> { 28, 29, 30, 31, 32, 33, 34, 35, 36 }));
    typeInto (localList, "spring");
    EXPECT_EQ (listedFileNames().size(), 3) << "the list keeps all its files";
    ASSERT_EQ (localList.getNumRows(), 2);
    EXPECT_EQ (localList.getShownEntry (1)->fileName, springDemo);

    SCOPED_TRACE ("< Load To goes to the slots shown selected, not to the rows' places");
    const auto slot2 = device->getSlot (2), slot4 = device->getSlot (4);
    deviceList.getTable().selectRow (1);
    deviceList.getTable().selectRow (3, true, false);
    localList.getTable().selectRangeOfRows (0, 1);
    dialogs.answers = { 1, 1 };
    click (panel->getLoadButton());

    EXPECT_TRUE (takeLoadNotice()) << "the load ends with its notice";
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_TRUE (dialogs.boxes[0].message.endsWith ("(#29) in Tonarel?")) << dialogs.boxes[0].message;
    EXPECT_TRUE (dialogs.boxes[1].message.endsWith ("(#31) in Tonarel?")) << dialogs.boxes[1].message;
    EXPECT_EQ (device->getSlot (29).name, "Spring Tour");
    EXPECT_EQ (device->getSlot (31).name, "Spring Demo");
    EXPECT_EQ (device->getSlot (2), slot2);
    EXPECT_EQ (device->getSlot (4), slot4);
    EXPECT_EQ (shownSlots (deviceList), (juce::Array<int> { 28, 30, 32, 33, 34, 35, 36 }))
        << "the names read back no longer hold the text";

    SCOPED_TRACE ("Save > and the pop-up menu act on the entries shown too");
    deviceList.getTable().selectRow (1);
    click (panel->getSaveButton());
    EXPECT_TRUE (presetFolder().getChildFile (presetFileName (device->getSlot (30))).existsAsFile());
    EXPECT_FALSE (presetFolder().getChildFile (presetFileName (device->getSlot (2))).existsAsFile());

    dialogs.boxes.clear();
    dialogs.answers = { PresetLocal::getInfoItem };
    rightClick (localList, localList.getTable(), 0);
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_TRUE (dialogs.boxes[1].message.startsWith (springTour)) << dialogs.boxes[1].message;

    SCOPED_TRACE ("Escape shows every row again; Save All saves all 99 whatever the filter");
    localList.getFilterField().onEscapeKey();
    EXPECT_FALSE (localList.getFilterField().isVisible());
    EXPECT_EQ (localList.getNumRows(), listedFileNames().size());
    click (panel->getSaveAllButton());
    EXPECT_EQ (deviceList.getFilterText(), "");
    EXPECT_EQ (panel->getStatusLabel().getText(), "reading and saving done");
    EXPECT_TRUE (presetFolder().getChildFile (presetFileName (device->getSlot (1))).existsAsFile());
    EXPECT_TRUE (presetFolder().getChildFile (presetFileName (device->getSlot (99))).existsAsFile());
}

TEST_F (FindAndCompare, CompareShowsExactlyTheParametersTheSlotChangedOrIdentical)
{
    openConnectedPanel();
    const auto fileName = addFileOfSlot (5);
    const auto unchangedFile = addFileOfSlot (6);
    const auto fileBefore = presetFolder().getChildFile (fileName).loadFileAsString();

    auto edited = device->getSlot (5);
    const auto old3 = edited.parameters[3].value, old100 = edited.parameters[100].value;
    edited.parameters[3].value = old3 + 1;
    edited.parameters[100].value = 7;
    device->setSlot (5, edited);

    SCOPED_TRACE ("Compare with Slot on the file proposes slot 5, and shows the two parameters");
    auto& localList = panel->getLocalList();
    dialogs.answers = { PresetLocal::compareWithSlotItem, ScriptedDialogs::takeProposed };
    rightClick (localList, localList.getTable(), listedFileNames().indexOf (fileName));

    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[0].buttons[PresetLocal::compareWithSlotItem - 1],
               PresetLocal::compareWithSlotText);
    EXPECT_EQ (dialogs.boxes[1].proposedItem, 4);
    EXPECT_EQ (dialogs.boxes[1].buttons.size(), DeviceSimulator::numSlots);
    auto* window = panel->getComparisonWindow();
    ASSERT_NE (window, nullptr);
    EXPECT_TRUE (window->isVisible());
    const auto& view = window->getView();
    EXPECT_EQ (view.getHeadline(), "Differs: 2 parameters");
    EXPECT_EQ (view.describeRows(),
               (juce::StringArray { "Preset | " + fileName + " | Slot 5",
                                    "Name | " + edited.name + " | " + edited.name, "Version | 3 | 3",
                                    "Parameter 3 | " + juce::String (old3) + " | " + juce::String (old3 + 1),
                                    "Parameter 100 | " + juce::String (old100) + " | 7" }));

    SCOPED_TRACE ("nothing was written, and the job is in the transfer log");
    EXPECT_EQ (device->getSlot (5), edited);
    EXPECT_EQ (presetFolder().getChildFile (fileName).loadFileAsString(), fileBefore);
    EXPECT_EQ (panel->getStatusLabel().getText(), "comparing done");
    EXPECT_TRUE (applicationFolder().getChildFile ("tonarel.log").loadFileAsString().contains ("Compare"));

    SCOPED_TRACE ("Compare with File on slot 6 proposes its file: Identical");
    dialogs.boxes.clear();
    dialogs.answers = { PresetTonarel::compareWithFileItem, ScriptedDialogs::takeProposed };
    auto& deviceList = panel->getDeviceList();
    rightClick (deviceList, deviceList.getTable(), 5);

    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[1].buttons[dialogs.boxes[1].proposedItem], unchangedFile);
    EXPECT_EQ (view.getHeadline(), PresetComparisonView::identicalText);
    EXPECT_TRUE (view.getDifferences().isEmpty());

    SCOPED_TRACE ("a window moved away and closed comes back centred over the librarian");
    const auto centred = window->getPosition();
    window->closeButtonPressed();
    window->setTopLeftPosition (centred.x == 0 ? 1 : 0, 0);
    dialogs.answers = { PresetTonarel::compareWithFileItem, ScriptedDialogs::takeProposed };
    rightClick (deviceList, deviceList.getTable(), 5);
    EXPECT_TRUE (window->isVisible());
    EXPECT_EQ (window->getPosition(), centred);
}

TEST_F (FindAndCompare, CompareDeviceWithFolderMarksTheChangedSlotsUntilTheyAreReadOrSent)
{
    openConnectedPanel();
    click (panel->getSaveAllButton());
    ASSERT_EQ (listedFileNames().size(), DeviceSimulator::numSlots);

    auto edited = device->getSlot (7);
    edited.parameters[0].value += 1;
    device->setSlot (7, edited);
    auto renamed = device->getSlot (30);
    renamed.name = "Renamed";
    device->setSlot (30, renamed);
    ASSERT_TRUE (presetFolder().getChildFile (presetFileName (device->getSlot (60))).deleteFile());
    panel->rescanPresetFolder();
    // A second file of slot 61 that differs does not mark it: the other one matches.
    auto older = device->getSlot (61);
    older.name = "Older Take";
    older.parameters[1].value += 1;
    writePresetFile (presetFolder(), older);
    panel->rescanPresetFolder();

    dialogs.boxes.clear();
    panel->compareDeviceWithFolder();

    EXPECT_EQ (markedSlots(), (juce::Array<int> { 7, 30, 60 }));
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].message, "3 of 99 presets in the Tonarel differ from the preset folder.");
    auto& deviceList = panel->getDeviceList();
    EXPECT_EQ (deviceList.getShownEntry (29)->name, "Renamed") << "the whole read shows the names";

    SCOPED_TRACE ("Show Only Differing lists the marked slots, and all of them again when off");
    ASSERT_TRUE (panel->canShowOnlyDiffering());
    panel->setShowOnlyDiffering (true);
    EXPECT_EQ (shownSlots (deviceList), (juce::Array<int> { 7, 30, 60 }));
    panel->setShowOnlyDiffering (false);
    EXPECT_EQ (deviceList.getNumRows(), DeviceSimulator::numSlots);

    SCOPED_TRACE ("F5 on slot 7, Save > of slot 60 and < Load To into slot 30 each clear their mark");
    deviceList.getTable().selectRow (6);
    deviceList.keyPressed (juce::KeyPress (juce::KeyPress::F5Key), &deviceList.getTable());
    EXPECT_EQ (markedSlots(), (juce::Array<int> { 30, 60 }));
    EXPECT_EQ (deviceList.getShownEntry (29)->name, "Renamed") << "an earlier read's name came back";

    deviceList.getTable().selectRow (59);
    click (panel->getSaveButton());
    EXPECT_EQ (markedSlots(), (juce::Array<int> { 30 }));

    deviceList.getTable().selectRow (29);
    panel->getLocalList().getTable().selectRow (
        listedFileNames().indexOf (presetFileName (device->getSlot (31))));
    dialogs.answers = { 1 };
    click (panel->getLoadButton());
    EXPECT_TRUE (markedSlots().isEmpty());
}
