// tonarel: the librarian's transfers from a shell, for scripts and machines without a desktop.

#include "cli/Console.h"
#include "cli/TonarelCommandLine.h"
#include "device/DeviceLock.h"
#include "device/JuceMidiPorts.h"
#include "simulator/DemoPresets.h"
#include "simulator/DeviceSimulator.h"
#include "simulator/InProcessMidiPorts.h"

#include <iostream>

namespace
{
    int runOn (MidiPorts& ports, const CommandLineOptions& options, const LibrarianTimings& timings)
    {
        TonarelCommandLine commandLine (ports,
                                        juce::File::getSpecialLocation (juce::File::userDocumentsDirectory),
                                        timings, std::cout, std::cerr, Console::standardErrorIsTerminal(),
                                        options.demo ? LibrarianConfiguration::Edition::demo
                                                     : LibrarianConfiguration::Edition::librarian);
        Console::interruptOnSignals (commandLine.interrupted);
        const auto status = commandLine.run (options);
        Console::stopInterrupting();
        return status;
    }
}

int main (int argc, char* argv[])
{
    const auto arguments = Console::arguments (argc, argv);

    juce::String error;
    const auto options =
        CommandLineOptions::parse (arguments, juce::File::getCurrentWorkingDirectory(), error);

    switch (options.command)
    {
        case CommandLineOptions::Command::help:
            std::cout << CommandLineOptions::usage();
            return TonarelCommandLine::success;
        case CommandLineOptions::Command::version:
            std::cout << "tonarel " JUCE_APPLICATION_VERSION_STRING "\n";
            return TonarelCommandLine::success;

        case CommandLineOptions::Command::none:
            std::cerr << "tonarel: " << error << "\n\n" << CommandLineOptions::usage();
            return TonarelCommandLine::badArguments;

        case CommandLineOptions::Command::list:
        case CommandLineOptions::Command::backup:
        case CommandLineOptions::Command::restore:
        case CommandLineOptions::Command::undo: break;
    }

    if (options.demo)
    {
        // Its own simulated device, which nothing else talks to: no lock is needed.
        InProcessMidiPorts ports;
        DeviceSimulator device (ports, WireModel::usb());
        loadDemoPresets (device);
        return runOn (ports, options, LibrarianTimings());
    }

    // The same lock the librarian takes as it starts: only one program talks to the device.
    const auto lockFile = DeviceLock::lockFileFor (JuceMidiPorts::deviceLockName);

    if (const auto why = DeviceLock::whyUnusable (lockFile); why.isNotEmpty())
    {
        std::cerr << "tonarel: " << DeviceLock::describeUnusable (lockFile, why) << "\n";
        return TonarelCommandLine::deviceBusy;
    }

    juce::InterProcessLock deviceLock (JuceMidiPorts::deviceLockName);

    if (! deviceLock.enter (0))
    {
        std::cerr << "tonarel: the librarian (TonarelUtil) is using the Tonarel; run this again once it is "
                     "closed\n";
        return TonarelCommandLine::deviceBusy;
    }

    JuceMidiPorts ports;
    return runOn (ports, options, LibrarianTimings());
}
