#pragma once

#include <juce_core/juce_core.h>

/** How long the demo takes, from the moment its process is started, to map its window, to
    show the progress window of the start-up name read, and to close that window again, when
    the panel is on screen with the device's names. The demo starts as a user's first start
    does: with a home folder of its own, so the preset folder and the configuration are made
    anew.
*/
struct StartupTimes
{
    double windowMs = -1.0;
    double progressWindowMs = -1.0;
    double panelMs = -1.0;

    bool isComplete() const noexcept { return windowMs >= 0.0 && progressWindowMs >= 0.0 && panelMs >= 0.0; }
};

/** Starts the demo executable and watches the X display for its windows. */
StartupTimes measureStartup (const juce::File& demoExecutable);
