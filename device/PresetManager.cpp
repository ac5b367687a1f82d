#include "device/PresetManager.h"

#include "device/SysexFrame.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>

namespace
{
    /** After the first parameter, a send goes on in bursts of this many unacknowledged frames. */
    constexpr int kParametersPerBurst = 5;

    /** How long an early reply waits in the callback for its exchange to be set up. */
    constexpr int kEarlyReplyWaitMs = 50;
    constexpr int kEarlyReplyWaits = 10;

    // The watch thread wakes at once when stopped, and is on its way out once it has declared
    // an exchange over; this only bounds a thread that does neither.
    constexpr int kEndExchangeTimeOutMs = 1000;

    /** The watch thread looks at least this often whether the device is still there: more
        often during a name-only read, which is short and ends on its own more often.
    */
    constexpr int kNameReadPollMs = 10;
    constexpr int kTransferPollMs = 50;

    /** A full read or a send is allowed this many times the time of a name-only read. */
    constexpr int kTransferBudgetFactor = 5;
    constexpr int kTransferBudgetDivisor = 2;

    using Clock = std::chrono::steady_clock;

    constexpr int kJobNone = 0;
    constexpr int kJobRead = 1;
    constexpr int kJobSend = 2;

    // An exchange's state is 0 when none is open, one of its phases (above 0) while it runs, or
    // the failure it ended with (an ExchangeOutcome below 0).
    constexpr int kStateIdle = 0;

    // Phases of a send.
    constexpr int kSendAwaitingVersion = 1;
    constexpr int kSendAwaitingStartAck = 2;
    constexpr int kSendParameters = 3;
    constexpr int kSendAwaitingEndAck = 4;

    /** The position of the first name in the list that contains text. The system's list ends at
        its first empty entry, and so does the search.
    */
    int findPort (const juce::StringArray& names, const char* text)
    {
        for (int index = 0;; ++index)
        {
            const auto& name = names[index]; // reads as empty past the end

            if (name.isEmpty())
                return -1;

            if (name.contains (text))
                return index;
        }
    }

    /** Moves an exchange on only from the state it is known to be in, so that the callback and
        the watch thread, which both end exchanges, never overwrite each other's outcome.
    */
    bool moveState (std::atomic<int>& state, int from, int to)
    {
        return state.compare_exchange_strong (from, to);
    }

} // namespace

//==============================================================================
const PresetParameter* PresetManager::findParameterOffTheWire (const PresetData& preset)
{
    for (const auto& parameter : preset.parameters)
        if (parameter.index < 0 || parameter.index > kMax14BitValue || parameter.value < kMin28BitValue ||
            parameter.value > kMax28BitValue)
            return &parameter;

    return nullptr;
}

//==============================================================================
PresetManager::PresetManager (MidiPorts& midiPorts) : juce::Thread ("PresetManager"), ports (midiPorts)
{
    openPorts();
}

PresetManager::~PresetManager()
{
    // The watch thread looks at the ports on every pass, so it has to be gone before they are.
    stopThread (4000);
    closePorts();
}

//==============================================================================
bool PresetManager::isDevicePresent (MidiPorts& midiPorts)
{
    const auto inputIndex = findPort (midiPorts.getInputNames(), deviceInputName);
    const auto outputIndex = findPort (midiPorts.getOutputNames(), deviceOutputName);
    return inputIndex >= 0 && outputIndex >= 0;
}

bool PresetManager::openPorts()
{
    portsLost = false;
    midiInput.reset();
    const auto inputIndex = findPort (ports.getInputNames(), deviceInputName);

    if (inputIndex >= 0)
    {
        midiInput = ports.openInput (inputIndex, *this);

        if (midiInput != nullptr)
            midiInput->start();
    }

    midiOutput.reset();
    const auto outputIndex = findPort (ports.getOutputNames(), deviceOutputName);

    if (outputIndex >= 0)
        midiOutput = ports.openOutput (outputIndex);

    portsOpenedAtMs = juce::Time::getMillisecondCounterHiRes();
    return midiInput != nullptr && midiOutput != nullptr;
}

void PresetManager::closePorts()
{
    // The input goes first: once it has stopped, no callback can be sending on the output.
    if (midiInput != nullptr)
        midiInput->stop();

    midiInput.reset();
    midiOutput.reset();
}

bool PresetManager::reopenPorts()
{
    closePorts();
    return openPorts();
}

bool PresetManager::isDeviceReachable() const
{
    return ! portsLost.load() && isDevicePresent (ports) && isInputOpen() && isOutputOpen();
}

