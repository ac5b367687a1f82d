#pragma once

#include <juce_events/juce_events.h>

/** Lets a second start of the program bring the running one's window to the front.

    The program lets only one instance talk to the device: JUCE's single-instance lock ends a
    second start before it opens anything. A second start must also know whether a librarian
    holds that lock at all, or the command line does, and JUCE tells it neither way (on Linux it
    does not even tell the running instance). So the running instance listens for requests of
    its own: on Linux on a FIFO in the temporary folder, on Windows on a named event of the
    user's session. The second start makes its request before it ends; where none listens, the
    lock is the command line's. (On Windows JUCE tells the running instance too, so its window
    is asked to the front twice, which does no harm.)

    The running instance owns one object of this class for as long as its window lives; a thread
    of its own waits on the FIFO and hands each request to the message thread, where the
    application's anotherInstanceStarted is called.
*/
class ShowRequests final : private juce::Thread
{
public:
    explicit ShowRequests (const juce::String& applicationName);
    ~ShowRequests() override;

    /** From a second start: asks the running instance to show itself; false when none listens. */
    static bool send (const juce::String& applicationName);

private:
    void run() override;

    struct Listener; // the system's objects the thread waits on, of the platform's half
    std::unique_ptr<Listener> listener;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ShowRequests)
};
