#include "device/FrameHistory.h"

void FrameHistory::record (bool sent, const juce::uint8* data, int size) noexcept
{
    const juce::SpinLock::ScopedLockType guard (lock);

    auto& frame = frames[(size_t) next];
    frame.sent = sent;
    frame.size = size;
    std::copy_n (data, juce::jlimit (0, bytesShown, size), frame.bytes.begin());

    next = (next + 1) % framesKept;
    count = juce::jmin (count + 1, framesKept);
}

void FrameHistory::clear() noexcept
{
    const juce::SpinLock::ScopedLockType guard (lock);
    next = 0;
    count = 0;
}

juce::StringArray FrameHistory::describe() const
{
    std::array<Frame, framesKept> copy;
    int first = 0, kept = 0;

    {
        const juce::SpinLock::ScopedLockType guard (lock);
        copy = frames;
        kept = count;
        first = (next - count + framesKept) % framesKept;
    }

    juce::StringArray lines;

    for (int i = 0; i < kept; ++i)
    {
        const auto& frame = copy[(size_t) ((first + i) % framesKept)];
        const auto shown = juce::jmin (frame.size, bytesShown);
        auto line = juce::String (frame.sent ? ">" : "<");

        for (int b = 0; b < shown; ++b)
            line << " "
                 << juce::String::toHexString (frame.bytes[(size_t) b]).paddedLeft ('0', 2).toUpperCase();

        if (frame.size > shown)
            line << juce::String (juce::CharPointer_UTF8 (" \xe2\x80\xa6 (")) << frame.size << " bytes)";

        lines.add (line);
    }

    return lines;
}