//==============================================================================
bool PresetManager::requestPreset (juce::int16 number, bool readNameOnly)
{
    // Whether it starts or not, what an earlier read brought is not this one's.
    receivedReady = false;

    // An exchange whose result nobody has taken yet is still going on: a second request would
    // mix its frames into it.
    if (midiInput == nullptr || sendState.load() > 0 || activeJob.load() != kJobNone)
        return false;

    received.clear();
    nameOnly = readNameOnly;
    headerReceived = false;
    return startExchange (kJobRead, receiveState, 1, makeRequestPreset (number));
}

bool PresetManager::sendPreset (int number, const PresetData& preset)
{
    receivedReady = false;

    if (number < kFirstPresetNumber || number > kLastPresetNumber || receiveState.load() > 0 ||
        preset.parameters.empty())
        return false;

    if (sendState.load() > 0 || activeJob.load() != kJobNone || findParameterOffTheWire (preset) != nullptr)
        return false;

    // The callback sends from this copy while the exchange runs; the caller's stays untouched.
    outgoing = preset;
    outgoing.number = (juce::int16) number;
    parametersSent = 0;
    acksReceived = 0;
    return startExchange (kJobSend, sendState, kSendAwaitingVersion, makeRequestPresetVersion());
}

bool PresetManager::startExchange (int job, std::atomic<int>& state, int openingState,
                                   const SysexFrame& request)
{
    // The device wants a moment between exchanges before it takes the next request.
    if (const auto pauseMs = pauseBeforeRequestMs.load(); pauseMs > 0)
        juce::Thread::sleep (pauseMs);

    // The last exchange's watch thread declared it over just before it returned; it is gone by
    // now, or within moments.
    if (! waitForThreadToExit (kEndExchangeTimeOutMs))
        return false;

    // Everything the callback reads is in place before the state opens the exchange, and the
    // state is open before the request leaves, so a quick reply never finds the exchange unset.
    progress = 0.0;
    activeJob = job;
    exchangeOver = false;
    resultReady.reset();
    state = openingState;
    exchangeOpened.signal();

    if (! startThread())
    {
        state = kStateIdle;
        activeJob = kJobNone;
        exchangeOver = true;
        return false;
    }

    sendFrame (request);
    return true;
}

ExchangeOutcome::Code PresetManager::takeReceiveResult()
{
    const auto wasRead = activeJob.load() == kJobRead;
    const auto outcome = takeResult (receiveState);

    if (wasRead && outcome != ExchangeOutcome::running)
        receivedReady = true;

    return outcome;
}

PresetData PresetManager::takeReceivedPreset()
{
    // Before the outcome is taken the callback may still be writing the record; after the
    // preset has been handed out once, what is left is no read's.
    if (! receivedReady.exchange (false))
        return {};

    return std::exchange (received, {});
}

ExchangeOutcome::Code PresetManager::takeSendResult()
{
    return takeResult (sendState);
}

ExchangeOutcome::Code PresetManager::takeResult (std::atomic<int>& state)
{
    if (! exchangeOver.load())
        return ExchangeOutcome::running;

    activeJob = kJobNone;
    const auto outcome = state.exchange (kStateIdle);
    return outcome < 0 ? static_cast<ExchangeOutcome::Code> (outcome) : ExchangeOutcome::success;
}

void PresetManager::waitForExchangeEnd (int timeOutMs)
{
    resultReady.wait (timeOutMs);
}

void PresetManager::endExchange()
{
    const auto job = activeJob.load();

    if (job != kJobRead && job != kJobSend)
        return;

    auto& state = job == kJobRead ? receiveState : sendState;
    auto current = state.load();

    // Callbacks that start from here on find the exchange over and leave the records alone;
    // one already at work is waited for by the watch thread before it stops.
    while (current > 0 && ! state.compare_exchange_weak (current, ExchangeOutcome::deviceError))
    {
    }

    if (current <= 0)
        return;

    // The device keeps its half of the exchange open until it is told otherwise.
    sendErr();
    stopThread (kEndExchangeTimeOutMs);

    // A header that arrived is whole and stays: it tells the device's preset version, which the
    // next send is checked against. The parameters are only part of a preset.
    if (job == kJobRead)
        received.parameters.clear();
}

//==============================================================================
bool PresetManager::sendFrame (const SysexFrame& frame)
{
    if (midiOutput != nullptr)
    {
        const auto message = frame.toMidiMessage();
        recentFrames.recordSent (message.getRawData(), message.getRawDataSize());
        midiOutput->sendMessageNow (message);
    }

    return true;
}

bool PresetManager::sendAck()
{
    return sendFrame (makeAck());
}

