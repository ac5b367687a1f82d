#pragma once

#include "device/ExchangeOutcome.h"
#include "device/FrameHistory.h"
#include "device/MidiPorts.h"
#include "presets/PresetData.h"

struct SysexFrame;

#include <atomic>

/** The librarian's only link to the device.

    It finds the device's MIDI ports by name and carries out one exchange at a time: reading a
    preset out of a device slot (requestPreset) or writing one into a slot (sendPreset). The
    MIDI input's callback drives the conversation; a watch thread, started for each exchange,
    ends it on time-out or when the device goes away. Callers start an exchange, then wait with
    waitForExchangeEnd and take the result with takeReceiveResult or takeSendResult until it is
    something other than 0; a read's preset is then handed out once by takeReceivedPreset.

    Threads: the caller (the transfer worker, or the message thread for the ports), the MIDI
    callback and the watch thread meet here without locks. The exchange fields are atomic; the
    preset being read or sent is written by the callback while an exchange runs and is the
    caller's again only once the watch thread has declared the exchange over, after the last
    callback acting on it has returned, and the caller has taken the result. Nobody polls: the
    callback wakes the watch thread when it ends an exchange, and the watch thread wakes the
    caller. The librarian panel owns the one PresetManager.
*/
class PresetManager : public juce::MidiInputCallback, public juce::Thread
{
public:
    /** Opens the device's ports if they are there. The thread is not started. */
    explicit PresetManager (MidiPorts& midiPorts);

    /** Stops the watch thread, then closes the ports. */
    ~PresetManager() override;

    //==============================================================================
    /** The text both of the device's port names contain (case-sensitive). */
    static constexpr const char* deviceInputName = "Tonarel";
    static constexpr const char* deviceOutputName = "Tonarel";

    /** True when the service lists an input and an output whose names contain the device's. */
    static bool isDevicePresent (MidiPorts& midiPorts);

    /** Opens and starts the first matching input and opens the first matching output; true only
        when both are open afterwards. A port that opened stays open either way.
    */
    bool openPorts();
    void closePorts();
    bool reopenPorts();

    bool isInputOpen() const noexcept { return midiInput != nullptr; }
    bool isOutputOpen() const noexcept { return midiOutput != nullptr; }

    /** isDevicePresent and both ports open, and the ports not lost since they were opened. */
    bool isDeviceReachable() const;

    /** Milliseconds since the ports were last opened (or tried), on the monotonic clock. The
        device answers a read only a moment after its ports open; time spent since counts
        towards that pause.
    */
    double getMsSincePortsOpened() const noexcept
    {
        return juce::Time::getMillisecondCounterHiRes() - portsOpenedAtMs;
    }

    //==============================================================================
    /** Starts reading a slot; with nameOnly the read ends after the preset header. False when the
        exchange was not started (nothing is sent then).
    */
    bool requestPreset (juce::int16 number, bool nameOnly);

    /** Starts writing a copy of preset into slot number (1 to 99), under that number. False when
        the exchange was not started (nothing is sent then): also for a preset without
        parameters, or with one that cannot travel on the wire.
    */
    bool sendPreset (int number, const PresetData& preset);

    /** The first parameter whose index or value is wider than the wire carries (14 and 28 bits),
        or null. Sent, it would reach the device as another parameter or value.
    */
    static const PresetParameter* findParameterOffTheWire (const PresetData& preset);

    /** running while the exchange is still running; then its outcome. Ends the exchange. */
    ExchangeOutcome::Code takeReceiveResult();
    ExchangeOutcome::Code takeSendResult();

    /** The preset the last read brought, once takeReceiveResult has returned its outcome: whole
        after a full read that succeeded, the header alone after a name-only one. A read that
        failed hands out what was left of it: an emptied preset (slot 0), or the header alone
        when it was ended from outside. Handed out once: a second call, and any call before the
        read's outcome has been taken, returns an empty preset, as the record may still be
        being written then.
    */
    PresetData takeReceivedPreset();

    /** Waits until the running exchange's result can be taken, or wakeExchangeWaiter is called,
        or at most timeOutMs. An exchange that ended before the call returns at once: the signal
        is kept until a wait takes it, so it cannot be lost between a look at the result and the
        wait.
    */
    void waitForExchangeEnd (int timeOutMs);

    /** Ends a waitForExchangeEnd early, from any thread: for a caller that has been asked to
        stop and must look at its own state again.
    */
    void wakeExchangeWaiter() { resultReady.signal(); }

    /** Abandons the running exchange as a failure (the user cancelled): the state becomes deviceError at
        once, the device is told ERR, the watch thread is stopped and waited for, and a read's
        parameters are dropped (its header stays), so half a preset is never taken for a whole
        one. The next take-result call then returns deviceError. An exchange that has already ended keeps
        its outcome. Returns once the watch thread, which is woken for it, has stopped.
    */
    void endExchange();

