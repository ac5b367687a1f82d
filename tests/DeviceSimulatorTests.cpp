// The simulated device is the fake every device test stands on, so it is held to the device's
// side of the handshake and to the faults it is told to inject; nothing else of it is tested.

#include "device/SysexFrame.h"
#include "simulator/DeviceSimulator.h"
#include "simulator/InProcessMidiPorts.h"

#include <gtest/gtest.h>

#include <mutex>

namespace
{
    SysexType typeOf (const juce::MidiMessage& message)
    {
        const auto* data = message.getRawData();
        const auto size = message.getRawDataSize();
        return isDeviceFrame (data, size) ? frameType (data, size) : SysexType::none;
    }

    bool isRealtime (const juce::MidiMessage& message)
    {
        return message.getRawDataSize() == 1 && message.getRawData()[0] >= 0xF8;
    }

    /** The librarian's side, cut down to what these tests drive by hand: it finds the device's
        ports by name, records what arrives and answers from inside the callback, as the
        librarian does.
    */
    class ProgramSide final : public juce::MidiInputCallback
    {
    public:
        using Answer = std::function<void (ProgramSide&, const juce::MidiMessage&)>;

        struct Arrival
        {
            juce::MidiMessage message;
        };

        explicit ProgramSide (MidiPorts& p) : ports (p) { connect(); }
        ~ProgramSide() override { input.reset(); }

        bool connect()
        {
            input.reset();
            output.reset();
            const auto inputs = ports.getInputNames(), outputs = ports.getOutputNames();

            for (int i = 0; i < inputs.size() && input == nullptr; ++i)
                if (inputs[i].contains ("Tonarel"))
                    input = ports.openInput (i, *this);

            for (int i = 0; i < outputs.size() && output == nullptr; ++i)
                if (outputs[i].contains ("Tonarel"))
                    output = ports.openOutput (i);

            if (input != nullptr)
                input->start();

            return input != nullptr && output != nullptr;
        }

        void send (const SysexFrame& frame) { output->sendMessageNow (frame.toMidiMessage()); }

        void setAnswer (Answer newAnswer)
        {
            const std::lock_guard<std::mutex> guard (lock);
            answer = std::move (newAnswer);
        }

        std::vector<Arrival> takeArrivals()
        {
            const std::lock_guard<std::mutex> guard (lock);
            return std::exchange (arrivals, {});
        }

        void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message) override
        {
            Answer current;
            {
                const std::lock_guard<std::mutex> guard (lock);
                current = answer;
            }

            if (current != nullptr)
                current (*this, message);

            const std::lock_guard<std::mutex> guard (lock);
            arrivals.push_back ({ message });
        }

    private:
        MidiPorts& ports;
        std::mutex lock;
        std::vector<Arrival> arrivals;
        Answer answer;
        std::unique_ptr<MidiOutputPort> output;
        std::unique_ptr<MidiInputPort> input;
    };

    /** The librarian's answers during a full read. */
    void acknowledgeReadFrames (ProgramSide& program, const juce::MidiMessage& message)
    {
        const auto type = typeOf (message);

        if (type == SysexType::sendPresetStart || type == SysexType::parameterData ||
            type == SysexType::sendPresetEnd)
            program.send (makeAck());
    }

    PresetData presetFrom (const std::vector<ProgramSide::Arrival>& arrivals)
    {
        PresetData preset;

        for (auto& arrival : arrivals)
        {
            const auto* data = arrival.message.getRawData();
            const auto size = arrival.message.getRawDataSize();
            SysexPresetHeader header;

            if (typeOf (arrival.message) == SysexType::sendPresetStart &&
                readSendPresetStart (data, size, header) == PresetStartCheck::ok)
            {
                preset.number = (juce::int16) header.number;
                preset.name = header.name;
                preset.version = (juce::int16) header.version;
            }
            else if (auto parameter = readParameterData (data, size))
            {
                preset.parameters.push_back ({ (juce::int16) parameter->index, parameter->value });
            }
        }

        return preset;
    }

    PresetData readSlot (DeviceSimulator& device, ProgramSide& program, int number)
    {
        program.takeArrivals();
        program.setAnswer (acknowledgeReadFrames);
        program.send (makeRequestPreset (number));
        EXPECT_TRUE (device.waitUntilQuiet());
        return presetFrom (program.takeArrivals());
    }

    /** Sends a preset as the librarian does, except that every parameter goes out at once after
        the ACK of SEND PRESET START: the largest burst there can be. Returns whether the slot
        already held the preset when the ACK of SEND PRESET END arrived.
    */
    bool sendPreset (DeviceSimulator& device, ProgramSide& program, const PresetData& preset)
    {
        const auto acksExpected = (int) preset.parameters.size() + 2;
        auto acks = std::make_shared<int> (0);
        auto storedBeforeLastAck = std::make_shared<bool> (false);

        program.setAnswer (
            [=, &device] (ProgramSide& p, auto& message)
            {
                const auto type = typeOf (message);

                if (type == SysexType::presetVersionData)
                    p.send (makeSendPresetStart (preset.number, preset.name, preset.version));

                if (type == SysexType::ack && ++*acks == 1)
                {
                    for (auto& parameter : preset.parameters)
                        p.send (makeParameterData (parameter.index, parameter.value));

                    p.send (makeSendPresetEnd());
                }

                if (type == SysexType::ack && *acks == acksExpected)
                    *storedBeforeLastAck = device.getSlot (preset.number) == preset;
            });

        program.send (makeRequestPresetVersion());
        EXPECT_TRUE (device.waitUntilQuiet());
        EXPECT_EQ (*acks, acksExpected);
        return *storedBeforeLastAck;
    }
} // namespace

