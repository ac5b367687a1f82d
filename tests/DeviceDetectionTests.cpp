// Finding the device as the librarian starts: the boxes that let the user plug it in, go on
// without it, or quit.

#include "tests/LibrarianFixture.h"

namespace
{
    /** A MIDI service that lists the device's ports but cannot open them, as when another
        program holds them.
    */
    struct PortsHeldElsewhere final : public MidiPorts
    {
        juce::StringArray getInputNames() override { return { "Tonarel MIDI 1" }; }
        juce::StringArray getOutputNames() override { return { "Tonarel MIDI 1" }; }
        std::unique_ptr<MidiInputPort> openInput (int, juce::MidiInputCallback&) override { return {}; }
        std::unique_ptr<MidiOutputPort> openOutput (int) override { return {}; }
    };

    const juce::String notFoundMessage =
        "Unable to detect Tonarel.\nPlease connect your Tonarel to the computer.";
} // namespace

using DeviceDetection = LibrarianFixture;

TEST_F (DeviceDetection, MissingDeviceBoxOffersTryAgainIgnoreAndExit)
{
    SCOPED_TRACE ("Try again, with the device plugged in meanwhile");
    dialogs.onBox = [this] (const ScriptedDialogs::Box&) { plugInDevice(); };
    dialogs.answers = { tryAgain };
    panel = std::make_unique<PresetLibrarianManager> (services);

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    const auto box = dialogs.boxes.front();
    EXPECT_EQ (box.icon, Dialogs::Icon::warning);
    EXPECT_EQ (box.title, "");
    EXPECT_EQ (box.message, notFoundMessage);
    EXPECT_EQ (box.buttons, (juce::StringArray { "Try again", "Ignore", "Exit" }));
    EXPECT_TRUE (panel->isConnected());
    EXPECT_EQ (panel->getDeviceList().getNumRows(), DeviceSimulator::numSlots);
    EXPECT_TRUE (quitRequests.isEmpty());

    SCOPED_TRACE ("Ignore: the panel comes up without the device");
    panel.reset();
    device.reset();
    dialogs.onBox = nullptr;
    dialogs.boxes.clear();
    dialogs.answers = { ignoreDevice };
    panel = std::make_unique<PresetLibrarianManager> (services);

    EXPECT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_FALSE (panel->isConnected());
    EXPECT_EQ (panel->getDeviceLabel().getText(), "Unable to detect Tonarel!");
    EXPECT_TRUE (quitRequests.isEmpty());

    SCOPED_TRACE ("Exit: the panel is still built whole, then the program is asked to quit");
    panel.reset();
    dialogs.boxes.clear();
    dialogs.answers = { exitProgram };
    panel = std::make_unique<PresetLibrarianManager> (services);

    EXPECT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (quitRequests, juce::Array<bool> { true });
    EXPECT_EQ (panel->getDeviceLabel().getText(), "Unable to detect Tonarel!");
    EXPECT_EQ (panel->getDeviceList().getNumRows(), 0);
}

TEST_F (DeviceDetection, PortsThatWillNotOpenAskForTheOtherProgramToLetGo)
{
    PortsHeldElsewhere heldPorts;
    AppServices heldServices {
        dialogs, heldPorts, documents.root, programFolder.root, {}, services.quitApplication
    };
    dialogs.answers = { 1, 0 };
    panel = std::make_unique<PresetLibrarianManager> (heldServices);

    ASSERT_EQ (dialogs.boxes.size(), 2u) << "asked again after Try again";
    for (const auto& box : dialogs.boxes)
    {
        EXPECT_EQ (box.icon, Dialogs::Icon::warning);
        EXPECT_EQ (box.title, "");
        EXPECT_EQ (box.message,
                   "Tonarel is being used by another program. Please close that program and continue.");
        EXPECT_EQ (box.buttons, (juce::StringArray { "Try again", "Exit" }));
    }

    EXPECT_EQ (quitRequests, juce::Array<bool> { false });
    EXPECT_FALSE (panel->isConnected());
    EXPECT_EQ (panel->getDeviceLabel().getText(), "Unable to detect Tonarel!");
    panel.reset();
}

TEST_F (DeviceDetection, DeviceComingBackFrozeTheWindowThroughItsPause)
{
    constexpr int settleMs = 300;
    services.timings.pauseBeforeRetryMs = settleMs;
    openConnectedPanel();
    const auto tickMonitor = [this] { panel->timerCallback (PresetLibrarianManager::monitorTimerId); };

    device->unplug();
    tickMonitor();
    ASSERT_FALSE (panel->isConnected());
    EXPECT_EQ (panel->getDeviceList().getNumRows(), 0);

    SCOPED_TRACE ("back: the tick that finds it returns at once, and the device is not yet used");
    device->plugIn();
    device->clearTranscript();
    const auto foundAt = juce::Time::getMillisecondCounterHiRes();
    tickMonitor();
    EXPECT_FALSE (panel->isConnected());
    EXPECT_FALSE (panel->getSaveAllButton().isEnabled()) << "nothing is sent while the device settles";
    EXPECT_TRUE (device->getTranscript().empty());

    SCOPED_TRACE ("once its pause has passed, the monitor's own timer reads it");
    ASSERT_TRUE (dispatchMessagesUntil ([this] { return panel->isConnected(); }));
    EXPECT_GE (juce::Time::getMillisecondCounterHiRes() - foundAt, (double) settleMs);
    EXPECT_EQ (panel->getDeviceList().getNumRows(), DeviceSimulator::numSlots);
    EXPECT_EQ (panel->getDeviceLabel().getText(),
               "Tonarel v" + juce::String (DeviceSimulator::presetVersion));
    EXPECT_TRUE (panel->getSaveAllButton().isEnabled());
}

TEST_F (DeviceDetection, PaintingFoundTheLostDeviceAndChangedThePanel)
{
    openConnectedPanel();
    device->unplug();

    // Painting only paints: what it draws cannot change what the panel knows.
    panel->createComponentSnapshot (panel->getLocalBounds(), false);
    EXPECT_TRUE (panel->isConnected());
    EXPECT_EQ (panel->getDeviceLabel().getText().upToFirstOccurrenceOf (" ", false, false), "Tonarel");

    // The monitor finds it.
    panel->timerCallback (PresetLibrarianManager::monitorTimerId);
    EXPECT_FALSE (panel->isConnected());
    EXPECT_EQ (panel->getDeviceLabel().getText(), "Unable to detect Tonarel!");
}
