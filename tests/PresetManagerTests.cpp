#include <gtest/gtest.h>

#include "device/PresetManager.h"
#include "device/SysexFrame.h"
#include "simulator/DeviceSimulator.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
    /** A frame as a short label: ">" for what the librarian sent, "<" for what the device sent,
        then the message kind, with the parameter index for PARAMETER DATA.
    */
    juce::String describe (const DeviceSimulator::TranscriptEntry& entry)
    {
        const juce::String side = entry.fromDevice ? "<" : ">";
        const auto* data = entry.message.getRawData();
        const auto size = entry.message.getRawDataSize();

        if (! entry.message.isSysEx())
            return side + juce::String::toHexString (data, size);

        const auto type = frameType (data, size);
        const auto* info = findMessageInfo (type);
        juce::String label = info != nullptr ? info->name : "?";

        if (type == SysexType::parameterData && size == frameLength (type))
            label << " " << decode14 (data + kParameterIndexOffset);

        return side + label;
    }

    PresetData makePreset (int parameterCount, const juce::String& name = "Test Voice")
    {
        PresetData preset;
        preset.name = name;
        preset.version = DeviceSimulator::presetVersion;

        for (int i = 1; i <= parameterCount; ++i)
            preset.parameters.push_back ({ static_cast<juce::int16> (i), i * 1000 - 77777 });

        return preset;
    }

    /** A device on the in-process ports and the librarian's manager connected to it, without
        the pause before each request, which the simulated device does not need.
    */
    struct PresetManagerTest : public testing::Test
    {
        PresetManagerTest() { manager.setPauseBeforeRequest (0); }

        InProcessMidiPorts ports;
        DeviceSimulator device { ports, WireModel::instant() };
        PresetManager manager { ports };

        /** Waits as the transfer worker does until the exchange has ended; 0 when it has not
            within a minute, which no exchange here comes near.
        */
        template <typename Take>
        int waitForResult (Take&& take)
        {
            const auto deadline = juce::Time::getMillisecondCounterHiRes() + 60000.0;

            while (juce::Time::getMillisecondCounterHiRes() < deadline)
            {
                if (const auto result = take(); result != 0)
                    return result;

                manager.waitForExchangeEnd (20);
            }

            return 0;
        }

        int read (int slot, bool nameOnly = false)
        {
            if (! manager.requestPreset (static_cast<juce::int16> (slot), nameOnly))
                return 0;

            return waitForResult ([this] { return manager.takeReceiveResult(); });
        }

        int send (const PresetData& preset, int slot)
        {
            if (! manager.sendPreset (slot, preset))
                return 0;

            return waitForResult ([this] { return manager.takeSendResult(); });
        }

        juce::StringArray transcript() const
        {
            juce::StringArray lines;

            for (const auto& entry : device.getTranscript())
                lines.add (describe (entry));

            return lines;
        }

        juce::String lastSentByLibrarian() const
        {
            const auto lines = transcript();

            for (int i = lines.size(); --i >= 0;)
                if (lines[i].startsWith (">"))
                    return lines[i];

            return {};
        }

        void setFaults (std::function<void (DeviceSimulator::Faults&)> change)
        {
            DeviceSimulator::Faults faults;
            change (faults);
            device.setFaults (faults);
        }
    };
} // namespace

