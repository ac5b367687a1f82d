#pragma once

#include "app/TonarelApplication.h"
#include "simulator/DeviceSimulator.h"
#include "simulator/InProcessMidiPorts.h"

/** The demo's device: a simulated Tonarel on the "USB" wire, plugged in from the start and
    loaded with the demo presets. The simulator is declared after the ports, so it is destroyed
    first, as it must be.
*/
struct DemoDevice
{
    DemoDevice();

    InProcessMidiPorts ports;
    DeviceSimulator simulator { ports, WireModel::usb() };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DemoDevice)
};

/** The librarian with the simulated device instead of the real MIDI service, for anyone without
    the hardware: everything else is the application itself, but for its files, which it keeps
    apart from the librarian's, and its name, which its title, About box and windows carry.

    The device is a base class listed before the application, not a member: bases are built in
    the order they are listed, so the ports exist before the application's services refer to
    them, and the device is destroyed only after the application, whose window has gone at
    shutdown, when nothing can reach the device any more.
*/
class DemoApplication final : private DemoDevice, public TonarelApplication
{
public:
    DemoApplication();

    /** With --brief-pauses the librarian makes no pause for the simulated device, which needs
        none: for runs that drive the demo as a user does but do not test its timing.
    */
    void initialise (const juce::String& commandLine) override;

    /** "TonarelUtilDemo": on Linux also its windows' class, which tells them from the librarian's. */
    const juce::String getApplicationName() override;

    /** The demo's device is its own, so any number of demos may run beside the librarian. */
    bool moreThanOneInstanceAllowed() override { return true; }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DemoApplication)
};
