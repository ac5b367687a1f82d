#pragma once

#include <juce_events/juce_events.h>

#include "device/LibrarianTimings.h"

#include <functional>
#include <optional>

class Dialogs;
class MidiPorts;
class PresetManager;

/** Finds the device as the librarian starts, and watches its connection afterwards.

    At start it asks the user, in modal boxes, to plug the device in or to free its ports; after
    "Try again" it waits for the device to settle with the message loop running (ModalPause), then
    looks again. Afterwards its timer looks every few seconds: a device that went away is reported
    lost; one that came back is given its pause to settle on the timer, looked at once more, and
    then reported back, to be read. While a job runs the monitor leaves everything alone: the job
    owns the ports and notices a lost device itself.

    It is handed what it needs rather than the panel: the MIDI service, the dialogs, the pauses,
    a way to the device link (which may not exist yet), whether a job runs, and the program's
    quit. The panel owns it and does what its callbacks ask. Message thread only.
*/
class ConnectionMonitor final : private juce::Timer
{
public:
    /** What the monitor looks with and asks through. */
    struct Needs
    {
        MidiPorts& midiPorts;
        Dialogs& dialogs;
        LibrarianTimings timings;

        /** The device link; nullptr before it exists. */
        std::function<PresetManager*()> deviceLink;

        /** Whether a transfer job runs, and so owns the ports. */
        std::function<bool()> isJobRunning;

        /** Asks the program to quit (with force, a request that cannot be refused). */
        std::function<void (bool force)> quitApplication;
    };

    /** What the monitor tells its owner. */
    struct Callbacks
    {
        /** Each look while no job runs, before the device is looked at: the labels that follow
            the device's version may have changed.
        */
        std::function<void()> showDeviceState;

        /** The device went away: show it gone and empty what came from it. */
        std::function<void()> deviceLost;

        /** Each look while the device is missing, before its ports are tried again. */
        std::function<void()> lookingForDevice;

        /** The device came back and has settled: show it connected and read it. */
        std::function<void()> deviceBack;
    };

    ConnectionMonitor (Needs needs, Callbacks callbacks);
    ~ConnectionMonitor() override;

    //==============================================================================
    // Start-up, before the monitor watches.

    /** Whether the device's ports are listed. Without them it asks "Try again", "Ignore" or
        "Exit"; with "Exit" the program is asked to quit (the caller still builds its window).
    */
    bool findDevicePorts();

    /** Once the device link exists: whether both ports open. Where they will not it asks the
        user to close the other program that holds them, or to exit. Sets isConnected().
    */
    bool confirmDeviceReachable();

    //==============================================================================
    // Watching.

    /** Starts the looks, the first one firstLookMs from now. */
    void startWatching();

    /** The next look comes periodMs from now, as after every command of the user's (or when a
        device that came back has settled, when that is sooner).
    */
    void lookAgainLater();

    void stopWatching();

    /** One look, as the timer makes it. */
    void tick();

    /** Whether the device is shown connected: found at start or back and settled, and not
        found gone since.
    */
    bool isConnected() const noexcept { return connected; }

    /** Whether a device that came back is waiting out its pause before it is used. */
    bool isSettling() const noexcept { return deviceSettlesAtMs.has_value(); }

    /** The time between two looks now; 0 while not watching. */
    int getLookPeriodMs() const noexcept { return getTimerInterval(); }

    static constexpr int firstLookMs = 3000;
    static constexpr int periodMs = 2000;

private:
    void timerCallback() override { tick(); }

    /** The look once a device that came back has had its pause. */
    void finishReconnecting();

    /** How long a device that came back has still to settle; 0 once it has. */
    int msUntilSettled() const;

    void quit (bool force);

    Needs needs;
    Callbacks callbacks;
    bool connected = false;

    // While a device that came back settles: when, on the monotonic clock, it may be read.
    std::optional<double> deviceSettlesAtMs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConnectionMonitor)
};