//==============================================================================
TEST (DeviceSimulator, ReadSendsEachFrameOnlyAfterTheAckOfTheOneBefore)
{
    InProcessMidiPorts ports;
    DeviceSimulator device (ports, WireModel::instant());
    ProgramSide program (ports);

    {
        SCOPED_TRACE ("full read: device and program take strict turns");
        const auto slot = device.getSlot (7);
        EXPECT_EQ (slot.parameters.size(), (size_t) DeviceSimulator::parametersPerPreset);
        EXPECT_EQ (readSlot (device, program, 7), slot);

        const auto transcript = device.getTranscript();
        ASSERT_EQ (transcript.size(), 1u + 2u * (DeviceSimulator::parametersPerPreset + 2));
        EXPECT_EQ (typeOf (transcript[0].message), SysexType::requestPreset);

        for (size_t i = 1; i < transcript.size(); ++i)
        {
            ASSERT_EQ (transcript[i].fromDevice, i % 2 == 1) << "entry " << i;
            EXPECT_TRUE (transcript[i].fromDevice || typeOf (transcript[i].message) == SysexType::ack);
        }
    }

    {
        SCOPED_TRACE ("name-only read: ERR after the header stops the device");
        program.setAnswer (
            [] (ProgramSide& p, auto& message)
            {
                if (typeOf (message) == SysexType::sendPresetStart)
                    p.send (makeErr());
            });
        program.send (makeRequestPreset (99));
        ASSERT_TRUE (device.waitUntilQuiet());
        const auto arrivals = program.takeArrivals();
        ASSERT_EQ (arrivals.size(), 1u);
        EXPECT_EQ (presetFrom (arrivals).name, device.getSlot (99).name);
        EXPECT_EQ (device.getSlot (99).name.length(), kPresetNameBytes) << "no terminator on the wire";
    }

    {
        SCOPED_TRACE ("slots outside 1 to 99 are answered with ERR");
        for (const int number : { 0, 100 })
        {
            auto request = makeRequestPreset (1);
            encode14 (number, request.bytes.data() + kPresetNumberOffset);
            writeChecksum (request);
            program.send (request);
            ASSERT_TRUE (device.waitUntilQuiet());
            const auto arrivals = program.takeArrivals();
            ASSERT_EQ (arrivals.size(), 1u);
            EXPECT_EQ (typeOf (arrivals[0].message), SysexType::err);
        }
    }
}

TEST (DeviceSimulator, SentPresetIsStoredBeforeTheAckOfItsEndAndReadsBack)
{
    InProcessMidiPorts ports;
    DeviceSimulator device (ports, WireModel::instant());
    ProgramSide program (ports);
    const auto factorySlot5 = device.getSlot (5);

    for (const int count : { 0, 1, 300 })
    {
        SCOPED_TRACE (juce::String (count) + " parameters");
        PresetData preset;
        preset.number = 42;
        preset.name = "Sent " + juce::String (count);
        preset.version = 9;

        for (int i = 0; i < count; ++i)
            preset.parameters.push_back (
                { (juce::int16) (i * 50), i % 2 == 0 ? kMin28BitValue + i : kMax28BitValue - i });

        EXPECT_TRUE (sendPreset (device, program, preset));
        EXPECT_EQ (readSlot (device, program, 42), preset);
    }

    EXPECT_EQ (device.getPresetsStored(), 3);

    {
        SCOPED_TRACE ("a SEND PRESET START with a wrong checksum is refused and nothing is stored");
        program.takeArrivals();
        program.setAnswer (
            [] (ProgramSide& p, auto& message)
            {
                auto start = makeSendPresetStart (5, "Broken", 1);
                start.bytes[32] ^= 0x01;

                if (typeOf (message) == SysexType::presetVersionData)
                    p.send (start);
            });
        program.send (makeRequestPresetVersion());
        ASSERT_TRUE (device.waitUntilQuiet());
        const auto arrivals = program.takeArrivals();
        ASSERT_EQ (arrivals.size(), 2u);
        EXPECT_EQ (typeOf (arrivals[1].message), SysexType::checksumFailed);
        EXPECT_EQ (device.getPresetsStored(), 3);
        EXPECT_EQ (device.getSlot (5), factorySlot5);
    }
}

