#pragma once

#include <juce_events/juce_events.h>

/** Hands on window-system events that Xlib has read but JUCE has not been told of.

    JUCE's Linux message loop reads X events only when the X connection's socket has data. Xlib,
    though, reads every event that arrives while it waits for the reply to a request, and keeps
    those in a queue of its own; JUCE and the framework's timers make such requests all the time
    (where the pointer is, whether a window is minimised). An event read that way stays in the
    queue, the socket stays quiet, and the loop sleeps on until the next event comes: a mouse
    button's release read alongside the reply to a pointer query left a row's pop-up menu unshown
    until the mouse moved. At the display's usual 60 Hz this looks in Xlib's queue, without a
    round trip, and has JUCE handle what is waiting there. Elsewhere it does nothing.

    Owned by the application object for as long as it runs; message thread only.
*/
class X11EventQueueWatch final : private juce::Timer
{
public:
    X11EventQueueWatch();
    ~X11EventQueueWatch() override;

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (X11EventQueueWatch)
};
