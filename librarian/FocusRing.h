#pragma once

#include <juce_graphics/juce_graphics.h>

/** How the program shows which control has the keyboard: a ring in one warm colour, bright
    against the dark picture behind the panel and against the pale glass of the buttons. The
    look and feel draws it round a button, a list round its table.
*/
namespace FocusRing
{
    inline const juce::Colour colour { 0xffffc24a };
    constexpr int thickness = 2;
}