//==============================================================================
TEST_F (PresetManagerTest, ReadsAFullPresetAndItsName)
{
    ASSERT_TRUE (manager.isDeviceReachable());

    {
        SCOPED_TRACE ("full read");
        ASSERT_EQ (read (42), 1);
        const auto preset = manager.takeReceivedPreset();
        EXPECT_EQ (preset, device.getSlot (42));
        EXPECT_EQ (preset.parameters.size(), (size_t) DeviceSimulator::parametersPerPreset);
        EXPECT_DOUBLE_EQ (manager.getProgress(), 1.0);

        const auto lines = transcript();
        EXPECT_EQ (lines[0], ">REQUEST PRESET");
        EXPECT_EQ (lines[1], "<SEND PRESET START");
        EXPECT_EQ (lines[2], ">ACK");
        EXPECT_EQ (lines.size(), 5 + 2 * DeviceSimulator::parametersPerPreset);
        EXPECT_EQ (lines[lines.size() - 2], "<SEND PRESET END");
        EXPECT_EQ (lines[lines.size() - 1], ">ACK");
    }

    {
        SCOPED_TRACE ("name-only read: ERR stops the device after the header");
        device.clearTranscript();
        ASSERT_EQ (read (7, true), 1);
        const auto header = manager.takeReceivedPreset();
        EXPECT_EQ (header.number, 7);
        EXPECT_EQ (header.name, device.getSlot (7).name);
        EXPECT_EQ (header.version, DeviceSimulator::presetVersion);
        EXPECT_TRUE (header.parameters.empty());
        EXPECT_EQ (transcript(), juce::StringArray (">REQUEST PRESET", "<SEND PRESET START", ">ERR"));
    }

    {
        SCOPED_TRACE ("clock and active sensing in the middle of a read change nothing");
        setFaults ([] (auto& faults) { faults.realtimeBetweenReplies = true; });
        ASSERT_EQ (read (99), 1);
        EXPECT_EQ (manager.takeReceivedPreset(), device.getSlot (99));
    }
}

TEST_F (PresetManagerTest, SendsInTheDevicesBurstPattern)
{
    {
        SCOPED_TRACE ("one parameter");
        ASSERT_EQ (send (makePreset (1), 3), 1);
        EXPECT_EQ (transcript(), juce::StringArray ({ ">REQUEST PRESET VERSION", "<PRESET VERSION DATA",
                                                      ">SEND PRESET START", "<ACK", ">PARAMETER DATA 1",
                                                      "<ACK", ">SEND PRESET END", "<ACK" }));

        auto expected = makePreset (1);
        expected.number = 3;
        EXPECT_EQ (device.getSlot (3), expected);
    }

    {
        SCOPED_TRACE ("twelve parameters: the first alone, then bursts of five once all is acknowledged");
        device.clearTranscript();
        ASSERT_EQ (send (makePreset (12), 12), 1);
        EXPECT_DOUBLE_EQ (manager.getProgress(), 1.0);

        juce::StringArray expected { ">REQUEST PRESET VERSION", "<PRESET VERSION DATA", ">SEND PRESET START",
                                     "<ACK" };

        for (const auto& [first, last] : { std::pair { 1, 1 }, { 2, 6 }, { 7, 11 }, { 12, 12 } })
        {
            for (int i = first; i <= last; ++i)
                expected.add (">PARAMETER DATA " + juce::String (i));

            for (int i = first; i <= last; ++i)
                expected.add ("<ACK");
        }

        expected.addArray (juce::StringArray { ">SEND PRESET END", "<ACK" });
        EXPECT_EQ (transcript(), expected);
        EXPECT_EQ (device.getSlot (12).parameters, makePreset (12).parameters);
    }

    {
        SCOPED_TRACE ("a preset read from one slot and sent to another arrives unchanged");
        ASSERT_EQ (read (20), 1);
        const auto preset = manager.takeReceivedPreset();
        ASSERT_EQ (send (preset, 21), 1);
        EXPECT_EQ (preset.number, 20) << "the caller's preset is not the one the send numbers";
        auto expected = preset;
        expected.number = 21;
        EXPECT_EQ (device.getSlot (21), expected);
    }
}

