// Finding the device as the librarian starts: the boxes that let the user plug it in, go on
// without it, or quit.

#include "librarian/ConnectionMonitor.h"
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

    /** The device's ports, which another program holds until the test lets them go. */
    struct PortsHeldUntilReleased final : public MidiPorts
    {
        explicit PortsHeldUntilReleased (MidiPorts& devicePorts) : ports (devicePorts) {}

        juce::StringArray getInputNames() override { return ports.getInputNames(); }
        juce::StringArray getOutputNames() override { return ports.getOutputNames(); }

        std::unique_ptr<MidiInputPort> openInput (int index, juce::MidiInputCallback& callback) override
        {
            return held ? nullptr : ports.openInput (index, callback);
        }

        std::unique_ptr<MidiOutputPort> openOutput (int index) override
        {
            return held ? nullptr : ports.openOutput (index);
        }

        MidiPorts& ports;
        bool held = true;
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
    const auto tickMonitor = [this] { panel->getConnectionMonitor().tick(); };

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
    panel->getConnectionMonitor().tick();
    EXPECT_FALSE (panel->isConnected());
    EXPECT_EQ (panel->getDeviceLabel().getText(), "Unable to detect Tonarel!");
}

TEST_F (DeviceDetection, TryAgainSleptWithTheMessageLoopStopped)
{
    // What the user does during the pause after "Try again" reaches the program through the
    // message loop: a loop stopped by a sleep would look again without it, and ask again.
    services.timings.pauseBeforeRetryMs = 200;
    const auto duringThePause = [] (std::function<void()> action)
    { juce::MessageManager::callAsync (std::move (action)); };

    SCOPED_TRACE ("the device is plugged in during the pause");
    dialogs.onBox = [&] (const ScriptedDialogs::Box&) { duringThePause ([this] { plugInDevice(); }); };
    dialogs.answers = { tryAgain, exitProgram };
    panel = std::make_unique<PresetLibrarianManager> (services);

    EXPECT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (panel->isConnected());
    EXPECT_EQ (panel->getDeviceList().getNumRows(), DeviceSimulator::numSlots);
    EXPECT_TRUE (quitRequests.isEmpty());

    SCOPED_TRACE ("the other program lets the ports go during the pause");
    panel.reset();
    PortsHeldUntilReleased heldPorts (midiPorts);
    auto heldServices = servicesFor (dialogs, heldPorts);
    heldServices.timings.pauseBeforeRetryMs = 200;
    dialogs.boxes.clear();
    dialogs.onBox = [&] (const ScriptedDialogs::Box&) { duringThePause ([&] { heldPorts.held = false; }); };
    dialogs.answers = { 1, 0 };
    panel = std::make_unique<PresetLibrarianManager> (heldServices);

    EXPECT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (panel->isConnected());
    EXPECT_TRUE (quitRequests.isEmpty());
    panel.reset();
}

//==============================================================================
// The connection monitor on its own, over a simulated device, with a job of the test's and its
// callbacks recorded.

namespace
{
    class ConnectionMonitorFixture : public ::testing::Test, protected RecordedDesktop
    {
    protected:
        ScriptedDialogs dialogs;
        InProcessMidiPorts midiPorts;
        DeviceSimulator device { midiPorts, WireModel::instant() };
        PresetManager link { midiPorts };
        bool jobRunning = false;
        juce::StringArray calls;
        std::unique_ptr<ConnectionMonitor> monitor;

        ConnectionMonitorFixture() { timings.pauseBeforeRetryMs = 30; }

        void SetUp() override { startMonitor(); }

        /** A monitor with the fixture's timings, that has found the device and watches it. */
        void startMonitor()
        {
            ConnectionMonitor::Callbacks callbacks;
            callbacks.showDeviceState = [this] { calls.add ("state"); };
            callbacks.deviceLost = [this] { calls.add ("lost"); };
            callbacks.lookingForDevice = [this] { calls.add ("looking"); };
            callbacks.deviceBack = [this] { calls.add ("back"); };

            monitor = std::make_unique<ConnectionMonitor> (
                ConnectionMonitor::Needs { midiPorts, dialogs, timings, [this] { return &link; },
                                           [this] { return jobRunning; },
                                           [this] (bool force) { quitRequests.add (force); } },
                std::move (callbacks));

            ASSERT_TRUE (monitor->findDevicePorts());
            ASSERT_TRUE (monitor->confirmDeviceReachable());
            monitor->startWatching();
            EXPECT_EQ (monitor->getLookPeriodMs(), 3000);
        }

