// The librarian at the keyboard: keys delivered to the main window as the window system delivers
// them (to the focused component, up through its parents and their key listeners, and last to
// the window's command keys), with the simulated device plugged in and the boxes answered from a
// script.

#include <gtest/gtest.h>

#include "app/AlertDialogs.h"
#include "app/CommandIds.h"
#include "app/ContentComp.h"
#include "app/TonarelWindow.h"
#include "app/TransferLogWindow.h"
#include "device/TransferJobHost.h"
#include "librarian/FocusRing.h"
#include "librarian/PresetComparisonWindow.h"
#include "librarian/PresetLibrarianManager.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"
#include "simulator/DeviceSimulator.h"
#include "simulator/InProcessMidiPorts.h"
#include "tests/TestHelpers.h"

namespace
{
    const auto ctrl = juce::ModifierKeys::commandModifier;
    const auto ctrlShift = juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier;

    /** The main window as the application builds it, over a simulated device that is plugged in. */
    class KeyboardFixture : public testing::Test, protected RecordedDesktop
    {
    protected:
        ScriptedDialogs dialogs;
        InProcessMidiPorts midiPorts;
        AppServices services = servicesFor (dialogs, midiPorts);
        DeviceSimulator device { midiPorts, WireModel::instant() };
        std::unique_ptr<TonarelWindow> window;
        PresetLibrarianManager* panel = nullptr;

        void SetUp() override
        {
            window = std::make_unique<TonarelWindow> (services);
            window->centreWithSize (800, 600);
            ASSERT_TRUE (dispatchMessagesUntil ([this] { return content().getCurrentPage() != nullptr; }));
            panel = dynamic_cast<PresetLibrarianManager*> (content().getCurrentPage());
            ASSERT_NE (panel, nullptr);
            ASSERT_TRUE (dispatchMessagesUntil (
                [this] { return panel->getPresetFiles().getFolderPath().isNotEmpty(); }));
            ASSERT_EQ (panel->getDeviceList().getNumRows(), DeviceSimulator::numSlots);
        }

        void TearDown() override { window.reset(); }

        ContentComp& content() { return *dynamic_cast<ContentComp*> (window->getContentComponent()); }

        /** A key pressed in a window, reaching whatever has the keyboard there. */
        static bool press (juce::Component& topLevel, const juce::KeyPress& key)
        {
            auto* peer = topLevel.getPeer();
            return peer != nullptr && peer->handleKeyPress (key);
        }

        bool press (const juce::KeyPress& key) { return press (*window, key); }

        static juce::KeyPress typed (juce::juce_wchar character)
        {
            return juce::KeyPress (character, 0, character);
        }

        juce::File presetFolder() const { return juce::File (panel->getPresetFiles().getFolderPath()); }

        /** Saves a slot as a file of the preset folder and lists the folder again. */
        juce::String addFileOfSlot (int slot)
        {
            const auto preset = device.getSlot (slot);
            EXPECT_TRUE (
                writePresetFile (presetFolder().getFullPathName(), preset, PresetWriteMode::Overwrite));
            panel->rescanPresetFolder();
            return presetFileName (preset);
        }

        void select (int slot, const juce::String& fileName)
        {
            panel->getDeviceSlots().setSelection (slot > 0 ? std::set<int> { slot } : std::set<int> {});
            panel->getPresetFiles().setSelection (fileName.isNotEmpty() ? std::set<juce::String> { fileName }
                                                                        : std::set<juce::String> {});
        }

        bool folderHolds (const juce::String& fileName) const
        {
            return presetFolder().getChildFile (fileName).existsAsFile();
        }

        bool wasAsked (const juce::String& text) const
        {
            for (const auto& box : dialogs.boxes)
                if (box.message.contains (text) || box.title == text)
                    return true;

            return false;
        }

        juce::TableListBox& deviceTable() { return panel->getDeviceList().getTable(); }
        juce::TableListBox& fileTable() { return panel->getLocalList().getTable(); }
    };
}