TEST_F (PresetManagerTest, ReportsEachWayAReadCanFail)
{
    struct Case
    {
        const char* what;
        std::function<void (DeviceSimulator::Faults&)> fault;
        int expectedResult;
        const char* lastFrameSent;
    };

    const Case cases[] = {
        { "header with a wrong checksum", [] (auto& f) { f.corruptPresetStartChecksum = true; }, -1,
          ">CHECKSUM FAILED" },
        { "device answers ERR", [] (auto& f) { f.errAtReply = 3; }, -2, ">ACK" },
        { "parameter frame of the wrong length", [] (auto& f) { f.wrongLengthAtReply = 4; }, -2, ">ERR" },
        { "header of the wrong length", [] (auto& f) { f.wrongLengthAtReply = 1; }, -2, ">ERR" },
        { "frame that is not the device's", [] (auto& f) { f.badHeaderAtReply = 2; }, -2, ">ERR" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        setFaults (c.fault);
        device.clearTranscript();

        EXPECT_EQ (read (10), c.expectedResult);
        EXPECT_EQ (lastSentByLibrarian(), juce::String (c.lastFrameSent));
        EXPECT_EQ (manager.takeReceivedPreset(), PresetData())
            << "a failed read leaves no half preset behind";
    }

    {
        SCOPED_TRACE ("the device still serves a read after all that");
        setFaults ([] (auto&) {});
        EXPECT_EQ (read (10), 1);
    }
}

TEST_F (PresetManagerTest, ReadEndedFromOutsideKeepsNoHalfPreset)
{
    // What Cancel does: the device has stopped mid-preset (a reply lost), and the program ends
    // the exchange itself. The parameters read so far are only part of a preset.
    setFaults ([] (auto& f) { f.dropReply = 30; });
    ASSERT_TRUE (manager.requestPreset (4, false));
    ASSERT_TRUE (device.waitUntilQuiet());

    manager.endExchange();
    EXPECT_EQ (waitForResult ([this] { return manager.takeReceiveResult(); }), -2);
    EXPECT_TRUE (manager.takeReceivedPreset().parameters.empty());
    EXPECT_EQ (lastSentByLibrarian(), ">ERR") << "the device is told the read is over";
}

TEST_F (PresetManagerTest, ReadPresetIsHandedOutOnceAndNeverDuringItsExchange)
{
    {
        SCOPED_TRACE ("a read stalled mid-preset: its record is the callback's until the outcome is taken");
        setFaults ([] (auto& f) { f.dropReply = 30; });
        ASSERT_TRUE (manager.requestPreset (4, false));
        ASSERT_TRUE (device.waitUntilQuiet());
        EXPECT_EQ (manager.takeReceivedPreset(), PresetData()) << "half a preset handed out as a value";

        manager.endExchange();
        EXPECT_EQ (waitForResult ([this] { return manager.takeReceiveResult(); }), -2);
        const auto header = manager.takeReceivedPreset();
        EXPECT_EQ (header.number, 4) << "a read ended from outside keeps its header";
        EXPECT_TRUE (header.parameters.empty());
    }

    {
        SCOPED_TRACE ("a whole read, taken twice");
        setFaults ([] (auto&) {});
        ASSERT_EQ (read (42), 1);
        EXPECT_EQ (manager.takeReceivedPreset(), device.getSlot (42));
        EXPECT_EQ (manager.takeReceivedPreset(), PresetData()) << "one read handed out twice";
    }

    {
        SCOPED_TRACE ("a send brings no preset to take");
        ASSERT_EQ (read (43), 1);
        ASSERT_EQ (send (makePreset (3), 44), 1);
        EXPECT_EQ (manager.takeReceivedPreset(), PresetData()) << "the read before the send handed out late";
    }

    {
        SCOPED_TRACE ("a read refused at its start brings none either");
        ASSERT_EQ (read (45), 1);
        manager.closePorts();
        ASSERT_FALSE (manager.requestPreset (46, false));
        EXPECT_EQ (manager.takeReceivedPreset(), PresetData()) << "the read before taken for the refused one";
    }
}

TEST_F (PresetManagerTest, RefusedStartsSendNothing)
{
    for (const int slot : { 0, 100, -1 })
        EXPECT_FALSE (manager.sendPreset (slot, makePreset (5))) << slot;

    EXPECT_FALSE (manager.sendPreset (5, makePreset (0))) << "nothing to send";

    auto offTheWire = makePreset (3);
    offTheWire.parameters[1].value = kMax28BitValue + 1;
    EXPECT_FALSE (manager.sendPreset (5, offTheWire)) << "a value the wire cannot carry would arrive changed";

    offTheWire.parameters[1] = { -4, 0 };
    EXPECT_FALSE (manager.sendPreset (5, offTheWire)) << "so would a negative index";

    {
        SCOPED_TRACE ("no second exchange while one is unfinished");
        ASSERT_TRUE (manager.requestPreset (1, false));
        EXPECT_FALSE (manager.requestPreset (2, false));
        EXPECT_FALSE (manager.sendPreset (5, makePreset (3)));
        waitForResult ([this] { return manager.takeReceiveResult(); });
        device.clearTranscript();
    }

    {
        SCOPED_TRACE ("no input port");
        manager.closePorts();
        EXPECT_FALSE (manager.requestPreset (1, false));
    }

    EXPECT_TRUE (transcript().isEmpty());
}

TEST_F (PresetManagerTest, SilentDeviceTimesOutOnTimeKeepingWhatArrived)
{
    // The budget is time on a monotonic clock: neither early nor never, however often the watch
    // thread is woken meanwhile. A count of passes would run out in a few hundred wake-ups.
    constexpr int nameReadBudgetMs = 300, transferBudgetMs = 750;
    manager.setExchangeBudget (nameReadBudgetMs);

    const auto timeOf = [this] (int slot, bool nameOnly, int& result)
    {
        const auto started = std::chrono::steady_clock::now();

        if (! manager.requestPreset (static_cast<juce::int16> (slot), nameOnly))
            return -1.0;

        std::atomic<bool> ended { false };
        std::thread waker (
            [this, &ended]
            {
                while (! ended)
                {
                    manager.notify();
                    std::this_thread::yield();
                }
            });

        result = waitForResult ([this] { return manager.takeReceiveResult(); });
        ended = true;
        waker.join();
        return std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - started).count();
    };

    {
        SCOPED_TRACE ("name-only read of a silent device, its watch thread woken all the time");
        setFaults ([] (auto& f) { f.silent = true; });
        auto result = 0;
        EXPECT_GE (timeOf (1, true, result), nameReadBudgetMs);
        EXPECT_EQ (result, -3);
    }

    {
        SCOPED_TRACE ("a frame lost mid-read: a full read's longer budget, and what had arrived stays");
        setFaults ([] (auto& f) { f.dropReply = 11; });
        auto result = 0;
        EXPECT_GE (timeOf (1, false, result), transferBudgetMs);
        EXPECT_EQ (result, -3);
        const auto partial = manager.takeReceivedPreset();
        EXPECT_EQ (partial.parameters.size(), 9u);
        EXPECT_EQ (partial.name, device.getSlot (1).name);
    }
}

