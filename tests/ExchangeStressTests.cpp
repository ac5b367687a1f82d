// A thousand full reads and a thousand sends against the simulated device, with a seeded few of
// them hit by a fault: every exchange has to end, every fault has to come back as a failure,
// every success has to carry the preset byte for byte, and no thread may be left behind.
//
// It is a program of its own so that CTest can build it with ThreadSanitizer beside the plain
// build (tools/run-tsan-stress.sh): the MIDI callback, the watch thread and the caller meet
// without locks, and only thousands of exchanges give a race a fair chance to show.
//
// The wire is the instant one. The device still answers from its own thread and the callback
// still runs on another, so every hand-over between threads happens as on USB, but without the
// wire's millisecond per frame a run is minutes instead of a quarter of an hour, and the threads
// press on each other harder.

#include <gtest/gtest.h>

#include "device/PresetManager.h"
#include "device/SysexFrame.h"
#include "simulator/DeviceSimulator.h"

#include <map>

namespace
{
    constexpr int exchangesEachWay = 1000;
    constexpr int faultPercent = 5;
    constexpr juce::int64 seed = 20260614;

    /** A name read's budget of 400 ms gives a full transfer with a silent device one second,
        where the default would wait thirty.
    */
    constexpr int shortBudget = 400;
    constexpr int defaultBudget = 12000;

    /** Only turns a hang into a failure; the longest exchange here is allowed 30 s. */
    constexpr double resultLimitMs = 120000.0;

    enum class Expect
    {
        success,
        failure,
        either // the fault spoils nothing the outcome depends on
    };

    struct InjectedFault
    {
        juce::String kind;
        DeviceSimulator::Faults faults;
        Expect expect = Expect::failure;
        int reply = 0;
    };

    /** Draws one fault of the simulator's set at a random reply of the exchange. A read has the
        header, one reply per parameter and the end; a send has the version reply, then one ACK
        for the header, each parameter and the end.
    */
    InjectedFault drawFault (juce::Random& random, bool sending, int parameterCount)
    {
        const auto replies = parameterCount + (sending ? 3 : 2);
        const auto reply = 1 + random.nextInt (replies);
        InjectedFault fault;
        fault.reply = reply;
        auto& f = fault.faults;
        f.faultyExchanges = 1;

        switch (random.nextInt (9))
        {
            case 0:
                fault.kind = "silent";
                f.silent = true;
                break;
            case 1:
                fault.kind = "dropped reply";
                f.dropReply = reply;
                break;
            case 2:
                fault.kind = "header checksum";
                f.corruptPresetStartChecksum = true;
                // A send never receives a preset header, so nothing goes wrong.
                fault.expect = sending ? Expect::success : Expect::failure;
                break;
            case 3:
                fault.kind = "ERR";
                f.errAtReply = reply;
                break;
            case 4:
                fault.kind = "CHECKSUM FAILED";
                f.checksumFailedAtReply = reply;
                break;
            case 5:
                fault.kind = "wrong length";
                f.wrongLengthAtReply = reply;
                // The replies to a send carry no data: an ACK or the version reply of the wrong
                // length still says what it says, and the slot is checked either way.
                fault.expect = sending ? Expect::either : Expect::failure;
                break;
            case 6:
                fault.kind = "bad header";
                f.badHeaderAtReply = reply;
                break;
            case 7:
                fault.kind = "realtime messages";
                f.realtimeBetweenReplies = true;
                fault.expect = Expect::success;
                break;
            default:
                fault.kind = "unplugged";
                f.unplugAtReply = reply;
                break;
        }

        return fault;
    }

    /** A full preset the wire can carry unchanged: a printable ASCII name of up to 20 characters,
        indices within 14 bits and values over the whole 28-bit range.
    */
    PresetData randomPreset (juce::Random& random)
    {
        PresetData preset;
        preset.version = DeviceSimulator::presetVersion;

        for (auto length = 1 + random.nextInt (kPresetNameBytes); --length >= 0;)
            preset.name << (juce::juce_wchar) (0x20 + random.nextInt (0x5f));

        for (int i = 0; i < DeviceSimulator::parametersPerPreset; ++i)
            preset.parameters.push_back (
                { (juce::int16) random.nextInt (kMax14BitValue + 1),
                  (juce::int32) random.nextInt (juce::Range<int> (kMin28BitValue, kMax28BitValue + 1)) });

        return preset;
    }

    int threadsOfThisProcess()
    {
        return juce::File ("/proc/self/task").getNumberOfChildFiles (juce::File::findDirectories);
    }

    struct Tally
    {
        int exchanges = 0, successes = 0, failures = 0;
    };
} // namespace

