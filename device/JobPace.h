#pragma once

#include <juce_core/juce_core.h>

/** How far a job has come and how long it still needs, as the progress window's second line
    shows it: "16 of 99", and once a preset is done "16 of 99, about 20 s left", from the pace
    this job itself has kept so far.
*/
class JobPace
{
public:
    /** A job of count presets starting now. */
    explicit JobPace (int count, double startSeconds = now());

    /** The line while the preset at position (1-based) is worked on, done presets finished. */
    juce::String describe (int position, int done, double nowSeconds = now()) const;

    /** The time left as the line says it: under 10 s as it is, under a minute rounded up to
        5 s, else in whole minutes.
    */
    static juce::String describeTimeLeft (double seconds);

    static double now() noexcept { return juce::Time::getMillisecondCounterHiRes() / 1000.0; }

private:
    int count;
    double startSeconds;
};