TEST_F (KeyboardFixture, EachCommandHasItsKeyAndTheKeyRunsItWhereverTheFocusIs)
{
    SCOPED_TRACE ("the window's key mappings give each key its command");
    auto& mappings = *window->getCommandManager().getKeyMappings();
    const std::vector<std::pair<juce::KeyPress, juce::CommandID>> keys {
        { juce::KeyPress ('s', ctrlShift, 0), CommandIds::saveAllPresets },
        { juce::KeyPress ('s', ctrl, 0), CommandIds::savePresets },
        { juce::KeyPress ('l', ctrl, 0), CommandIds::loadPresets },
        { juce::KeyPress ('l', ctrlShift, 0), CommandIds::loadAllPresets },
        { juce::KeyPress (juce::KeyPress::F5Key), CommandIds::refreshLists },
        { juce::KeyPress ('i', ctrl, 0), CommandIds::showFileInfo },
        { juce::KeyPress ('d', ctrl, 0), CommandIds::copyFile },
        { juce::KeyPress (juce::KeyPress::deleteKey), CommandIds::deleteFiles },
        { juce::KeyPress ('f', ctrl, 0), CommandIds::findInList },
        { juce::KeyPress (juce::KeyPress::F1Key), CommandIds::showHelp },
    };

    for (const auto& [key, command] : keys)
        EXPECT_EQ (mappings.findCommandForKeyPress (key), command) << key.getTextDescription();

    SCOPED_TRACE ("Ctrl+S from a button saves the selected slot");

    // Pressed where the user left the keyboard: on a button, not in a list.
    const auto pressOnAButton = [this] (const juce::KeyPress& key)
    {
        panel->getRefreshButton().grabKeyboardFocus();
        return press (key);
    };
    const auto fileOfSlot3 = presetFileName (device.getSlot (3));
    select (3, {});
    EXPECT_TRUE (pressOnAButton (juce::KeyPress ('s', ctrl, 0)));
    EXPECT_TRUE (folderHolds (fileOfSlot3));

    SCOPED_TRACE ("Ctrl+L loads the selected file into the selected slot, asking as the button does");
    select (10, fileOfSlot3);
    dialogs.answers = { TransferQuestion::overwriteSlot };
    EXPECT_TRUE (pressOnAButton (juce::KeyPress ('l', ctrl, 0)));
    EXPECT_EQ (device.getSlot (10).name, device.getSlot (3).name);

    SCOPED_TRACE ("Ctrl+I and Ctrl+D act on the file selected");
    select (0, fileOfSlot3);
    dialogs.boxes.clear();
    EXPECT_TRUE (pressOnAButton (juce::KeyPress ('i', ctrl, 0)));
    EXPECT_TRUE (wasAsked ("Preset Information"));
    const auto filesBefore = panel->getPresetFiles().getAllFileNames().size();
    EXPECT_TRUE (pressOnAButton (juce::KeyPress ('d', ctrl, 0)));
    EXPECT_EQ (panel->getPresetFiles().getAllFileNames().size(), filesBefore + 1);

    SCOPED_TRACE ("Delete from a button deletes the selected file once the user agrees");
    select (0, fileOfSlot3);
    dialogs.answers = { 1 };
    EXPECT_TRUE (pressOnAButton (juce::KeyPress (juce::KeyPress::deleteKey)));
    EXPECT_TRUE (wasAsked ("OK to delete " + fileOfSlot3));
    EXPECT_FALSE (folderHolds (fileOfSlot3));

    SCOPED_TRACE ("with no file selected the file commands are not run");
    select (0, {});
    dialogs.boxes.clear();
    pressOnAButton (juce::KeyPress ('i', ctrl, 0));
    pressOnAButton (juce::KeyPress (juce::KeyPress::deleteKey));
    EXPECT_TRUE (dialogs.boxes.empty());

    SCOPED_TRACE ("Ctrl+Shift+L asks before it loads the whole folder; F1 looks for the help document");
    EXPECT_TRUE (pressOnAButton (juce::KeyPress ('l', ctrlShift, 0)));
    EXPECT_TRUE (wasAsked ("OK to overwrite ALL presets?"));
    EXPECT_TRUE (pressOnAButton (juce::KeyPress (juce::KeyPress::F1Key)));
    EXPECT_TRUE (wasAsked ("Cannot open help file!"));
}