bool PresetManager::sendErr()
{
    return sendFrame (makeErr());
}

bool PresetManager::sendChecksumFailed()
{
    return sendFrame (makeChecksumFailed());
}

bool PresetManager::sendPresetEnd()
{
    return sendFrame (makeSendPresetEnd());
}

bool PresetManager::sendPresetStart (int number, const juce::String& name, int version)
{
    return sendFrame (makeSendPresetStart (number, name, version));
}

bool PresetManager::sendParameter (int index, juce::int32 value)
{
    sendFrame (makeParameterData (index, value));
    ++parametersSent;
    return true;
}

void PresetManager::sendNextParameter()
{
    const auto& parameter = outgoing.parameters[parametersSent.load()];
    sendParameter (parameter.index, parameter.value);
}

//==============================================================================
void PresetManager::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    // MIDI clock, active sensing and channel messages share the cable with the device's frames;
    // they are no part of the conversation and must neither wait here nor fail a transfer.
    if (! message.isSysEx())
        return;

    for (int waits = 0;
         waits < kEarlyReplyWaits && receiveState.load() == kStateIdle && sendState.load() == kStateIdle;
         ++waits)
        exchangeOpened.wait (kEarlyReplyWaitMs);

    // Counted before the states are read: the watch thread ends an exchange only once no
    // callback is still working on it (see waitForCallbacksToFinish).
    ++callbacksInFlight;

    const auto* data = message.getRawData();
    const auto size = message.getRawDataSize();
    const auto wasOpen = isExchangeOpen();
    recentFrames.recordReceived (data, size);

    if (receiveState.load() > 0)
        applyReadTable (data, size);
    else if (sendState.load() > 0)
        applySendPhase (data, size);

    --callbacksInFlight;

    // This frame ended the exchange: the watch thread, which would otherwise look only at its
    // next poll, finishes it now, and the caller learns the outcome at once.
    if (wasOpen && ! isExchangeOpen())
        notify();
}

void PresetManager::applyReadTable (const juce::uint8* data, int size)
{
    if (! isDeviceFrame (data, size))
    {
        moveState (receiveState, 1, ExchangeOutcome::deviceError);
        sendErr();
        return;
    }

    switch (frameType (data, size))
    {
        case SysexType::sendPresetStart: applyPresetStart (data, size); break;

        case SysexType::parameterData:
            if (headerCameFirst())
                applyParameterData (data, size);
            break;

        case SysexType::sendPresetEnd:
            if (! headerCameFirst())
                break;

            sendAck();
            moveState (receiveState, 1, kStateIdle);
            break;

        case SysexType::err: moveState (receiveState, 1, ExchangeOutcome::deviceError); break;

        // The device gives the read up when one of our ACKs reached it spoilt: nothing more
        // comes, and waiting for the time-out would only report the wrong cause, late.
        case SysexType::checksumFailed: moveState (receiveState, 1, ExchangeOutcome::checksumFailed); break;

        default: break;
    }
}

void PresetManager::applyPresetStart (const juce::uint8* data, int size)
{
    SysexPresetHeader header;

    switch (readSendPresetStart (data, size, header))
    {
        case PresetStartCheck::wrongLength:
            moveState (receiveState, 1, ExchangeOutcome::deviceError);
            sendErr();
            break;

        case PresetStartCheck::checksumMismatch:
            moveState (receiveState, 1, ExchangeOutcome::checksumFailed);
            sendChecksumFailed();
            break;

        case PresetStartCheck::ok:
            headerReceived = true;
            received.number = static_cast<juce::int16> (header.number);
            received.name = header.name;
            received.version = static_cast<juce::int16> (header.version);

            if (nameOnly.load())
            {
                // ERR is how the device is told to keep the parameters to itself.
                sendErr();
                moveState (receiveState, 1, kStateIdle);
            }
            else
            {
                sendAck();
            }
            break;
    }
}

void PresetManager::applyParameterData (const juce::uint8* data, int size)
{
    // A frame too short to hold index and value adds nothing; the read fails below.
    if (const auto parameter = readParameterData (data, size))
        received.parameters.push_back ({ static_cast<juce::int16> (parameter->index), parameter->value });

    if (size == frameLength (SysexType::parameterData))
    {
        sendAck();
    }
    else
    {
        moveState (receiveState, 1, ExchangeOutcome::deviceError);
        sendErr();
    }

    progress = static_cast<double> (received.parameters.size()) / (double) kParametersPerPreset;
}

