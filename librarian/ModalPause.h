#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A pause the user waits through, with the message loop running: the windows repaint and the
    device's ports come and go, but the program's windows take no input until it has passed,
    as under a modal box. A timer ends it; it ends early when the program quits.

    For the pauses the start-up makes for the device; message thread only.
*/
class ModalPause final : private juce::Component, private juce::Timer
{
public:
    ModalPause() = default;

    /** Returns once milliseconds have passed (at once for none). */
    static void run (int milliseconds);

private:
    void timerCallback() override;

    // Clicks on the windows while the pause runs are dropped, without the alert sound a box
    // gives: nothing can be pressed to end the pause.
    void inputAttemptWhenModal() override {}

    bool passed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModalPause)
};
