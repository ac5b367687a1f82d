#include "tests/LibrarianFixture.h"

namespace
{
    const PresetData warmVox { 7, "Warm Vox", 3, { { 0, 100 }, { 1, 2 } } };
    const PresetData bright { 12, "Bright", 3, { { 0, 5 } } };
    const PresetData dark { 20, "Dark", 3, { { 0, 6 } } };
    const PresetData airy { 31, "Airy", 3, { { 0, 7 } } };

    const juce::ModifierKeys leftClick { juce::ModifierKeys::leftButtonModifier };
    const juce::ModifierKeys rightClick { juce::ModifierKeys::rightButtonModifier };
    const juce::ModifierKeys controlClick { juce::ModifierKeys::leftButtonModifier |
                                            juce::ModifierKeys::ctrlModifier };
}

class PresetLists : public LibrarianFixture
{
protected:
    int rowOf (const juce::String& fileName) { return listedFileNames().indexOf (fileName); }

    void clickLocalRow (int row, juce::ModifierKeys mods)
    {
        auto& list = panel->getLocalList();
        list.cellClicked (row, PresetLocal::nameColumn, mouseEvent (list, mods));
    }
};

TEST_F (PresetLists, DeviceListMergesBySlotAndNeverSorts)
{
    openPanel();
    auto& list = panel->getDeviceList();

    for (auto [number, name] :
         { std::pair { 5, "Five" }, { 3, "Three" }, { 5, "Five again" }, { 0, "None" }, { 100, "Beyond" } })
        panel->addDevicePreset (number, name, 3);

    panel->getDeviceSlots().merge (panel->getDevicePresets());

    ASSERT_EQ (list.getNumRows(), 2);
    EXPECT_EQ (list.getRows()[0].number, 3);
    EXPECT_EQ (list.getRows()[0].name, "Three");
    EXPECT_EQ (list.getRows()[1].number, 5);
    EXPECT_EQ (list.getRows()[1].name, "Five again");

    SCOPED_TRACE ("a row that does not exist has no slot");
    juce::int32 number = 0;
    juce::String name;
    EXPECT_TRUE (list.getDevicePreset (1, number, name));
    EXPECT_EQ (number, 5);
    EXPECT_FALSE (list.getDevicePreset (2, number, name));
    EXPECT_FALSE (list.getDevicePreset (-1, number, name));

    SCOPED_TRACE ("a click on a column header leaves the rows as they are");
    auto& header = list.getTable().getHeader();
    const auto headerClick = [&header] (juce::Point<float> at)
    {
        const auto now = juce::Time::getCurrentTime();
        const juce::MouseEvent click (juce::Desktop::getInstance().getMainMouseSource(), at, leftClick, 1.0f,
                                      0.0f, 0.0f, 0.0f, 0.0f, &header, &header, now, at, now, 1, false);
        header.mouseDown (click);
        header.mouseUp (click.withNewPosition (at));
    };
    headerClick ({ 50.0f, 10.0f });
    headerClick ({ 150.0f, 10.0f });
    EXPECT_EQ (header.getSortColumnId(), 0);
    EXPECT_EQ (list.getRows()[0].number, 3);
}

TEST_F (PresetLists, OnlyAPopupClickOpensTheMenuAndGetInfoShowsTheFile)
{
    const auto warmVoxFile = writePresetFile (defaultPresetFolder(), warmVox);
    writePresetFile (defaultPresetFolder(), bright);
    openPanel();
    const auto row = rowOf (warmVoxFile);
    ASSERT_GE (row, 0);

    SCOPED_TRACE ("a left click shows no menu");
    clickLocalRow (row, leftClick);
    EXPECT_TRUE (dialogs.boxes.empty());

    SCOPED_TRACE ("a right click offers the four items; dismissing it does nothing");
    clickLocalRow (row, rightClick);
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].isMenu);
    EXPECT_EQ (dialogs.boxes[0].buttons,
               (juce::StringArray { "Get info", "Copy", "Delete", PresetLocal::compareWithSlotText,
                                    PresetLocal::renameText }));
    EXPECT_EQ (panel->getLocalList().getNumRows(), 2);

    SCOPED_TRACE ("a control-click opens it too; Get info shows five lines and selects the row alone");
    dialogs.boxes.clear();
    panel->getLocalList().getTable().selectRangeOfRows (0, 1);
    dialogs.answers = { PresetLocal::getInfoItem };
    clickLocalRow (row, controlClick);
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    const auto& info = dialogs.boxes[1];
    EXPECT_EQ (info.icon, Dialogs::Icon::info);
    EXPECT_EQ (info.title, "Preset Information");
    EXPECT_EQ (info.buttons, juce::StringArray { "Ok" });
    EXPECT_EQ (juce::StringArray::fromLines (info.message),
               (juce::StringArray { warmVoxFile, "", "Name: Warm Vox", "Version: 3", "ID: 7" }));
    EXPECT_EQ (panel->getLocalList().getTable().getNumSelectedRows(), 1);
    EXPECT_EQ (panel->getLocalList().getTable().getSelectedRow (0), row);

    SCOPED_TRACE ("a file that can no longer be read");
    dialogs.boxes.clear();
    defaultPresetFolder().getChildFile (warmVoxFile).replaceWithText ("not a preset");
    dialogs.answers = { PresetLocal::getInfoItem };
    clickLocalRow (row, rightClick);
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[1].message, "Unable to read preset...");
}

