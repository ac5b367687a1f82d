#include "device/SysexFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace
{
    using Bytes = std::vector<uint8_t>;

    Bytes bytesOf (const SysexFrame& frame)
    {
        return Bytes (frame.data(), frame.data() + frame.size());
    }

    bool isDeviceFrame (const Bytes& bytes)
    {
        return ::isDeviceFrame (bytes.data(), (int) bytes.size());
    }

    Bytes encoded28 (int32_t value)
    {
        Bytes out (4);
        encode28 (value, out.data());
        return out;
    }

    void expectAllDataBytesSevenBit (const SysexFrame& frame)
    {
        ASSERT_GE (frame.len, kMinFrameBytes);

        for (int i = 1; i < frame.len - 1; ++i)
            EXPECT_LT (frame.bytes[(size_t) i], 0x80) << "offset " << i;
    }
} // namespace

TEST (SysexFrame, BuildersProduceTheDevicesFramesByteForByte)
{
    EXPECT_EQ (bytesOf (makeAck()), (Bytes { 0xF0, 0x00, 0x21, 0x6A, 0x00, 0x33, 0x05, 0x01, 0x7C, 0xF7 }));
    EXPECT_EQ (bytesOf (makeErr()), (Bytes { 0xF0, 0x00, 0x21, 0x6A, 0x00, 0x33, 0x05, 0x02, 0x7F, 0xF7 }));
    EXPECT_EQ (bytesOf (makeRequestPreset (5)),
               (Bytes { 0xF0, 0x00, 0x21, 0x6A, 0x00, 0x33, 0x05, 0x13, 0x00, 0x05, 0x6B, 0xF7 }));
    EXPECT_EQ (bytesOf (makeRequestPresetVersion()),
               (Bytes { 0xF0, 0x00, 0x21, 0x6A, 0x00, 0x33, 0x05, 0x14, 0x69, 0xF7 }));
}

TEST (SysexFrame, NumbersSurviveTheSevenBitEncoding)
{
    {
        SCOPED_TRACE ("14-bit");
        const std::pair<int, Bytes> cases[] = { { 99, { 0x00, 0x63 } },
                                                { 200, { 0x01, 0x48 } },
                                                { 16383, { 0x7F, 0x7F } },
                                                { 16384, { 0x00, 0x00 } } };

        for (const auto& [value, expected] : cases)
        {
            Bytes out (2);
            encode14 (value, out.data());
            EXPECT_EQ (out, expected) << value;
        }

        const uint8_t withBit7Set[] = { 0xFF, 0xFF };
        EXPECT_EQ (decode14 (withBit7Set), 16383);
    }

    {
        SCOPED_TRACE ("28-bit limits and sign");
        EXPECT_EQ (encoded28 (-1), (Bytes { 0x7F, 0x7F, 0x7F, 0x7F }));
        EXPECT_EQ (decode28 (encoded28 (-1).data()), -1);

        const uint8_t mostNegative[] = { 0x40, 0x00, 0x00, 0x00 };
        const uint8_t mostPositive[] = { 0x3F, 0x7F, 0x7F, 0x7F };
        EXPECT_EQ (decode28 (mostNegative), -134217728);
        EXPECT_EQ (decode28 (mostPositive), 134217727);

        // Outside the 28-bit range the top bits are lost, as the device would store it.
        EXPECT_EQ (decode28 (encoded28 (kMax28BitValue + 1).data()), kMin28BitValue);
    }

    {
        SCOPED_TRACE ("28-bit round trip across the range");
        const int64_t step = 65521; // prime, so every 7-bit group sees many patterns

        for (int64_t value = kMin28BitValue; value <= kMax28BitValue; value += step)
            ASSERT_EQ (decode28 (encoded28 ((int32_t) value).data()), value);

        for (const int32_t value :
             { kMin28BitValue, kMin28BitValue + 1, -1, 0, 1, kMax28BitValue - 1, kMax28BitValue })
            EXPECT_EQ (decode28 (encoded28 (value).data()), value);
    }
}

