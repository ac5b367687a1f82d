#pragma once

#include <juce_graphics/juce_graphics.h>

/** How the program shows which control has the keyboard: a ring in one strong orange, clear
    against the brushed metal behind the panel and against the pale glass of the buttons. The
    look and feel draws it round a button, a list round its table.
*/
namespace FocusRing
{
    inline const juce::Colour colour { 0xfff08000 };
    constexpr int thickness = 2;
}
