#include "device/SysexFrame.h"

#include <algorithm>

namespace
{
    constexpr uint8_t kDataBitsMask = 0x7F;
    constexpr int kBitsPerDataByte = 7;
    constexpr uint32_t k28BitSignBit = 1u << 27;
    constexpr uint32_t k28BitSignExtension = 0xF0000000u;

    /** Writes the device form of the name (see toDeviceName) into out, which holds
        kPresetNameBytes bytes, and returns the number of bytes written. Nothing is written behind
        them, not even a terminator.
    */
    int toDeviceNameBytes (const juce::String& name, uint8_t* out) noexcept
    {
        // A System Exclusive data byte cannot carry bit 7, so UTF-8 sequences cannot travel.
        // Every non-ASCII character becomes one '?', which also makes every character one byte:
        // the cut below can therefore never split a character.
        int count = 0;

        for (auto text = name.getCharPointer(); ! text.isEmpty() && count < kPresetNameBytes; ++count)
        {
            const auto character = text.getAndAdvance();
            out[count] = character <= kDataBitsMask ? static_cast<uint8_t> (character)
                                                    : static_cast<uint8_t> (kNameReplacementChar);
        }

        return count;
    }

    /** initFrame plus the type code: the payload and the checksum are still to be written. */
    SysexFrame startFrame (SysexType type) noexcept
    {
        SysexFrame frame;
        initFrame (frame, frameLength (type));

        if (frame.len > 0)
            frame.bytes[kTypeOffset] = static_cast<uint8_t> (type);

        return frame;
    }
} // namespace

//==============================================================================
const SysexMessageInfo* findMessageInfo (SysexType type) noexcept
{
    for (auto& info : sysexMessageTable)
        if (info.type == type)
            return &info;

    return nullptr;
}

int frameLength (SysexType type) noexcept
{
    const auto* info = findMessageInfo (type);
    return info != nullptr ? info->length : 0;
}

juce::MidiMessage SysexFrame::toMidiMessage() const
{
    jassert (len >= kMinFrameBytes && len <= kMaxFrameBytes);
    return juce::MidiMessage (bytes.data(), len, 0.0);
}

//==============================================================================
void initFrame (SysexFrame& frame, int length) noexcept
{
    frame.bytes.fill (0);
    frame.len = 0;

    // Every kind of the table fits the buffer; anything else is a caller's mistake.
    if (length < kMinFrameBytes || length > kMaxFrameBytes)
    {
        jassertfalse;
        return;
    }

    frame.len = length;
    frame.bytes[0] = kSysexStart;
    std::copy (kSysexHeader.begin(), kSysexHeader.end(), frame.bytes.begin() + kSysexHeaderOffset);
    frame.bytes[(size_t) length - 1] = kSysexEnd;
}

uint8_t xorChecksum (const uint8_t* start, int count) noexcept
{
    jassert (start != nullptr && count >= 1);

    uint8_t checksum = 0;

    for (int i = 0; i < count; ++i)
        checksum ^= start[i];

    return checksum;
}

void writeChecksum (SysexFrame& frame) noexcept
{
    jassert (frame.len >= kMinFrameBytes && frame.len <= kMaxFrameBytes);

    if (frame.len >= kMinFrameBytes)
        frame.bytes[(size_t) frame.len - 2] = xorChecksum (frame.bytes.data() + 1, frame.len - 3);
}

bool checksumMatches (const uint8_t* data, int size) noexcept
{
    if (data == nullptr || size < kMinFrameBytes)
        return false;

    return xorChecksum (data + 1, size - 3) == data[size - 2];
}

//==============================================================================
void encode14 (int value, uint8_t* out) noexcept
{
    const auto bits = static_cast<uint32_t> (value);
    out[0] = static_cast<uint8_t> ((bits >> kBitsPerDataByte) & kDataBitsMask);
    out[1] = static_cast<uint8_t> (bits & kDataBitsMask);
}

int decode14 (const uint8_t* in) noexcept
{
    return ((in[0] & kDataBitsMask) << kBitsPerDataByte) | (in[1] & kDataBitsMask);
}

void encode28 (int32_t value, uint8_t* out) noexcept
{
    const auto bits = static_cast<uint32_t> (value);

    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t> ((bits >> (kBitsPerDataByte * (3 - i))) & kDataBitsMask);
}

int32_t decode28 (const uint8_t* in) noexcept
{
    uint32_t bits = 0;

    for (int i = 0; i < 4; ++i)
        bits = (bits << kBitsPerDataByte) | (in[i] & kDataBitsMask);

    if ((bits & k28BitSignBit) != 0)
        bits |= k28BitSignExtension;

    return static_cast<int32_t> (bits);
}