TEST_F (KeyboardFixture, TooltipsAndTheFileMenuShowTheKeys)
{
    EXPECT_EQ (panel->getSaveAllButton().getTooltip(), "click here to save all presets (Ctrl+Shift+S)");
    EXPECT_EQ (panel->getSaveButton().getTooltip(), "click here to save selected presets (Ctrl+S)");
    EXPECT_TRUE (panel->getLoadButton().getTooltip().endsWith (" (Ctrl+L)"));
    EXPECT_TRUE (panel->getLoadAllButton().getTooltip().endsWith (" (Ctrl+Shift+L)"));
    EXPECT_TRUE (panel->getRefreshButton().getTooltip().endsWith (" (F5)"));
    EXPECT_EQ (panel->getSaveAllButton().getButtonText(), "Save All >>");

    SCOPED_TRACE ("the computer list's menu: Get info, Copy and Delete with their keys");
    const auto fileName = addFileOfSlot (4);
    const auto now = juce::Time::getCurrentTime();
    const juce::MouseEvent rightClick (juce::Desktop::getInstance().getMainMouseSource(), {},
                                       juce::ModifierKeys::rightButtonModifier, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                       &fileTable(), &fileTable(), now, {}, now, 1, false);
    panel->getLocalList().cellClicked (0, 1, rightClick);
    ASSERT_FALSE (dialogs.boxes.empty());
    const auto& menu = dialogs.boxes.back();
    ASSERT_TRUE (menu.isMenu);
    EXPECT_EQ (menu.keys[0], juce::KeyPress ('i', ctrl, 0).getTextDescriptionWithIcons());
    EXPECT_EQ (menu.keys[1], juce::KeyPress ('d', ctrl, 0).getTextDescriptionWithIcons());
    EXPECT_EQ (menu.keys[2], juce::KeyPress (juce::KeyPress::deleteKey).getTextDescriptionWithIcons());
    EXPECT_EQ (menu.keys[3], "");

    SCOPED_TRACE ("the program's own menu puts the key beside the item");
    AlertDialogs alertDialogs;
    alertDialogs.setMenuKeyTexts ([] (const juce::String& item) { return item == "Copy" ? "ctrl + D" : ""; });
    const auto fileMenu = alertDialogs.createMenu ({ "Get info", "Copy" });
    juce::PopupMenu::MenuItemIterator items (fileMenu);
    juce::StringArray shown;

    while (items.next())
        shown.add (items.getItem().text + "|" + items.getItem().shortcutKeyDescription);

    EXPECT_EQ (shown, juce::StringArray ({ "Get info|", "Copy|ctrl + D" }));
}