TEST_F (PresetManagerTest, ResultWaitsForACallbackStillAtWorkWhenTheBudgetRunsOut)
{
    // A device of the test's own whose receiver holds the callback inside its ACK of the
    // header: the callback is still at work on the record when the budget runs out, so the
    // result must not be given out until it has returned.
    InProcessMidiPorts ownPorts;
    juce::WaitableEvent ackBeingSent, releaseAck;
    const auto input = ownPorts.addInput ("Tonarel");
    ownPorts.addOutput ("Tonarel",
                        [&] (const juce::MidiMessage& message)
                        {
                            if (frameType (message.getRawData(), message.getRawDataSize()) == SysexType::ack)
                            {
                                ackBeingSent.signal();
                                releaseAck.wait (20000);
                            }
                        });

    PresetManager ownManager { ownPorts };
    ownManager.setPauseBeforeRequest (0);
    ownManager.setExchangeBudget (40); // a full read's budget is then 100 ms
    ASSERT_TRUE (ownManager.requestPreset (1, false));

    std::thread midiInput ([&]
                           { ownPorts.deliver (input, makeSendPresetStart (1, "Held", 3).toMidiMessage()); });
    ASSERT_TRUE (ackBeingSent.wait (20000));

    for (int look = 0; look < 10; ++look)
    {
        ownManager.waitForExchangeEnd (50);
        EXPECT_EQ (ownManager.takeReceiveResult(), 0) << "given out while the callback still ran";
    }

    releaseAck.signal();
    midiInput.join();

    auto result = 0;

    while ((result = ownManager.takeReceiveResult()) == 0)
        ownManager.waitForExchangeEnd (20);

    EXPECT_EQ (result, -3);
    EXPECT_EQ (ownManager.takeReceivedPreset().name, "Held");
}

