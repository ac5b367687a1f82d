#include "tests/LibrarianFixture.h"

using LibrarianPanel = LibrarianFixture;

TEST_F (LibrarianPanel, NothingOverlapsAtTheSmallestWindow)
{
    openPanel (800, 600);
    juce::Array<juce::Component*> parts { &panel->getDeviceList(),  &panel->getLocalList(),
                                          &panel->getDeviceLabel(), &panel->getStatusLabel(),
                                          &panel->getSaveButton(),  &panel->getSaveAllButton(),
                                          &panel->getLoadButton(),  &panel->getLoadAllButton(),
                                          &panel->getHelpButton(),  &panel->getRefreshButton() };

    for (int i = 0; i < parts.size(); ++i)
    {
        EXPECT_FALSE (parts[i]->getBounds().isEmpty()) << i;
        EXPECT_TRUE (panel->getLocalBounds().contains (parts[i]->getBounds())) << i;

        for (int j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE (parts[i]->getBounds().intersects (parts[j]->getBounds())) << i << " and " << j;
    }
}

TEST_F (LibrarianPanel, DeviceLabelTellsTheStateAndTheVersion)
{
    SCOPED_TRACE ("no device");
    openPanel();
    auto* label = &panel->getDeviceLabel();
    EXPECT_EQ (label->getText(), "Unable to detect Tonarel!");
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colour (0xffff0000));
    EXPECT_EQ (label->findColour (juce::Label::backgroundColourId), juce::Colour (0xffffffff));
    EXPECT_EQ (label->getFont().getHeight(), 16.0f);
    EXPECT_FALSE (panel->isConnected());

    SCOPED_TRACE ("device present");
    panel.reset();
    plugInDevice();
    openPanel();
    label = &panel->getDeviceLabel();
    EXPECT_TRUE (panel->isConnected());
    EXPECT_EQ (label->getText(), "Tonarel v3") << "the version the start-up read found";
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colour (0xff000000));

    panel->addDevicePreset (5, "Any name", 4);
    panel->getConnectionMonitor().tick();
    EXPECT_EQ (label->getText(), "Tonarel v4");
}

TEST_F (LibrarianPanel, VersionWarningComparesTheLastFileWithTheLastHeader)
{
    openPanel();
    auto& status = panel->getStatusLabel();

    const auto showWith = [&] (juce::int16 fileVersion, juce::int16 deviceVersion)
    {
        // The version of the file the folder scan read last.
        const auto folder = panel->getPresetFiles().getFolder();
        folder.deleteRecursively();
        writePresetFile (folder, { 1, "File", fileVersion, {} });
        panel->rescanPresetFolder();
        panel->addDevicePreset (1, "Slot", deviceVersion);
        panel->getConnectionMonitor().tick();
        return status.getText();
    };

    EXPECT_EQ (showWith (2, 3), "Inconsistent Version Number!");
    EXPECT_EQ (showWith (3, 3), "") << "the warning goes once the versions agree";
    status.setText ("reading done", juce::dontSendNotification);
    EXPECT_EQ (showWith (3, 3), "reading done") << "but a job's outcome stays to be read";
    EXPECT_EQ (showWith (0, 3), "reading done");
    EXPECT_EQ (showWith (3, 0), "reading done");
}

TEST_F (LibrarianPanel, TransferButtonsFollowTheDeviceAndTheSelections)
{
    const auto expectEnabled = [this] (bool save, bool saveAll, bool load, bool loadAll)
    {
        EXPECT_EQ (panel->getSaveButton().isEnabled(), save);
        EXPECT_EQ (panel->getSaveAllButton().isEnabled(), saveAll);
        EXPECT_EQ (panel->getLoadButton().isEnabled(), load);
        EXPECT_EQ (panel->getLoadAllButton().isEnabled(), loadAll);
        EXPECT_TRUE (panel->getHelpButton().isEnabled());
        EXPECT_TRUE (panel->getRefreshButton().isEnabled());
    };

    writePresetFile (defaultPresetFolder(), { 7, "Warm Vox", 3, { { 0, 1 } } });

    SCOPED_TRACE ("no device: nothing to transfer, and an empty, disabled device list");
    openPanel();
    panel->getLocalList().getTable().selectRow (0);
    panel->updateButtonStates();
    expectEnabled (false, false, false, false);
    EXPECT_FALSE (panel->getDeviceList().isEnabled());
    EXPECT_EQ (panel->getDeviceList().getNumRows(), 0);

    SCOPED_TRACE ("device: the buttons follow the two selections");
    panel.reset();
    plugInDevice();
    openPanel();
    for (int slot = 1; slot <= 99; ++slot)
        panel->addDevicePreset (slot, "Slot", 3);
    panel->getDeviceSlots().merge (panel->getDevicePresets());
    auto& deviceTable = panel->getDeviceList().getTable();
    auto& localTable = panel->getLocalList().getTable();

    panel->updateButtonStates();
    expectEnabled (false, true, false, true);
    EXPECT_TRUE (panel->getDeviceList().isEnabled());

    deviceTable.selectRow (4);
    panel->updateButtonStates();
    expectEnabled (true, true, false, true);

    localTable.selectRow (0);
    panel->updateButtonStates();
    expectEnabled (true, true, true, true);

    deviceTable.selectRangeOfRows (0, 98);
    panel->updateButtonStates();
    expectEnabled (false, true, true, true);

    SCOPED_TRACE ("the device unplugged: the device list is emptied and disabled");
    device->unplug();
    panel->updateButtonStates();
    expectEnabled (false, false, false, false);
    EXPECT_EQ (panel->getDeviceList().getNumRows(), 0);
}
