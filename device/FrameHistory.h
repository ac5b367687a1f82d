#pragma once

#include <juce_core/juce_core.h>

#include <array>

/** The last few System Exclusive frames that went to and came from the device, for the transfer
    log: when an exchange fails, the frames around the failure say more than its outcome word.

    Written from the thread that sends a frame and from the MIDI input's callback, read by the
    transfer worker; a spin lock guards it, held only to copy a few bytes.
*/
class FrameHistory
{
public:
    /** How many frames are kept, and how many bytes of each are shown. */
    static constexpr int framesKept = 6;
    static constexpr int bytesShown = 16;

    void recordSent (const juce::uint8* data, int size) noexcept { record (true, data, size); }
    void recordReceived (const juce::uint8* data, int size) noexcept { record (false, data, size); }

    /** The frames kept, oldest first: "> F0 00 21 ... F7" for a frame sent, "<" for one received;
        a frame longer than bytesShown ends in "… (N bytes)".
    */
    juce::StringArray describe() const;

    void clear() noexcept;

private:
    struct Frame
    {
        bool sent = false;
        int size = 0;
        std::array<juce::uint8, bytesShown> bytes {};
    };

    void record (bool sent, const juce::uint8* data, int size) noexcept;

    juce::SpinLock lock;
    std::array<Frame, framesKept> frames;
    int next = 0;
    int count = 0;
};