TEST_F (PresetLists, CopyKeepsBothFilesListedSelectsTheCopyInViewAndLeavesLoadToUsable)
{
    const auto warmVoxFile = writePresetFile (defaultPresetFolder(), warmVox);

    // Enough files after it that the copy, listed last, is far below the rows in view.
    for (int slot = 10; slot < 50; ++slot)
        writePresetFile (defaultPresetFolder(),
                         PresetData { (juce::int16) slot, "Filler", 3, { { 0, slot } } });

    plugInDevice();
    openPanel();

    // A click selects the row before the table tells the list of the click.
    panel->getDeviceList().getTable().selectRangeOfRows (1, 2);
    panel->getLocalList().getTable().selectRow (0);
    clickLocalRow (0, leftClick);
    ASSERT_TRUE (panel->getLoadButton().isEnabled());

    dialogs.answers = { PresetLocal::copyItem };
    clickLocalRow (0, rightClick);
    EXPECT_TRUE (panel->getLoadButton().isEnabled()) << "the copy is selected after the rescan";

    const auto listed = listedFileNames();
    ASSERT_EQ (listed.size(), 42);
    EXPECT_TRUE (listed.contains (warmVoxFile));
    const auto copyName = "copy1_" + warmVoxFile;
    const auto copyRow = listed.indexOf (copyName);
    ASSERT_GE (copyRow, 0);
    EXPECT_EQ (panel->getLocalList().getRows()[copyRow].name, "Warm Vox");

    SCOPED_TRACE ("the copy alone is selected, and in view");
    auto& table = panel->getLocalList().getTable();
    EXPECT_EQ (panel->getPresetFiles().getSelectedFileNames(), juce::StringArray { copyName });
    EXPECT_EQ (table.getNumSelectedRows(), 1);
    EXPECT_EQ (table.getSelectedRow (0), copyRow);
    const auto copyBounds = table.getRowPosition (copyRow, true);
    EXPECT_TRUE (table.getViewport()->getBounds().contains (copyBounds.getCentre())) << copyBounds.toString();
}

TEST_F (PresetLists, SaveAnsweredCreateCopySelectsTheCopyItMade)
{
    openConnectedPanel();
    const auto existing = writePresetFile (defaultPresetFolder(), device->getSlot (3));
    writePresetFile (defaultPresetFolder(), warmVox);
    panel->rescanPresetFolder();
    panel->getPresetFiles().selectFiles ({ existing });

    panel->getDeviceList().getTable().selectRangeOfRows (2, 3);
    dialogs.answers = { TransferQuestion::createCopy };
    panel->buttonClicked (&panel->getSaveButton());

    SCOPED_TRACE ("the copy of slot 3's file is selected; slot 4's new file is no copy");
    EXPECT_EQ (listedFileNames().size(), 4);
    EXPECT_EQ (panel->getPresetFiles().getSelectedFileNames(), juce::StringArray { "copy1_" + existing });
}