        /** The callbacks made since the last call, without the looks at the device's state, which
            the monitor's own timer makes as often as it likes.
        */
        juce::StringArray takeCalls()
        {
            auto made = std::exchange (calls, {});
            made.removeString ("state");
            return made;
        }

        /** Unplugs the device, lets the monitor find it gone, plugs it in again and lets the monitor
            find it back: it settles from now on.
        */
        void unplugAndPlugIn()
        {
            device.unplug();
            monitor->tick();
            device.plugIn();
            monitor->tick();
            ASSERT_TRUE (monitor->isSettling());
            EXPECT_EQ (takeCalls(), (juce::StringArray { "lost", "looking" }));
        }
    };
} // namespace

TEST_F (ConnectionMonitorFixture, LookWhileAJobRanTouchedThePortsOrThePanel)
{
    SCOPED_TRACE ("the device goes during a job: the job finds out, the monitor leaves it");
    device.unplug();
    jobRunning = true;
    monitor->tick();
    EXPECT_TRUE (takeCalls().isEmpty());
    EXPECT_TRUE (monitor->isConnected());

    jobRunning = false;
    monitor->tick();
    EXPECT_EQ (takeCalls(), juce::StringArray { "lost" });
    EXPECT_FALSE (monitor->isConnected());

    SCOPED_TRACE ("it comes back during a job: its ports stay closed until the job has ended");
    device.plugIn();
    jobRunning = true;
    monitor->tick();
    EXPECT_TRUE (takeCalls().isEmpty());
    EXPECT_FALSE (monitor->isSettling());

    jobRunning = false;
    monitor->tick();
    EXPECT_EQ (takeCalls(), juce::StringArray { "looking" });
    EXPECT_TRUE (monitor->isSettling());
}

TEST_F (ConnectionMonitorFixture, DeviceGoneAgainWhileItSettledWasShownConnected)
{
    unplugAndPlugIn();

    SCOPED_TRACE ("gone again before its pause has passed: the monitor's own look finds it gone");
    device.unplug();
    ASSERT_TRUE (dispatchMessagesUntil ([this] { return ! monitor->isSettling(); }));
    EXPECT_TRUE (takeCalls().isEmpty());
    EXPECT_FALSE (monitor->isConnected());
    EXPECT_EQ (monitor->getLookPeriodMs(), ConnectionMonitor::periodMs);

    SCOPED_TRACE ("the next look looks for it afresh, and once it has settled it is back");
    device.plugIn();
    monitor->tick();
    EXPECT_TRUE (monitor->isSettling());
    ASSERT_TRUE (dispatchMessagesUntil ([this] { return monitor->isConnected(); }));
    EXPECT_EQ (takeCalls(), (juce::StringArray { "looking", "back" }));
    EXPECT_EQ (monitor->getLookPeriodMs(), ConnectionMonitor::periodMs);
    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_TRUE (quitRequests.isEmpty());
}

TEST_F (ConnectionMonitorFixture, LookBeforeTheSettlingPauseEndedPutTheDeviceOffByAWholePeriod)
{
    // A look that comes before a returning device has settled (the user clicked a button, which
    // restarts the looks; or the timer fired a moment early) must not leave the device unused for
    // a whole period more: the next look comes when the pause ends.
    timings.pauseBeforeRetryMs = 1000;
    startMonitor();
    unplugAndPlugIn();

    // Only where the machine stalled past the pause has a look finished the reconnection.
    const auto nextLookComesWithTheEndOfThePause = [this]
    {
        if (monitor->isSettling())
            EXPECT_LE (monitor->getLookPeriodMs(), timings.pauseBeforeRetryMs);
    };

    SCOPED_TRACE ("a click");
    monitor->lookAgainLater();
    nextLookComesWithTheEndOfThePause();

    SCOPED_TRACE ("an early look");
    monitor->tick();
    nextLookComesWithTheEndOfThePause();

    ASSERT_TRUE (dispatchMessagesUntil ([this] { return monitor->isConnected(); }));
    EXPECT_EQ (takeCalls(), juce::StringArray { "back" });
    EXPECT_EQ (monitor->getLookPeriodMs(), ConnectionMonitor::periodMs);
}
