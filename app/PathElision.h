#pragma once

#include <juce_graphics/juce_graphics.h>

/** Shortens a path to a width by leaving out its middle: the end (the folder's own name, which
    tells one set from another) stays whole, and as much of the start as fits stays before an
    ellipsis. A name too wide by itself keeps its end. A path that fits is left as it is.
*/
juce::String elideMiddleOfPath (const juce::String& path, const juce::Font& font, float width);
