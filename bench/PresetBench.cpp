/*  tonarel-bench: how close the librarian's device link comes to what the protocol allows.

    Drives PresetManager against the device simulator as the transfer worker does (start an
    exchange, poll its result, go on with the next slot) and, for each job and wire, prints

        JOB WIRE measured_s floor_s ratio

    where the floor is the protocol's own cost (see ProtocolFloor). Everything runs in one
    process, one job after the other, so the machine's noise falls on all of them alike.

    Usage: tonarel-bench [--slots N] [--wire USB|DIN] [--job NAMES|READ|SEND]
*/

#include "bench/ProtocolFloor.h"
#include "device/DeviceSimulator.h"
#include "device/PresetManager.h"

#include <cstdio>

namespace
{
    /** The worker's poll waits: name reads at 20 ms; full transfers at 200 ms while young and
        20 ms once past 90 %.
    */
    constexpr int kQuickPollMs = 20;
    constexpr int kSlowPollMs = 200;
    constexpr double kNearlyDone = 0.9;

    enum class Job
    {
        names,
        read,
        send
    };

    const char* jobName (Job job)
    {
        switch (job)
        {
            case Job::names: return "NAMES";
            case Job::read: return "READ";
            case Job::send: return "SEND";
        }

        return "?";
    }

    template <typename Take>
    int pollResult (PresetManager& manager, bool quick, Take&& take)
    {
        for (;;)
        {
            if (const auto result = take(); result != 0)
                return result;

            const auto nearlyDone = manager.getProgress() > kNearlyDone;
            juce::Thread::sleep (quick || nearlyDone ? kQuickPollMs : kSlowPollMs);
        }
    }

    struct Outcome
    {
        double measuredMs = 0.0;
        double floorMs = 0.0;
        int failures = 0;
    };

    Outcome runJob (Job job, const WireModel& wire, int slots)
    {
        InProcessMidiPorts ports;
        DeviceSimulator device { ports, wire };
        PresetManager manager { ports };
        ProtocolFloor floor { wire };
        Outcome outcome;

        if (! manager.isDeviceReachable())
        {
            std::fprintf (stderr, "the simulated device cannot be reached\n");
            outcome.failures = slots;
            return outcome;
        }

        // The presets to send are on hand before the clock starts, as files read beforehand are.
        std::vector<PresetData> presetsToSend;

        if (job == Job::send)
            for (int slot = 1; slot <= slots; ++slot)
                presetsToSend.push_back (device.getSlot (slot));

        const auto started = juce::Time::getMillisecondCounterHiRes();

        for (int slot = 1; slot <= slots; ++slot)
        {
            const auto number = static_cast<juce::int16> (slot);
            int result = 0;

            switch (job)
            {
                case Job::names:
                    floor.addNameRead();
                    result = manager.requestPreset (number, true)
                                 ? pollResult (manager, true, [&] { return manager.takeReceiveResult(); })
                                 : -100;
                    break;

                case Job::read:
                    floor.addFullRead (DeviceSimulator::parametersPerPreset);
                    result = manager.requestPreset (number, false)
                                 ? pollResult (manager, false, [&] { return manager.takeReceiveResult(); })
                                 : -100;
                    break;

                case Job::send:
                    manager.outgoing = presetsToSend[(size_t) slot - 1];
                    floor.addSend ((int) manager.outgoing.parameters.size());
                    result = manager.sendPreset (number)
                                 ? pollResult (manager, false, [&] { return manager.takeSendResult(); })
                                 : -100;
                    break;
            }

            if (result < 0)
            {
                std::fprintf (stderr, "%s %s: slot %d failed with %d\n", jobName (job), wire.name.toRawUTF8(),
                              slot, result);
                ++outcome.failures;
            }
        }

        outcome.measuredMs = juce::Time::getMillisecondCounterHiRes() - started;
        outcome.floorMs = floor.getTotalMs();
        return outcome;
    }

    juce::String argumentAfter (const juce::StringArray& args, const juce::String& option)
    {
        const auto index = args.indexOf (option);
        return index >= 0 ? args[index + 1] : juce::String();
    }
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;

    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    const auto slotsArgument = argumentAfter (args, "--slots");
    const auto slots = slotsArgument.isEmpty()
                           ? DeviceSimulator::numSlots
                           : juce::jlimit (1, DeviceSimulator::numSlots, slotsArgument.getIntValue());
    const auto wireArgument = argumentAfter (args, "--wire").toUpperCase();
    const auto jobArgument = argumentAfter (args, "--job").toUpperCase();

    int failures = 0;

    for (const auto& wire : { WireModel::usb(), WireModel::din() })
    {
        if (wireArgument.isNotEmpty() && wireArgument != wire.name)
            continue;

        for (const auto job : { Job::names, Job::read, Job::send })
        {
            if (jobArgument.isNotEmpty() && jobArgument != jobName (job))
                continue;

            const auto outcome = runJob (job, wire, slots);
            failures += outcome.failures;
            std::printf ("%s %s %.3f %.3f %.2f\n", jobName (job), wire.name.toRawUTF8(),
                         outcome.measuredMs / 1000.0, outcome.floorMs / 1000.0,
                         outcome.measuredMs / outcome.floorMs);
            std::fflush (stdout);
        }
    }

    return failures == 0 ? 0 : 1;
}