class ExchangeStress : public ::testing::Test
{
protected:
    /** The simulated device needs no pause between exchanges, and a stress run wants them
        back to back.
    */
    ExchangeStress() { manager.setPauseBeforeRequest (0); }

    /** Waits as the transfer worker does; 0 when the exchange did not end in time. */
    template <typename Take>
    int awaitResult (Take&& take)
    {
        const auto deadline = juce::Time::getMillisecondCounterHiRes() + resultLimitMs;

        while (juce::Time::getMillisecondCounterHiRes() < deadline)
        {
            if (const auto result = take(); result != 0)
                return result;

            manager.waitForExchangeEnd (20);
        }

        return 0;
    }

    /** Runs one exchange and checks its outcome against the fault it met. */
    void exchange (int round, bool sending, juce::Random& random)
    {
        const auto slot = (juce::int16) (1 + random.nextInt (DeviceSimulator::numSlots));
        const auto sent = sending ? randomPreset (random) : PresetData();
        const auto before = device.getSlot (slot);
        const auto parameterCount = (int) (sending ? sent : before).parameters.size();

        InjectedFault fault { "none", {}, Expect::success };

        if (random.nextInt (100) < faultPercent)
            fault = drawFault (random, sending, parameterCount);

        SCOPED_TRACE ((sending ? "send " : "read ") + juce::String (round) + " to slot " +
                      juce::String (slot) + ", fault: " + fault.kind + " at reply " +
                      juce::String (fault.reply));

        device.setFaults (fault.faults);
        manager.setExchangeBudget (fault.expect == Expect::success ? defaultBudget : shortBudget);

        int result = 0;

        if (sending)
        {
            ASSERT_TRUE (manager.sendPreset (slot, sent));
            result = awaitResult ([this] { return manager.takeSendResult(); });
        }
        else
        {
            ASSERT_TRUE (manager.requestPreset (slot, false));
            result = awaitResult ([this] { return manager.takeReceiveResult(); });
        }

        ASSERT_NE (result, 0) << "the exchange never ended";

        auto& tally = tallies[fault.kind + (sending ? " (send)" : " (read)")];
        ++tally.exchanges;
        ++(result > 0 ? tally.successes : tally.failures);

        if (fault.expect == Expect::failure)
        {
            EXPECT_LT (result, 0) << "a fault was reported as success";
        }
        else if (fault.expect == Expect::success)
        {
            EXPECT_EQ (result, 1);
        }

        auto stored = sent;
        stored.number = slot;

        if (result > 0)
        {
            if (sending)
                EXPECT_EQ (device.getSlot (slot), stored) << "the slot does not hold what was sent";
            else
                EXPECT_EQ (manager.takeReceivedPreset(), before) << "the preset read is not the slot's";
        }
        else if (sending)
        {
            // The device stores a preset at its end frame, so a send that failed after that
            // leaves the new preset; anything else must leave the old one whole.
            EXPECT_TRUE (device.getSlot (slot) == before || device.getSlot (slot) == stored);
        }

        if (fault.faults.unplugAtReply != 0)
        {
            device.plugIn();
            ASSERT_TRUE (manager.reopenPorts());
        }
    }

    InProcessMidiPorts ports;
    DeviceSimulator device { ports, WireModel::instant() };
    PresetManager manager { ports };
    std::map<juce::String, Tally> tallies;
};

TEST_F (ExchangeStress, ThousandsOfExchangesWithRandomFaultsEndAsTheyMust)
{
    ASSERT_TRUE (manager.isDeviceReachable());
    const auto threadsBefore = threadsOfThisProcess();
    const auto startedAt = juce::Time::getMillisecondCounterHiRes();
    juce::Random random (seed);

    for (int round = 0; round < exchangesEachWay && ! HasFatalFailure(); ++round)
    {
        exchange (round, false, random);

        if (! HasFatalFailure())
            exchange (round, true, random);
    }

    ASSERT_TRUE (device.waitUntilQuiet());

    // The watch thread ends with each exchange; a thread left over would be one per exchange.
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + 20000.0;

    while (threadsOfThisProcess() != threadsBefore && juce::Time::getMillisecondCounterHiRes() < deadline)
        juce::Thread::sleep (10);

    EXPECT_EQ (threadsOfThisProcess(), threadsBefore);

    std::cout << "seed " << seed << ", "
              << juce::String ((juce::Time::getMillisecondCounterHiRes() - startedAt) / 1000.0, 1) << " s\n";

    for (const auto& [kind, tally] : tallies)
        std::cout << "  " << kind << ": " << tally.exchanges << " exchanges, " << tally.successes
                  << " succeeded, " << tally.failures << " failed\n";
}