bool PresetManager::headerCameFirst()
{
    // Parameters or an end without the preset's header first are no preset: taking them would
    // report an empty record, slot 0 and version 0, as a read that succeeded.
    if (headerReceived.load())
        return true;

    moveState (receiveState, 1, ExchangeOutcome::deviceError);
    sendErr();
    return false;
}

void PresetManager::applySendPhase (const juce::uint8* data, int size)
{
    const auto phase = sendState.load();

    if (! isDeviceFrame (data, size))
    {
        moveState (sendState, phase, ExchangeOutcome::deviceError);
        sendErr();
        return;
    }

    const auto type = frameType (data, size);

    if (type == SysexType::err)
    {
        moveState (sendState, phase, ExchangeOutcome::deviceError);
        return;
    }

    if (type == SysexType::checksumFailed)
    {
        moveState (sendState, phase, ExchangeOutcome::checksumFailed);
        return;
    }

    switch (phase)
    {
        case kSendAwaitingVersion:
            // What the two bytes of PRESET VERSION DATA mean is the device's business.
            if (type == SysexType::presetVersionData)
            {
                sendPresetStart (outgoing.number, outgoing.name, outgoing.version);
                moveState (sendState, phase, kSendAwaitingStartAck);
            }
            break;

        case kSendAwaitingStartAck:
            if (type == SysexType::ack)
            {
                sendNextParameter();
                moveState (sendState, phase, kSendParameters);
            }
            break;

        case kSendParameters:
            if (type == SysexType::ack)
                acknowledgeParameter (phase);
            else if (size != frameLength (SysexType::ack))
            {
                moveState (sendState, phase, ExchangeOutcome::deviceError);
            }
            break;

        case kSendAwaitingEndAck:
            if (type == SysexType::ack)
                moveState (sendState, phase, kStateIdle);
            break;

        default: break;
    }
}

void PresetManager::acknowledgeParameter (int phase)
{
    const auto parameterCount = static_cast<juce::uint32> (outgoing.parameters.size());
    const auto acks = ++acksReceived;

    if (acks >= parameterCount)
    {
        sendPresetEnd();
        moveState (sendState, phase, kSendAwaitingEndAck);
    }
    else if (acks == parametersSent.load())
    {
        // Every frame so far is acknowledged: the next burst may go.
        for (int i = 0; i < kParametersPerBurst; ++i)
            if (parametersSent.load() < parameterCount)
                sendNextParameter();

        progress = static_cast<double> (parametersSent.load()) / parameterCount;
    }
}

//==============================================================================
void PresetManager::run()
{
    const auto quick = nameOnly.load();
    const auto pollMs = quick ? kNameReadPollMs : kTransferPollMs;
    // Wide enough for any budget a caller may set, however long.
    const std::int64_t nameReadMs = nameReadBudgetMs.load();
    const auto budgetMs = quick ? nameReadMs : nameReadMs * kTransferBudgetFactor / kTransferBudgetDivisor;

    // The budget covers the whole exchange, not one reply, and is measured on a clock that no
    // change of the system time can move.
    const auto deadline = Clock::now() + std::chrono::milliseconds (budgetMs);

    while (! threadShouldExit())
    {
        if (portsLost.load() || ! isDevicePresent (ports) || midiInput == nullptr || midiOutput == nullptr)
        {
            portsLost = true;
            receiveState = ExchangeOutcome::deviceError;
            sendState = ExchangeOutcome::deviceError;
            break;
        }

        const auto job = activeJob.load();
        auto& state = job == kJobRead ? receiveState : sendState;
        const auto current = state.load();

        if (job != kJobRead && job != kJobSend)
            break;

        if (current == ExchangeOutcome::checksumFailed || current == ExchangeOutcome::deviceError)
        {
            waitForCallbacksToFinish();
            (job == kJobRead ? received : outgoing).clear();
            break;
        }

        if (current == kStateIdle)
            break;

        const auto left = std::chrono::ceil<std::chrono::milliseconds> (deadline - Clock::now()).count();

        if (left <= 0)
        {
            if (moveState (state, current, ExchangeOutcome::timeout))
                break;

            continue; // a callback has just ended the exchange another way
        }

        // Woken at once by a callback that ends the exchange, and by stopThread.
        wait (static_cast<int> (std::min<std::int64_t> (pollMs, left)));
    }

    waitForCallbacksToFinish();
    exchangeOver = true;
    resultReady.signal();
}

void PresetManager::waitForCallbacksToFinish() const
{
    // A callback that was already working on the exchange when it ended may still be writing
    // the record; it finishes within a frame's work, and the caller reads the record only after
    // this thread has declared the exchange over.
    while (callbacksInFlight.load() > 0)
        std::this_thread::yield();
}