TEST_F (PresetLists, DeleteAsksAndRemovesExactlyTheFilesItNamed)
{
    const juce::StringArray files { writePresetFile (defaultPresetFolder(), warmVox),
                                    writePresetFile (defaultPresetFolder(), bright),
                                    writePresetFile (defaultPresetFolder(), dark),
                                    writePresetFile (defaultPresetFolder(), airy) };
    openPanel();
    auto& table = panel->getLocalList().getTable();

    SCOPED_TRACE ("one row selected: the clicked file is named and deleted");
    table.selectRow (rowOf (files[0]));
    dialogs.answers = { PresetLocal::deleteItem, 1 };
    clickLocalRow (rowOf (files[0]), rightClick);
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[1].icon, Dialogs::Icon::question);
    EXPECT_EQ (dialogs.boxes[1].title, "");
    EXPECT_EQ (dialogs.boxes[1].message, "OK to delete " + files[0] + "? ");
    EXPECT_EQ (dialogs.boxes[1].buttons, (juce::StringArray { "Ok", "Cancel" }));
    EXPECT_FALSE (defaultPresetFolder().getChildFile (files[0]).exists());
    EXPECT_EQ (panel->getLocalList().getNumRows(), 3);

    SCOPED_TRACE ("several selected: counted, then all of them go, whichever row was clicked");
    dialogs.boxes.clear();
    table.deselectAllRows();
    table.selectRow (rowOf (files[1]), false, false);
    table.selectRow (rowOf (files[3]), false, false);
    dialogs.answers = { PresetLocal::deleteItem, 0 };
    clickLocalRow (rowOf (files[3]), rightClick);
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[1].message, "OK to delete 2 preset files? ");
    EXPECT_EQ (panel->getLocalList().getNumRows(), 3) << "Cancel deletes nothing";

    table.deselectAllRows();
    table.selectRow (rowOf (files[1]), false, false);
    table.selectRow (rowOf (files[3]), false, false);
    dialogs.answers = { PresetLocal::deleteItem, 1 };
    clickLocalRow (rowOf (files[2]), rightClick);
    EXPECT_EQ (listedFileNames(), juce::StringArray { files[2] });
    EXPECT_TRUE (defaultPresetFolder().getChildFile (files[2]).existsAsFile());

    SCOPED_TRACE ("the keys a table knows act on no file");
    table.selectRow (0);
    for (auto key : { juce::KeyPress::deleteKey, juce::KeyPress::backspaceKey, juce::KeyPress::returnKey })
        table.keyPressed (juce::KeyPress (key));
    EXPECT_TRUE (defaultPresetFolder().getChildFile (files[2]).existsAsFile());
}

TEST_F (PresetLists, F5AloneRefreshesEitherList)
{
    plugInDevice();
    openPanel();
    const juce::KeyPress f5 (juce::KeyPress::F5Key);
    const juce::KeyPress shiftF5 (juce::KeyPress::F5Key, juce::ModifierKeys::shiftModifier, 0);

    SCOPED_TRACE ("computer list: the folder is scanned again");
    const auto fileName = writePresetFile (defaultPresetFolder(), warmVox);
    auto& localList = panel->getLocalList();
    EXPECT_FALSE (localList.keyPressed (shiftF5, &localList));
    EXPECT_EQ (localList.getNumRows(), 0);
    EXPECT_TRUE (localList.keyPressed (f5, &localList));
    EXPECT_EQ (listedFileNames(), juce::StringArray { fileName });

    SCOPED_TRACE ("device list: the selected slots' names are read");
    auto& deviceList = panel->getDeviceList();
    panel->getStatusLabel().setText ({}, juce::dontSendNotification);
    EXPECT_FALSE (deviceList.keyPressed (shiftF5, &deviceList));
    EXPECT_EQ (panel->getStatusLabel().getText(), "");
    EXPECT_TRUE (deviceList.keyPressed (f5, &deviceList));
    EXPECT_EQ (panel->getStatusLabel().getText(), "reading done");

    EXPECT_FALSE (panel->keyPressed (f5, panel.get()));
}

TEST_F (PresetLists, FirstRightClickOnAFileOpensItsMenuOnceTheButtonIsUp)
{
    writePresetFile (defaultPresetFolder(), warmVox);
    writePresetFile (defaultPresetFolder(), bright);
    plugInDevice();
    openPanel();
    auto& list = panel->getLocalList();

    // A click on a row that is not selected reaches the list while the button is still down.
    juce::ModifierKeys::currentModifiers = rightClick;
    clickLocalRow (1, rightClick);
    EXPECT_TRUE (dialogs.boxes.empty()) << "a menu shown while the button is held";

    juce::ModifierKeys::currentModifiers = {};
    list.mouseUp (mouseEvent (list.getTable(), {}));
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].isMenu);

    SCOPED_TRACE ("a later release shows nothing more; a click on a selected row ends with the menu at once");
    list.mouseUp (mouseEvent (list.getTable(), {}));
    EXPECT_EQ (dialogs.boxes.size(), 1u);
    clickLocalRow (1, rightClick);
    EXPECT_EQ (dialogs.boxes.size(), 2u);

    SCOPED_TRACE ("the device list's menu waits for the release too");
    auto& slots = panel->getDeviceList();
    juce::ModifierKeys::currentModifiers = rightClick;
    slots.cellClicked (0, PresetTonarel::nameColumn, mouseEvent (slots, rightClick));
    EXPECT_EQ (dialogs.boxes.size(), 2u);
    juce::ModifierKeys::currentModifiers = {};
    slots.mouseUp (mouseEvent (slots.getTable(), {}));
    EXPECT_EQ (dialogs.boxes.size(), 3u);
}