TEST (SysexFrame, IsDeviceFrameAcceptsOnlyTheDevicesShape)
{
    // A frame of a given size with the right header and F7 last; the contents in between do not matter.
    auto frameOfSize = [] (size_t size)
    {
        Bytes bytes (size, 0x00);
        bytes[0] = kSysexStart;
        std::copy (kSysexHeader.begin(), kSysexHeader.end(), bytes.begin() + 1);
        bytes.back() = kSysexEnd;
        return bytes;
    };

    {
        SCOPED_TRACE ("sizes");
        EXPECT_TRUE (isDeviceFrame (frameOfSize (10)));
        EXPECT_TRUE (isDeviceFrame (frameOfSize (34)));
        EXPECT_FALSE (isDeviceFrame (frameOfSize (9)));
        EXPECT_FALSE (isDeviceFrame (frameOfSize (35)));
        EXPECT_FALSE (::isDeviceFrame (nullptr, 0));
        EXPECT_FALSE (::isDeviceFrame (nullptr, -1));
    }

    {
        SCOPED_TRACE ("channel and system messages");
        for (const auto& message :
             { juce::MidiMessage::noteOn (1, 60, (uint8_t) 100), juce::MidiMessage::programChange (1, 5),
               juce::MidiMessage::midiClock() })
            EXPECT_FALSE (::isDeviceFrame (message.getRawData(), message.getRawDataSize()));
    }

    {
        SCOPED_TRACE ("header and end byte");
        for (size_t offset = 1; offset <= kSysexHeader.size(); ++offset)
        {
            auto bytes = frameOfSize (16);
            bytes[offset] ^= 0x01;
            EXPECT_FALSE (isDeviceFrame (bytes)) << "header offset " << offset;
        }

        auto unterminated = frameOfSize (16);
        unterminated.back() = 0x00;
        EXPECT_FALSE (isDeviceFrame (unterminated));

        // The MIDI layer always delivers F0; whatever stands there is not looked at.
        auto noStart = frameOfSize (16);
        noStart[0] = 0x00;
        EXPECT_TRUE (isDeviceFrame (noStart));
    }
}

TEST (SysexFrame, ChecksumCoversEveryByteBetweenStartAndChecksum)
{
    {
        SCOPED_TRACE ("SEND PRESET START: offsets 1 to 31, checksum at 32");
        const auto frame = makeSendPresetStart (42, "Warm Choir", 7);
        ASSERT_EQ (frame.len, 34);
        EXPECT_EQ (frame.bytes[33], kSysexEnd);

        SysexPresetHeader header;
        ASSERT_EQ (readSendPresetStart (frame.data(), frame.size(), header), PresetStartCheck::ok);
        EXPECT_EQ (header.number, 42);
        EXPECT_EQ (header.name, "Warm Choir");
        EXPECT_EQ (header.version, 7);

        for (size_t offset = 1; offset <= 32; ++offset)
        {
            auto corrupted = frame;
            corrupted.bytes[offset] ^= 0x40;
            SysexPresetHeader untouched;
            EXPECT_EQ (readSendPresetStart (corrupted.data(), corrupted.size(), untouched),
                       PresetStartCheck::checksumMismatch)
                << "offset " << offset;
            EXPECT_EQ (untouched.number, 0);
        }

        auto tooShort = makeParameterData (1, 2);
        tooShort.bytes[kTypeOffset] = (uint8_t) SysexType::sendPresetStart;
        writeChecksum (tooShort);
        EXPECT_EQ (readSendPresetStart (tooShort.data(), tooShort.size(), header),
                   PresetStartCheck::wrongLength);
    }

    {
        SCOPED_TRACE ("PARAMETER DATA: offsets 1 to 13, checksum at 14");
        const auto frame = makeParameterData (174, -123456);
        ASSERT_EQ (frame.len, 16);
        EXPECT_EQ (frame.bytes[14], xorChecksum (frame.data() + 1, 13));
        EXPECT_EQ (frame.bytes[15], kSysexEnd);

        for (size_t offset = 1; offset <= 13; ++offset)
        {
            auto corrupted = frame;
            corrupted.bytes[offset] ^= 0x01;
            EXPECT_FALSE (checksumMatches (corrupted.data(), corrupted.size())) << "offset " << offset;
        }

        const auto parameter = readParameterData (frame.data(), frame.size());
        ASSERT_TRUE (parameter.has_value());
        EXPECT_EQ (parameter->index, 174);
        EXPECT_EQ (parameter->value, -123456);
    }
}

TEST (SysexFrame, ShortParameterDataIsNotReadPastItsEnd)
{
    // A 12-byte PARAMETER DATA ends before the value field: reading it would take the checksum,
    // F7 and two bytes that are not part of the message.
    SysexFrame shortFrame;
    initFrame (shortFrame, 12);
    shortFrame.bytes[kTypeOffset] = (uint8_t) SysexType::parameterData;
    writeChecksum (shortFrame);

    ASSERT_TRUE (isDeviceFrame (bytesOf (shortFrame)));
    const auto exact = bytesOf (shortFrame);
    EXPECT_FALSE (readParameterData (exact.data(), (int) exact.size()).has_value());
}

