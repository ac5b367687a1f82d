#pragma once

#include "presets/PresetData.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <cstdint>
#include <optional>

/*  The Tonarel's System Exclusive message format.

    Every message between the librarian and the device has one shape:

        F0, six header bytes, type code, payload, checksum, F7

    Its total length is fixed by its kind (10 to 34 bytes). Every byte between F0 and F7 has bit 7
    clear, so numbers travel in 7-bit groups and the checksum is the XOR of offsets 1 to len-3.

    Everything here is pure data and stateless functions: they may run on any thread (the MIDI
    input's callback, the preset manager's threads, the device simulator of the tests).
*/

//==============================================================================
// Protocol constants.

inline constexpr uint8_t kSysexStart = 0xF0;
inline constexpr uint8_t kSysexEnd = 0xF7;

/** Manufacturer and product identifier, offsets 1 to 6 of every frame. */
inline constexpr std::array<uint8_t, 6> kSysexHeader { 0x00, 0x21, 0x6A, 0x00, 0x33, 0x05 };
inline constexpr int kSysexHeaderOffset = 1;

inline constexpr int kMinFrameBytes = 10;
inline constexpr int kMaxFrameBytes = 34;

inline constexpr int kTypeOffset = 7;
inline constexpr int kPayloadOffset = 8;

// SEND PRESET START and REQUEST PRESET
inline constexpr int kPresetNumberOffset = 8;
inline constexpr int kPresetNameOffset = 10;
inline constexpr int kPresetNameBytes = 20;
inline constexpr int kPresetVersionOffset = 30;

// PARAMETER DATA
inline constexpr int kParameterIndexOffset = 8;
inline constexpr int kParameterValueOffset = 10;

/** Range of a 14-bit field (preset number, version, parameter index). */
inline constexpr int kMax14BitValue = 0x3FFF;

/** Range of the 28-bit two's-complement parameter value; anything outside loses its top bits. */
inline constexpr int32_t kMin28BitValue = -(1 << 27);
inline constexpr int32_t kMax28BitValue = (1 << 27) - 1;

/** What a non-ASCII character of a preset name becomes on the device. */
inline constexpr char kNameReplacementChar = '?';

//==============================================================================
/** The message type code at offset 7. */
enum class SysexType : uint8_t
{
    none = 0x00, // not a protocol code: returned for buffers too short to hold a type

    ack = 0x01,
    err = 0x02,
    checksumFailed = 0x03,
    sendPresetStart = 0x11,
    sendPresetEnd = 0x12,
    requestPreset = 0x13,
    requestPresetVersion = 0x14,
    presetVersionData = 0x15,
    parameterData = 0x22,
    sendFirmwareStart = 0x31, // part of the numbering only: the librarian never builds or handles
    sendFirmwareEnd = 0x32    // the firmware messages
};

/** One row of the message table: a label, the type code and the frame's total length. */
struct SysexMessageInfo
{
    const char* name;
    SysexType type;
    uint16_t length;
};

inline constexpr std::array<SysexMessageInfo, 11> sysexMessageTable { {
    { "ACK", SysexType::ack, 10 },
    { "ERR", SysexType::err, 10 },
    { "CHECKSUM FAILED", SysexType::checksumFailed, 10 },
    { "SEND PRESET START", SysexType::sendPresetStart, 34 },
    { "SEND PRESET END", SysexType::sendPresetEnd, 10 },
    { "REQUEST PRESET", SysexType::requestPreset, 12 },
    { "REQUEST PRESET VERSION", SysexType::requestPresetVersion, 10 },
    { "PRESET VERSION DATA", SysexType::presetVersionData, 12 },
    { "PARAMETER DATA", SysexType::parameterData, 16 },
    { "SEND FIRMWARE START", SysexType::sendFirmwareStart, 34 },
    { "SEND FIRMWARE END", SysexType::sendFirmwareEnd, 10 },
} };

/** The table row of a type, or nullptr for a code the table does not know. */
const SysexMessageInfo* findMessageInfo (SysexType type) noexcept;

/** The total frame length of a kind, or 0 for a code the table does not know. */
int frameLength (SysexType type) noexcept;

//==============================================================================
/** One message of the device protocol in a fixed buffer, built on the stack by its sender.

    Only the first len bytes are the message; the rest of the buffer stays zero.
*/
struct SysexFrame
{
    std::array<uint8_t, kMaxFrameBytes> bytes {};
    int len = 0;

    const uint8_t* data() const noexcept { return bytes.data(); }
    int size() const noexcept { return len; }

    /** The frame as one MIDI message of exactly len bytes, time stamp 0. */
    juce::MidiMessage toMidiMessage() const;
};

