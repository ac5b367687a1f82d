#pragma once

#include <cstddef>

/** True when size bytes from data are UTF-8 in its strict form: no zero byte, no overlong
    encoding (such as C0 80 for a zero), no UTF-16 surrogate, nothing past U+10FFFF.

    JUCE 7.0.5's own check lets overlong encodings through, and its strings then count one
    length and copy another: an overlong zero in a file read into a juce::String is enough to
    overrun a heap buffer. Text from files the user did not write for us is checked here before
    it becomes a juce::String. A pure function; any thread.
*/
bool isStrictUtf8 (const void* data, size_t size) noexcept;