TEST_F (KeyboardFixture, TabGoesDownTheDeviceSideThenAcrossToTheFilesAndHelpWithAVisibleRing)
{
    const auto fileName = addFileOfSlot (1);
    select (1, fileName);
    juce::Component* browseButton = nullptr;

    for (auto* child : panel->getFolderChooser().getChildren())
        if (dynamic_cast<juce::Button*> (child) != nullptr)
            browseButton = child;

    const std::vector<juce::Component*> expected { &deviceTable(),
                                                   &panel->getSaveAllButton(),
                                                   &panel->getSaveButton(),
                                                   &panel->getLoadButton(),
                                                   &panel->getLoadAllButton(),
                                                   &panel->getRefreshButton(),
                                                   browseButton,
                                                   &fileTable(),
                                                   &panel->getHelpButton(),
                                                   &deviceTable() };

    SCOPED_TRACE ("the window hands the keyboard to the device list, and Tab goes round from there");
    EXPECT_FALSE (window->getWantsKeyboardFocus());
    deviceTable().grabKeyboardFocus();

    for (size_t i = 1; i < expected.size(); ++i)
    {
        press (juce::KeyPress (juce::KeyPress::tabKey));
        EXPECT_EQ (juce::Component::getCurrentlyFocusedComponent(), expected[i]) << "after Tab " << i;
    }

    press (juce::KeyPress (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier, 0));
    EXPECT_EQ (juce::Component::getCurrentlyFocusedComponent(), &panel->getHelpButton());

    SCOPED_TRACE ("a filter being shown is reached before the files it filters");
    panel->getLocalList().showFilterField ("x");
    browseButton->grabKeyboardFocus();
    press (juce::KeyPress (juce::KeyPress::tabKey));
    EXPECT_EQ (juce::Component::getCurrentlyFocusedComponent(), &panel->getLocalList().getFilterField());
    press (juce::KeyPress (juce::KeyPress::tabKey));
    EXPECT_EQ (juce::Component::getCurrentlyFocusedComponent(), &fileTable());

    SCOPED_TRACE ("the ring shows round the list and the button that have the keyboard, and only there");
    const auto ringPixel = [this] (juce::Point<int> at)
    { return panel->createComponentSnapshot (panel->getLocalBounds()).getPixelAt (at.x, at.y); };
    const auto deviceListRing = panel->getDeviceList().getPosition() + juce::Point<int> (5, 200);
    const auto saveAllRing = panel->getSaveAllButton().getPosition() + juce::Point<int> (1, 15);

    deviceTable().grabKeyboardFocus();
    EXPECT_EQ (ringPixel (deviceListRing), FocusRing::colour);
    EXPECT_NE (ringPixel (saveAllRing), FocusRing::colour);

    panel->getSaveAllButton().grabKeyboardFocus();
    EXPECT_NE (ringPixel (deviceListRing), FocusRing::colour);
    EXPECT_EQ (ringPixel (saveAllRing), FocusRing::colour);
}

TEST_F (KeyboardFixture, ReturnInAListSendsItsSelectionToTheOtherSide)
{
    SCOPED_TRACE ("Return in the device list saves the selected slot as a file");
    const auto fileOfSlot5 = presetFileName (device.getSlot (5));
    deviceTable().grabKeyboardFocus();
    select (5, {});
    EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_TRUE (folderHolds (fileOfSlot5));

    SCOPED_TRACE ("with every slot selected it saves them all, as Save All >> does");
    panel->getDeviceSlots().selectAllShown();
    deviceTable().grabKeyboardFocus();
    dialogs.answers = { TransferQuestion::overwriteFile + Dialogs::applyToAllBonus };
    EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_EQ (panel->getPresetFiles().getAllFileNames().size(), DeviceSimulator::numSlots);

    SCOPED_TRACE ("Return in the computer list without a slot selected loads nothing");
    fileTable().grabKeyboardFocus();
    select (0, fileOfSlot5);
    dialogs.boxes.clear();
    press (juce::KeyPress (juce::KeyPress::returnKey));
    EXPECT_TRUE (dialogs.boxes.empty());

    SCOPED_TRACE ("with a slot selected it loads the file into it, asking as < Load To does");
    select (20, fileOfSlot5);
    dialogs.answers = { TransferQuestion::overwriteSlot };
    EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::returnKey)));
    ASSERT_EQ (dialogs.boxes.size(), 2u) << "the question, then the load's closing notice";
    EXPECT_EQ (dialogs.boxes.back().buttons, (juce::StringArray { "Undo", "Ok" }));
    EXPECT_EQ (device.getSlot (20).name, device.getSlot (5).name);
}