//==============================================================================
// Building blocks.

/** Zero-fills the frame and writes F0, the header and F7 for a frame of the given total length.
    The caller then writes the type code, the payload and, last, the checksum.
*/
void initFrame (SysexFrame& frame, int length) noexcept;

/** XOR of count bytes from start; count is at least 1. */
uint8_t xorChecksum (const uint8_t* start, int count) noexcept;

/** Writes the checksum of offsets 1 to len-3 at offset len-2. */
void writeChecksum (SysexFrame& frame) noexcept;

/** True when the byte at size-2 is the XOR of offsets 1 to size-3. */
bool checksumMatches (const uint8_t* data, int size) noexcept;

/** Two bytes: bits 13-7, then bits 6-0. Higher bits are dropped. */
void encode14 (int value, uint8_t* out) noexcept;

/** 0 to 16383; bit 7 of each byte is ignored. */
int decode14 (const uint8_t* in) noexcept;

/** Four bytes: bits 27-21, 20-14, 13-7, 6-0. Bits 28-31 are dropped. */
void encode28 (int32_t value, uint8_t* out) noexcept;

/** The 28-bit two's-complement value, sign-extended to 32 bits. */
int32_t decode28 (const uint8_t* in) noexcept;

/** The name as the device will store it: every character outside 7-bit ASCII becomes '?', then
    the result is cut to kPresetNameBytes characters.
*/
juce::String toDeviceName (const juce::String& name);

/** Writes toDeviceName (name) into the kPresetNameBytes bytes at field, zero-filled behind it.
    A name of exactly kPresetNameBytes characters fills the field without a terminator.
*/
void writeNameField (const juce::String& name, uint8_t* field);

/** Reads the kPresetNameBytes bytes at field up to the first zero, one byte per character.
    A byte with bit 7 set cannot be a valid data byte and reads as '?'.
*/
juce::String readNameField (const uint8_t* field);

//==============================================================================
// Incoming frames.

/** The first test of anything the MIDI input delivers: size 10 to 34, the device's header at
    offsets 1 to 6, F7 last. Byte 0 is not examined (the MIDI layer always hands over F0), nor
    the type code or the checksum.
*/
bool isDeviceFrame (const uint8_t* data, int size) noexcept;

/** The type code at offset 7, or SysexType::none when size cannot hold one. The code may be one
    the table does not know.
*/
SysexType frameType (const uint8_t* data, int size) noexcept;

/** The payload of SEND PRESET START. */
struct SysexPresetHeader
{
    int number = 0;
    juce::String name;
    int version = 0;
};

enum class PresetStartCheck
{
    ok,
    wrongLength,     // not 34 bytes: the device sent something malformed
    checksumMismatch // offsets 1 to 31 do not XOR to offset 32
};

/** Checks the length and checksum of a SEND PRESET START and, when both are right, decodes its
    payload into header. On failure header is left untouched.
*/
PresetStartCheck readSendPresetStart (const uint8_t* data, int size, SysexPresetHeader& header);

/** The payload of PARAMETER DATA. */
struct SysexParameter
{
    int index = 0;
    int32_t value = 0;
};

/** The index and value of a PARAMETER DATA frame, or nothing when size is not the kind's 16 bytes
    (a shorter frame does not hold the fields). Its checksum is not examined: the device's
    parameter frames are accepted on their length.
*/
std::optional<SysexParameter> readParameterData (const uint8_t* data, int size) noexcept;

//==============================================================================
// Complete frames, one builder per kind. Each returns a frame of the kind's table length with
// its checksum in place; every data byte has bit 7 clear whatever the arguments.

/** A frame of the given kind with an all-zero payload. */
SysexFrame makeFrame (SysexType type) noexcept;

SysexFrame makeAck() noexcept;
SysexFrame makeErr() noexcept;
SysexFrame makeChecksumFailed() noexcept;
SysexFrame makeSendPresetEnd() noexcept;
SysexFrame makeRequestPresetVersion() noexcept;

/** Preset number and version keep their low 14 bits; the name goes through toDeviceName. */
SysexFrame makeSendPresetStart (int number, const juce::String& name, int version);

SysexFrame makeRequestPreset (int number) noexcept;

/** The device's answer to REQUEST PRESET VERSION; the librarian never interprets the two bytes. */
SysexFrame makePresetVersionData (uint8_t first, uint8_t second) noexcept;

/** The index keeps its low 14 bits and the value its low 28 bits: a value outside
    kMin28BitValue..kMax28BitValue arrives changed, so callers holding untrusted values should
    check the range first.
*/
SysexFrame makeParameterData (int index, int32_t value) noexcept;