    /** The time allowed for one name-only read, measured on a monotonic clock from the moment
        the exchange opens: 12 s by default. A full read or a send is allowed two and a half
        times as long, 30 s by default. Tests of a silent device shorten it.
    */
    void setExchangeBudget (int nameReadMs) noexcept { nameReadBudgetMs = nameReadMs; }

    /** The pause before each request frame, 40 ms by default: the device needs it between
        exchanges. The panel hands in the one of its timings; only a simulated device, which
        needs no pause, may do without it.
    */
    void setPauseBeforeRequest (int milliseconds) noexcept { pauseBeforeRequestMs = milliseconds; }

    /** True while a read or a send is waiting for the device, so its frames are acted on. Once
        it is false, frames are no longer part of the exchange (and one arriving while no
        exchange at all has been started is held for up to half a second first).
    */
    bool isExchangeOpen() const noexcept { return receiveState.load() > 0 || sendState.load() > 0; }

    /** Fraction of the running exchange done, 0 to 1 (a preset of more than the usual 175
        parameters takes a read past 1).
    */
    double getProgress() const noexcept { return progress.load(); }

    /** The last frames sent to and received from the device, for reporting a failure. */
    juce::StringArray describeRecentFrames() const { return recentFrames.describe(); }

    //==============================================================================
    // Single frames to the device; each is dropped silently when no output is open.
    bool sendAck();
    bool sendErr();
    bool sendChecksumFailed();
    bool sendPresetEnd();
    bool sendPresetStart (int number, const juce::String& name, int version);

    /** Counts the frame in parametersSent, also when it could not be sent. */
    bool sendParameter (int index, juce::int32 value);

    //==============================================================================
    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;
    void run() override;

private:
    static constexpr int defaultNameReadBudgetMs = 12000;
    static constexpr int defaultPauseBeforeRequestMs = 40;

    bool startExchange (int job, std::atomic<int>& state, int openingState, const SysexFrame& request);
    ExchangeOutcome::Code takeResult (std::atomic<int>& state);
    void applyReadTable (const juce::uint8* data, int size);
    void applyPresetStart (const juce::uint8* data, int size);
    void applyParameterData (const juce::uint8* data, int size);
    bool headerCameFirst();
    void applySendPhase (const juce::uint8* data, int size);
    void acknowledgeParameter (int phase);
    void sendNextParameter();
    bool sendFrame (const SysexFrame& frame);
    void waitForCallbacksToFinish() const;

    MidiPorts& ports;
    std::unique_ptr<MidiInputPort> midiInput;
    std::unique_ptr<MidiOutputPort> midiOutput;

    // The preset being read from the device, and the one being written to it: the callback's
    // while an exchange runs (see exchangeOver).
    PresetData received;
    PresetData outgoing;

    // Set when a read's outcome is taken, cleared when its preset is handed out or another
    // exchange starts. Only callers touch it, but they may be on two threads (the worker and the
    // message thread), hence atomic.
    std::atomic<bool> receivedReady { false };

    FrameHistory recentFrames;
    std::atomic<double> progress { 0.0 };
    std::atomic<int> receiveState { 0 };
    std::atomic<int> sendState { 0 };
    std::atomic<juce::uint32> parametersSent { 0 };
    std::atomic<int> activeJob { 0 };
    std::atomic<int> nameReadBudgetMs { defaultNameReadBudgetMs };
    std::atomic<int> pauseBeforeRequestMs { defaultPauseBeforeRequestMs };
    std::atomic<bool> nameOnly { false };
    std::atomic<bool> headerReceived { false };
    std::atomic<juce::uint32> acksReceived { 0 };

    // Callbacks currently acting on an exchange; the watch thread waits for them before it ends one.
    std::atomic<int> callbacksInFlight { 0 };

    // Set by the watch thread as its very last act on an exchange: from then on the records are
    // the caller's, although the thread itself may take a moment longer to be gone.
    std::atomic<bool> exchangeOver { true };

    // Raised by the watch thread when exchangeOver is set; the caller's wait takes it.
    juce::WaitableEvent resultReady;

    // Raised when an exchange opens, for a reply that reached the callback before its exchange
    // was set up. The watch thread's own event is not used for that: this wait is on the MIDI
    // input's thread, and it would take the wake-ups meant for the watch thread.
    juce::WaitableEvent exchangeOpened;

    // Set when the watch thread finds the device gone; cleared when the ports are opened again.
    // A device that is unplugged and plugged back in lists its ports under the same names, but
    // the handles opened before stay dead, so its presence alone does not make them usable.
    std::atomic<bool> portsLost { false };

    // Message thread only, as the ports are opened there.
    double portsOpenedAtMs = 0.0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetManager)
};
