#include "presets/PresetNumberText.h"

juce::uint32 readNumberBits (const juce::String& text)
{
    return readNumberBits (text.getCharPointer());
}

juce::uint32 readNumberBits (juce::CharPointer_UTF8 p)
{
    p.incrementToEndOfWhitespace();

    const bool negative = *p == '-';

    if (negative)
        ++p;

    juce::uint32 magnitude = 0;

    for (; *p >= '0' && *p <= '9'; ++p)
        magnitude = magnitude * 10u + (juce::uint32) (*p - '0');

    return negative ? 0u - magnitude : magnitude;
}

juce::int32 lowBitsAsInt32 (juce::uint32 bits)
{
    return bits <= 0x7fffffffu ? (juce::int32) bits : -(juce::int32) (~bits) - 1;
}

juce::int16 lowBitsAsInt16 (juce::uint32 bits)
{
    const auto low = (int) (bits & 0xffffu);
    return (juce::int16) (low <= 0x7fff ? low : low - 0x10000);
}
