#pragma once

#include <juce_events/juce_events.h>

/** Lets a second start of the program bring the running one's window to the front.

    The program lets only one instance talk to the device: JUCE's single-instance lock ends a
    second start before it opens anything. On macOS and Windows JUCE also tells the running
    instance (anotherInstanceStarted); on Linux it does not, so there the running instance
    listens on a FIFO of its own, and the second start writes to it before it ends.

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

    const juce::File fifo;
    int fifoDescriptor = -1;
    int stopPipe[2] { -1, -1 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ShowRequests)
};