namespace
{
    /** A device on an instant wire with the program's side connected, reading under the faults
        the device is told to inject.
    */
    class DeviceSimulatorFaults : public ::testing::Test
    {
    protected:
        /** Reads slot 3 under the faults, acknowledging at most `acks` frames, and returns what
            arrived once the conversation has come to rest.
        */
        std::vector<ProgramSide::Arrival> faultyRead (DeviceSimulator::Faults faults, int acks)
        {
            device.setFaults (faults);
            auto acksLeft = std::make_shared<int> (acks);
            program.setAnswer (
                [acksLeft] (ProgramSide& p, auto& message)
                {
                    if (*acksLeft > 0 && typeOf (message) != SysexType::none)
                    {
                        --*acksLeft;
                        acknowledgeReadFrames (p, message);
                    }
                });
            program.send (makeRequestPreset (3));
            EXPECT_TRUE (device.waitUntilQuiet());
            return program.takeArrivals();
        }

        static int sizeOf (const ProgramSide::Arrival& arrival) { return arrival.message.getRawDataSize(); }

        InProcessMidiPorts ports;
        DeviceSimulator device { ports, WireModel::instant() };
        ProgramSide program { ports };
    };
} // namespace

TEST_F (DeviceSimulatorFaults, SilenceAndALostReplyLeaveTheDeviceWaiting)
{
    DeviceSimulator::Faults faults;
    faults.silent = true;
    EXPECT_TRUE (faultyRead (faults, 5).empty());

    faults = {};
    faults.dropReply = 3;
    EXPECT_EQ (faultyRead (faults, 5).size(), 2u) << "the second parameter is lost and the device waits";
}

TEST_F (DeviceSimulatorFaults, RefusalsComeInsteadOfTheReply)
{
    DeviceSimulator::Faults faults;
    faults.errAtReply = 2;
    auto arrivals = faultyRead (faults, 5);
    ASSERT_EQ (arrivals.size(), 2u);
    EXPECT_EQ (typeOf (arrivals[1].message), SysexType::err);

    faults = {};
    faults.checksumFailedAtReply = 1;
    arrivals = faultyRead (faults, 5);
    ASSERT_EQ (arrivals.size(), 1u);
    EXPECT_EQ (typeOf (arrivals[0].message), SysexType::checksumFailed);
}

TEST_F (DeviceSimulatorFaults, DamagedFramesComeInsteadOfTheReply)
{
    DeviceSimulator::Faults faults;
    faults.corruptPresetStartChecksum = true;
    faults.wrongLengthAtReply = 2;
    auto arrivals = faultyRead (faults, 1);
    ASSERT_EQ (arrivals.size(), 2u);
    EXPECT_FALSE (checksumMatches (arrivals[0].message.getRawData(), sizeOf (arrivals[0])));
    EXPECT_EQ (sizeOf (arrivals[1]), 12);
    EXPECT_EQ (typeOf (arrivals[1].message), SysexType::parameterData);
    EXPECT_TRUE (checksumMatches (arrivals[1].message.getRawData(), 12));

    faults = {};
    faults.badHeaderAtReply = 1;
    arrivals = faultyRead (faults, 5);
    ASSERT_EQ (arrivals.size(), 1u);
    EXPECT_EQ (sizeOf (arrivals[0]), 34);
    EXPECT_EQ (typeOf (arrivals[0].message), SysexType::none) << "not a device frame";
}

TEST_F (DeviceSimulatorFaults, ClockAndActiveSensingBetweenTheRepliesOfAWholeRead)
{
    DeviceSimulator::Faults faults;
    faults.realtimeBetweenReplies = true;
    device.setFaults (faults);
    device.clearTranscript();
    EXPECT_EQ (readSlot (device, program, 8), device.getSlot (8));

    const auto transcript = device.getTranscript();
    EXPECT_EQ (std::count_if (transcript.begin(), transcript.end(),
                              [] (auto& entry) { return isRealtime (entry.message); }),
               2 * (DeviceSimulator::parametersPerPreset + 2));
}

TEST_F (DeviceSimulatorFaults, UnpluggedInsteadOfAReplyThenPluggedInAgain)
{
    DeviceSimulator::Faults faults;
    faults.unplugAtReply = 3;
    EXPECT_EQ (faultyRead (faults, 5).size(), 2u);
    EXPECT_FALSE (device.isPluggedIn());
    EXPECT_TRUE (ports.getInputNames().isEmpty());
    EXPECT_TRUE (ports.getOutputNames().isEmpty());

    device.plugIn();
    ASSERT_TRUE (program.connect());
    EXPECT_EQ (readSlot (device, program, 3), device.getSlot (3)) << "the unplug fault fires once";
}
