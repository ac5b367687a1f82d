#include "device/JobPace.h"

JobPace::JobPace (int presetCount, double start) : count (presetCount), startSeconds (start) {}

juce::String JobPace::describe (int position, int done, double nowSeconds) const
{
    auto line =
        juce::String (juce::jlimit (1, juce::jmax (1, count), position)) + " of " + juce::String (count);

    if (done > 0 && done < count)
    {
        const auto perPreset = (nowSeconds - startSeconds) / done;
        line << ", about " << describeTimeLeft (perPreset * (count - done)) << " left";
    }

    return line;
}

juce::String JobPace::describeTimeLeft (double seconds)
{
    const auto whole = (int) std::ceil (juce::jmax (0.0, seconds));

    if (whole < 10)
        return juce::String (juce::jmax (1, whole)) + " s";

    if (const auto fives = (whole + 4) / 5 * 5; fives < 60)
        return juce::String (fives) + " s";

    return juce::String ((whole + 30) / 60) + " min";
}
