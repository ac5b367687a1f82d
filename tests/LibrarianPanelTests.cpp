#include "resources/Artwork.h"
#include "tests/LibrarianFixture.h"

namespace
{
    /** A point where two pictures of the same size differ, to tell which one was drawn. */
    juce::Point<int> firstDifference (const juce::Image& a, const juce::Image& b)
    {
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return { x, y };

        return { -1, -1 };
    }
}

using LibrarianPanel = LibrarianFixture;

TEST_F (LibrarianPanel, LayoutFollowsThePanelsSize)
{
    openPanel (800, 600);

    const auto expectLayout = [this] (int w, int h)
    {
        const auto half = w / 2, r = half + 34;
        EXPECT_EQ (panel->getDeviceList().getBounds(), juce::Rectangle<int> (10, 140, half - 86, h - 150));
        EXPECT_EQ (panel->getSaveAllButton().getBounds(), juce::Rectangle<int> (half - 70, 192, 100, 30));
        EXPECT_EQ (panel->getSaveButton().getBounds(), juce::Rectangle<int> (half - 70, 238, 100, 30));
        EXPECT_EQ (panel->getLoadButton().getBounds(), juce::Rectangle<int> (half - 70, 283, 100, 30));
        EXPECT_EQ (panel->getLoadAllButton().getBounds(), juce::Rectangle<int> (half - 70, 330, 100, 30));
        EXPECT_EQ (panel->getHelpButton().getBounds(), juce::Rectangle<int> (w - 116, 20, 100, 30));
        EXPECT_EQ (panel->getRefreshButton().getBounds(), juce::Rectangle<int> (half - 70, h - 100, 100, 30));
        EXPECT_EQ (panel->getLocalList().getBounds(), juce::Rectangle<int> (r, 140, w - r - 10, h - 150));
        EXPECT_EQ (panel->getFolderChooser().getBounds(),
                   juce::Rectangle<int> (half + 42, 122, w - r - 26, 23));

        // The labels are seen, above the captions and left of "Help", clear of each other.
        for (auto* label : { &panel->getDeviceLabel(), &panel->getStatusLabel() })
        {
            EXPECT_FALSE (label->getBounds().isEmpty());
            EXPECT_LE (label->getBottom(), 75);
            EXPECT_LE (label->getRight(), w - 116);
        }

        EXPECT_FALSE (panel->getDeviceLabel().getBounds().intersects (panel->getStatusLabel().getBounds()));
    };

    SCOPED_TRACE ("800 x 600");
    expectLayout (800, 600);
    EXPECT_EQ (panel->getDeviceList().getBounds(), juce::Rectangle<int> (10, 140, 314, 450));
    EXPECT_EQ (panel->getLocalList().getBounds(), juce::Rectangle<int> (434, 140, 356, 450));
    EXPECT_EQ (panel->getFolderChooser().getBounds(), juce::Rectangle<int> (442, 122, 340, 23));

    SCOPED_TRACE ("1600 x 1000");
    panel->setSize (1600, 1000);
    expectLayout (1600, 1000);
    EXPECT_TRUE (panel->getFolderChooser().isAlwaysOnTop());
}

TEST_F (LibrarianPanel, CaptionsAreDrawnPieceByPieceAndTiled)
{
    const auto connectedCaption = Artwork::decode (Artwork::Picture::headerConnected);
    const auto disconnectedCaption = Artwork::decode (Artwork::Picture::headerDisconnected);
    const auto rightCaption = Artwork::decode (Artwork::Picture::headerRight);
    const auto fill = Artwork::decode (Artwork::Picture::headerFill);
    const auto cap = Artwork::decode (Artwork::Picture::headerCap);
    const auto telling = firstDifference (connectedCaption, disconnectedCaption);
    ASSERT_GE (telling.x, 0);

    const auto expectCaptions = [&] (int w, const juce::Image& leftCaption)
    {
        panel->setSize (w, 600);
        const auto shot = panel->createComponentSnapshot (panel->getLocalBounds(), false);
        const auto half = w / 2, rx = half + 39, rw = w - rx;
        const auto at = [&shot] (int x, int y) { return shot.getPixelAt (x, 75 + y); };

        EXPECT_EQ (at (20 + telling.x, telling.y), leftCaption.getPixelAt (telling.x, telling.y));
        EXPECT_EQ (at (rx + 150, 22), rightCaption.getPixelAt (150, 22));

        for (int y : { 0, 22, 43 })
        {
            EXPECT_EQ (at (half - 89 + 3, y), cap.getPixelAt (3, y));
            EXPECT_EQ (at (rx + rw - 23 + 6, y), cap.getPixelAt (6, y));
            EXPECT_EQ (at (half + 327, y), fill.getPixelAt (0, y));
            EXPECT_EQ (at (rx + rw - 24, y), fill.getPixelAt (0, y));

            if (half - 396 > 0)
            {
                EXPECT_EQ (at (half - 90, y), fill.getPixelAt (0, y));
            }
        }

        EXPECT_EQ (at (rx + rw - 16, 22).getAlpha(), 0) << "nothing right of the cap";
    };

    SCOPED_TRACE ("no device: the not-connected caption, at two widths");
    openPanel();
    expectCaptions (800, disconnectedCaption);
    expectCaptions (1600, disconnectedCaption);

    SCOPED_TRACE ("device: the connected caption");
    panel.reset();
    plugInDevice();
    openPanel();
    expectCaptions (1000, connectedCaption);
}

TEST_F (LibrarianPanel, DeviceLabelTellsTheStateAndTheVersionOnRepaint)
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
    EXPECT_EQ (label->getText(), "Tonarel");
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colour (0xff000000));

    panel->addDevicePreset (5, "Any name", 3);
    panel->createComponentSnapshot (panel->getLocalBounds(), false);
    EXPECT_EQ (label->getText(), "Tonarel v3");
}

TEST_F (LibrarianPanel, VersionWarningComparesTheLastFileWithTheLastHeader)
{
    openPanel();
    auto& manager = panel->getPresetManager();
    auto& status = panel->getStatusLabel();

    const auto paintWith = [&] (juce::int16 fileVersion, juce::int16 deviceVersion)
    {
        // The version of the file the folder scan read last.
        const auto folder = juce::File (manager.presetFolder);
        folder.deleteRecursively();
        writePresetFile (folder, { 1, "File", fileVersion, {} });
        panel->rescanPresetFolder();
        manager.received.version = deviceVersion;
        panel->createComponentSnapshot (panel->getLocalBounds(), false);
        return status.getText();
    };

    EXPECT_EQ (paintWith (2, 3), "Inconsistent Version Number!");
    EXPECT_EQ (paintWith (3, 3), "") << "the warning goes once the versions agree";
    status.setText ("reading done", juce::dontSendNotification);
    EXPECT_EQ (paintWith (3, 3), "reading done") << "but a job's outcome stays to be read";
    EXPECT_EQ (paintWith (0, 3), "reading done");
    EXPECT_EQ (paintWith (3, 0), "reading done");
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
    panel->getDeviceList().mergeDevicePresets();
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
