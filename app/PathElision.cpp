#include "app/PathElision.h"

juce::String elideMiddleOfPath (const juce::String& path, const juce::Font& font, float width)
{
    const auto fits = [&font, width] (const juce::String& text)
    { return font.getStringWidthFloat (text) <= width; };

    if (fits (path))
        return path;

    const juce::String ellipsis (juce::CharPointer_UTF8 ("\xe2\x80\xa6"));
    const auto lastSeparator = path.trimCharactersAtEnd ("/\\").lastIndexOfAnyOf ("/\\");
    const auto tail = lastSeparator >= 0 ? path.substring (lastSeparator) : path;

    if (! fits (ellipsis + tail))
    {
        for (int start = 1; start < tail.length(); ++start)
            if (fits (ellipsis + tail.substring (start)))
                return ellipsis + tail.substring (start);

        return ellipsis;
    }

    // The longest start that fits beside the end; the widths grow with the length.
    int shortest = 0, longest = juce::jmax (0, lastSeparator);

    while (shortest < longest)
    {
        const auto length = (shortest + longest + 1) / 2;

        if (fits (path.substring (0, length) + ellipsis + tail))
            shortest = length;
        else
            longest = length - 1;
    }

    return path.substring (0, shortest) + ellipsis + tail;
}
