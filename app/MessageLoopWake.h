#pragma once

#include <juce_events/juce_events.h>

/** Wakes the message loop once a quit has been requested.

    JUCE's Linux message loop handles every queued message in one go, and when one of them runs
    modal loops of its own (as building the librarian does, with its start-up boxes) the loop can
    come back from that batch having taken the quit message, yet believing it did nothing: it
    then sleeps until the next event. After a quit request JUCE posts no further messages, so
    that event has to come from elsewhere: a byte on a pipe the loop watches. Elsewhere the
    framework's loops need no such help and wake() does nothing.

    Owned by the application object; used on the message thread.
*/
class MessageLoopWake final
{
public:
    MessageLoopWake();
    ~MessageLoopWake();

    /** Makes the loop look at its state again, soon, even if nothing else happens. */
    void wake();

private:
    int pipeEnds[2] { -1, -1 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MessageLoopWake)
};