TEST_F (PresetManagerTest, StrayMessagesOutsideAnExchangeAreDropped)
{
    manager.handleIncomingMidiMessage (nullptr, juce::MidiMessage::midiClock());
    manager.handleIncomingMidiMessage (nullptr, makeErr().toMidiMessage()); // waits, then drops it
    manager.handleIncomingMidiMessage (nullptr, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));

    EXPECT_TRUE (transcript().isEmpty()) << "nothing is answered";
    EXPECT_EQ (manager.takeReceiveResult(), 1);
    EXPECT_EQ (manager.takeSendResult(), 1);
    EXPECT_EQ (read (2, true), 1);
}

TEST_F (PresetManagerTest, DestroyedMidExchangeStopsCleanly)
{
    auto slowPorts = std::make_unique<InProcessMidiPorts>();
    DeviceSimulator slowDevice { *slowPorts, WireModel::din() };
    auto slowManager = std::make_unique<PresetManager> (*slowPorts);

    ASSERT_TRUE (slowManager->requestPreset (1, false));
    slowManager.reset();
}

//==============================================================================
TEST (PresetManagerPorts, FindsTheDeviceByCaseSensitiveName)
{
    const auto receiver = [] (const juce::MidiMessage&) {};

    {
        SCOPED_TRACE ("other words around the name");
        InProcessMidiPorts ports;
        ports.addInput ("Midi Through");
        ports.addInput ("USB Tonarel MIDI 1 20:0");
        ports.addOutput ("Midi Through", receiver);
        ports.addOutput ("My Tonarel out", receiver);
        EXPECT_TRUE (PresetManager::isDevicePresent (ports));
        PresetManager manager { ports };
        EXPECT_TRUE (manager.isDeviceReachable());
    }

    {
        SCOPED_TRACE ("lower case is someone else's device");
        InProcessMidiPorts ports;
        ports.addInput ("tonarel");
        ports.addOutput ("TONAREL", receiver);
        EXPECT_FALSE (PresetManager::isDevicePresent (ports));
    }

    {
        SCOPED_TRACE ("an empty entry ends the list");
        InProcessMidiPorts ports;
        ports.addInput ("Midi Through");
        ports.addInput ("");
        ports.addInput ("Tonarel");
        ports.addOutput ("Tonarel", receiver);
        EXPECT_FALSE (PresetManager::isDevicePresent (ports));
        PresetManager manager { ports };
        EXPECT_FALSE (manager.isInputOpen());
        EXPECT_TRUE (manager.isOutputOpen()) << "the output list is searched all the same";
    }

    {
        SCOPED_TRACE ("only one side: not present, and the side that opened stays open");
        InProcessMidiPorts ports;
        ports.addInput ("Tonarel");
        PresetManager manager { ports };
        EXPECT_FALSE (PresetManager::isDevicePresent (ports));
        EXPECT_FALSE (manager.openPorts());
        EXPECT_TRUE (manager.isInputOpen());
        manager.closePorts();
        EXPECT_FALSE (manager.isInputOpen());
    }
}