TEST (SysexFrame, PresetNameFieldStaysInsideItsTwentyBytes)
{
    auto roundTrip = [] (const juce::String& name)
    {
        const auto frame = makeSendPresetStart (12, name, 0x1234);
        expectAllDataBytesSevenBit (frame);

        SysexPresetHeader header;
        EXPECT_EQ (readSendPresetStart (frame.data(), frame.size(), header), PresetStartCheck::ok);
        EXPECT_EQ (header.number, 12);
        EXPECT_EQ (header.version, 0x1234) << "the name ran into the version field";
        return header.name;
    };

    {
        SCOPED_TRACE ("short name is zero-filled, also in a used buffer");
        EXPECT_EQ (roundTrip ("Duet"), "Duet");

        uint8_t guarded[kPresetNameBytes + 4];
        std::fill (std::begin (guarded), std::end (guarded), uint8_t { 0x55 });
        writeNameField ("Duet", guarded);
        for (int i = 4; i < kPresetNameBytes; ++i)
            EXPECT_EQ (guarded[i], 0) << "offset " << i;
        EXPECT_EQ (readNameField (guarded), "Duet");
    }

    {
        SCOPED_TRACE ("exactly twenty bytes, no terminator");
        EXPECT_EQ (roundTrip ("ABCDEFGHIJKLMNOPQRST"), "ABCDEFGHIJKLMNOPQRST");

        // The byte after the field is not zero either: the reader must stop at twenty.
        const uint8_t field[] = { 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k',
                                  'l', 'm', 'n', 'o', 'p', 'q', 'r', 's', 't', 'X', 'Y' };
        EXPECT_EQ (readNameField (field), "abcdefghijklmnopqrst");
    }

    {
        SCOPED_TRACE ("long and non-ASCII names are replaced, then cut");
        EXPECT_EQ (roundTrip (juce::String::fromUTF8 (u8"Crème Brûlée Vocal Lead")), "Cr?me Br?l?e Vocal L");
        EXPECT_EQ (roundTrip (juce::String::fromUTF8 (u8"合唱合唱合唱合唱合唱合唱合唱合唱合唱合唱合唱")),
                   juce::String::repeatedString ("?", kPresetNameBytes));

        uint8_t guarded[kPresetNameBytes + 4];
        std::fill (std::begin (guarded), std::end (guarded), uint8_t { 0x55 });
        writeNameField (juce::String::fromUTF8 (u8"ÄÖÜäöüßÄÖÜäöüßÄÖÜäöüß long"), guarded);
        for (int i = 0; i < kPresetNameBytes; ++i)
            EXPECT_EQ (guarded[i], '?') << "offset " << i;
        for (int i = kPresetNameBytes; i < kPresetNameBytes + 4; ++i)
            EXPECT_EQ (guarded[i], 0x55) << "written past the field at " << i;
    }

    {
        SCOPED_TRACE ("a received byte with bit 7 set is not taken as text");
        const uint8_t field[kPresetNameBytes] = { 'A', 0xE9, 'B' };
        EXPECT_EQ (readNameField (field), "A?B");
    }
}

TEST (SysexFrame, EveryBuilderMakesAFrameTheDeviceAcceptsForAnyArgument)
{
    const auto name = juce::String::fromUTF8 (u8"Ünïcödé ñame that is far too long");

    for (const auto& frame :
         { makeAck(), makeErr(), makeChecksumFailed(), makeSendPresetEnd(), makeRequestPresetVersion(),
           makeRequestPreset (kLastPresetNumber), makeSendPresetStart (kLastPresetNumber, name, -1),
           makeSendPresetStart (kFirstPresetNumber, name, 0xFFFF), makePresetVersionData (0x7F, 0x7F),
           makeParameterData (-1, -1), makeParameterData (0xFFFF, std::numeric_limits<int32_t>::min()),
           makeParameterData (kMax14BitValue, std::numeric_limits<int32_t>::max()) })
    {
        const auto* info = findMessageInfo (frameType (frame.data(), frame.size()));
        ASSERT_NE (info, nullptr);
        SCOPED_TRACE (info->name);

        EXPECT_EQ (frame.len, info->length);
        EXPECT_TRUE (::isDeviceFrame (frame.data(), frame.size()));
        EXPECT_TRUE (checksumMatches (frame.data(), frame.size()));
        expectAllDataBytesSevenBit (frame);

        const auto message = frame.toMidiMessage();
        EXPECT_EQ (message.getRawDataSize(), frame.len);
        EXPECT_EQ (message.getTimeStamp(), 0.0);
        EXPECT_TRUE (std::equal (frame.data(), frame.data() + frame.len, message.getRawData()));
    }
}
