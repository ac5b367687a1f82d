#pragma once

#include <juce_core/juce_core.h>

/*  The number rule of preset files and their names: leading white space, an optional minus sign,
    then decimal digits up to the first other character; no digits read as 0. Arithmetic wraps in
    32 bits, so an over-long number keeps its low bits instead of overflowing, and a field
    narrower than that keeps the low bits again.

    Pure functions of their arguments; any thread.
*/

/** The bits of the number text begins with, under the rule above. */
juce::uint32 readNumberBits (const juce::String& text);

/** The same for text in place, which ends at the first character that is no part of a number
    (the "<" after an element's text, say), so that it need not be copied into a string.
*/
juce::uint32 readNumberBits (juce::CharPointer_UTF8 text);

/** The low 32 or 16 bits as a signed number. */
juce::int32 lowBitsAsInt32 (juce::uint32 bits);
juce::int16 lowBitsAsInt16 (juce::uint32 bits);