TEST_F (KeyboardFixture, FilterTakesLettersAndDeleteWhileItIsEdited)
{
    const auto fileName = addFileOfSlot (6);
    select (0, fileName);
    auto& field = panel->getLocalList().getFilterField();
    fileTable().grabKeyboardFocus();
    dialogs.boxes.clear();

    SCOPED_TRACE ("letters open the filter and go into it");
    press (typed ('w'));
    press (typed ('a'));
    EXPECT_TRUE (field.isVisible());
    EXPECT_EQ (field.getText(), "wa");

    SCOPED_TRACE ("Backspace and Delete edit the filter and delete no file");
    press (juce::KeyPress (juce::KeyPress::backspaceKey));
    EXPECT_EQ (field.getText(), "w");
    press (juce::KeyPress (juce::KeyPress::homeKey));
    press (juce::KeyPress (juce::KeyPress::deleteKey));
    EXPECT_EQ (field.getText(), "");
    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_TRUE (folderHolds (fileName));

    SCOPED_TRACE ("back in the list, Delete is the file's Delete again");
    press (juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_TRUE (dispatchMessagesUntil (
        [this] { return juce::Component::getCurrentlyFocusedComponent() == &fileTable(); }));
    select (0, fileName);
    dialogs.answers = { 0 };
    press (juce::KeyPress (juce::KeyPress::deleteKey));
    EXPECT_TRUE (wasAsked ("OK to delete " + fileName));
    EXPECT_TRUE (folderHolds (fileName));
}

TEST_F (KeyboardFixture, EscapeClosesTheTransferLogAndTheComparison)
{
    SCOPED_TRACE ("the transfer log");
    ASSERT_TRUE (window->getCommandManager().invokeDirectly (CommandIds::showTransferLog, false));
    auto* log = content().getTransferLogWindow();
    ASSERT_NE (log, nullptr);
    ASSERT_TRUE (log->isVisible());
    log->getView().grabKeyboardFocus();
    EXPECT_TRUE (press (*log, juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_FALSE (log->isVisible());

    SCOPED_TRACE ("the comparison of a file with a slot");
    const auto fileName = addFileOfSlot (8);
    dialogs.answers = { ScriptedDialogs::takeProposed };
    panel->compareFileWithSlot (fileName);
    auto* comparison = panel->getComparisonWindow();
    ASSERT_NE (comparison, nullptr);
    ASSERT_TRUE (comparison->isVisible());
    comparison->getView().grabKeyboardFocus();
    EXPECT_TRUE (press (*comparison, juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_FALSE (comparison->isVisible());
}

TEST_F (KeyboardFixture, F2RenamesTheFileOrTheSlotSelectedInTheListTheKeyboardIsIn)
{
    const auto f2 = juce::KeyPress (juce::KeyPress::F2Key);
    EXPECT_EQ (window->getCommandManager().getKeyMappings()->findCommandForKeyPress (f2),
               CommandIds::renameSelected);

    const auto fileOfSlot3 = presetFileName (device.getSlot (3));
    select (3, {});
    EXPECT_TRUE (press (juce::KeyPress ('s', ctrl, 0)));
    ASSERT_TRUE (folderHolds (fileOfSlot3));

    SCOPED_TRACE ("in the computer list: the file selected there, though a slot is selected too");
    select (7, fileOfSlot3);
    fileTable().grabKeyboardFocus();
    dialogs.typedTexts = { juce::String ("Keyed Name") };
    EXPECT_TRUE (press (f2));
    auto renamed = device.getSlot (3);
    renamed.name = "Keyed Name";
    EXPECT_TRUE (folderHolds (presetFileName (renamed)));
    EXPECT_FALSE (folderHolds (fileOfSlot3));
    EXPECT_NE (device.getSlot (7).name, "Keyed Name");

    SCOPED_TRACE ("in the device list: the slot, read whole and sent back under the new name");
    select (7, {});
    deviceTable().grabKeyboardFocus();
    dialogs.typedTexts = { juce::String ("Slot Seven") };
    EXPECT_TRUE (press (f2));
    EXPECT_EQ (device.getSlot (7).name, "Slot Seven");

    SCOPED_TRACE ("on a button it renames nothing");
    panel->getRefreshButton().grabKeyboardFocus();
    dialogs.textFields.clear();
    press (f2);
    EXPECT_TRUE (dialogs.textFields.empty());
}