//==============================================================================
juce::String toDeviceName (const juce::String& name)
{
    uint8_t ascii[kPresetNameBytes];
    const auto count = toDeviceNameBytes (name, ascii);
    return juce::String (reinterpret_cast<const char*> (ascii), (size_t) count);
}

void writeNameField (const juce::String& name, uint8_t* field)
{
    std::fill_n (field, kPresetNameBytes, uint8_t { 0 });
    toDeviceNameBytes (name, field);
}

juce::String readNameField (const uint8_t* field)
{
    char ascii[kPresetNameBytes];
    int count = 0;

    // The field has no terminator when the name fills all of it.
    while (count < kPresetNameBytes && field[count] != 0)
    {
        const auto byte = field[count];
        ascii[count++] = byte <= kDataBitsMask ? static_cast<char> (byte) : kNameReplacementChar;
    }

    return juce::String (ascii, (size_t) count);
}

//==============================================================================
bool isDeviceFrame (const uint8_t* data, int size) noexcept
{
    // One unsigned comparison: sizes below 10 wrap round to huge values.
    if (static_cast<unsigned int> (size - kMinFrameBytes) >
        static_cast<unsigned int> (kMaxFrameBytes - kMinFrameBytes))
        return false;

    if (data == nullptr)
        return false;

    return std::equal (kSysexHeader.begin(), kSysexHeader.end(), data + kSysexHeaderOffset) &&
           data[size - 1] == kSysexEnd;
}

SysexType frameType (const uint8_t* data, int size) noexcept
{
    if (data == nullptr || size <= kTypeOffset)
        return SysexType::none;

    return static_cast<SysexType> (data[kTypeOffset]);
}

PresetStartCheck readSendPresetStart (const uint8_t* data, int size, SysexPresetHeader& header)
{
    if (data == nullptr || size != frameLength (SysexType::sendPresetStart))
        return PresetStartCheck::wrongLength;

    if (! checksumMatches (data, size))
        return PresetStartCheck::checksumMismatch;

    header.number = decode14 (data + kPresetNumberOffset);
    header.name = readNameField (data + kPresetNameOffset);
    header.version = decode14 (data + kPresetVersionOffset);
    return PresetStartCheck::ok;
}

std::optional<SysexParameter> readParameterData (const uint8_t* data, int size) noexcept
{
    if (data == nullptr || size != frameLength (SysexType::parameterData))
        return std::nullopt;

    return SysexParameter { decode14 (data + kParameterIndexOffset),
                            decode28 (data + kParameterValueOffset) };
}

//==============================================================================
SysexFrame makeFrame (SysexType type) noexcept
{
    jassert (findMessageInfo (type) != nullptr);

    auto frame = startFrame (type);
    writeChecksum (frame);
    return frame;
}

SysexFrame makeAck() noexcept
{
    return makeFrame (SysexType::ack);
}
SysexFrame makeErr() noexcept
{
    return makeFrame (SysexType::err);
}
SysexFrame makeChecksumFailed() noexcept
{
    return makeFrame (SysexType::checksumFailed);
}
SysexFrame makeSendPresetEnd() noexcept
{
    return makeFrame (SysexType::sendPresetEnd);
}
SysexFrame makeRequestPresetVersion() noexcept
{
    return makeFrame (SysexType::requestPresetVersion);
}

SysexFrame makeSendPresetStart (int number, const juce::String& name, int version)
{
    jassert (number >= kFirstPresetNumber && number <= kLastPresetNumber);

    auto frame = startFrame (SysexType::sendPresetStart);
    encode14 (number, frame.bytes.data() + kPresetNumberOffset);
    writeNameField (name, frame.bytes.data() + kPresetNameOffset);
    encode14 (version, frame.bytes.data() + kPresetVersionOffset);
    writeChecksum (frame);
    return frame;
}

SysexFrame makeRequestPreset (int number) noexcept
{
    jassert (number >= kFirstPresetNumber && number <= kLastPresetNumber);

    auto frame = startFrame (SysexType::requestPreset);
    encode14 (number, frame.bytes.data() + kPresetNumberOffset);
    writeChecksum (frame);
    return frame;
}

SysexFrame makePresetVersionData (uint8_t first, uint8_t second) noexcept
{
    jassert (first <= kDataBitsMask && second <= kDataBitsMask);

    auto frame = startFrame (SysexType::presetVersionData);
    frame.bytes[kPayloadOffset] = first & kDataBitsMask;
    frame.bytes[kPayloadOffset + 1] = second & kDataBitsMask;
    writeChecksum (frame);
    return frame;
}

SysexFrame makeParameterData (int index, int32_t value) noexcept
{
    auto frame = startFrame (SysexType::parameterData);
    encode14 (index, frame.bytes.data() + kParameterIndexOffset);
    encode28 (value, frame.bytes.data() + kParameterValueOffset);
    writeChecksum (frame);
    return frame;
}
