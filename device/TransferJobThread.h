#pragma once

#include <juce_events/juce_events.h>

#include <functional>

/** The thread a transfer job runs on, and the one way such a job ends: it is asked to, and
    returns by itself at its next look.

    The transfer controller owns one and runs each job's body on it. Nothing here ever kills the thread: a
    thread cut off in the middle of a write or a prune could leave a half-written file or a held
    lock behind. Asking it to end calls the listeners (which wake an exchange the body may be
    waiting on) and wakes a pause; the destructor asks and then waits for as long as the body
    takes to return.
*/
class TransferJobThread final : private juce::Thread
{
public:
    TransferJobThread();

    /** Asks a running body to end and waits until it has. */
    ~TransferJobThread() override;

    /** Runs body on the thread; whenEnded is called on the message thread once body has returned
        (unless this object is gone by then). Only while no body runs; on the message thread.
    */
    void start (std::function<void()> body, std::function<void()> whenEnded);

    /** Asks the running body to end: from now on shouldEnd() is true, a pause returns at once and
        the listeners are told. From any thread.
    */
    void askToEnd();

    /** Asks the running body to end and waits, without a time-out, until it has returned. */
    void endAndWait();

    /** Waits, without a time-out and without asking, until the body has returned; for the
        owner once the body has said it ended.
    */
    void waitUntilReturned() { waitForThreadToExit (-1); }

    /** Whether the body has been asked to end; for the body to look at. */
    bool shouldEnd() const { return threadShouldExit(); }

    /** Whether a body is running. */
    bool isRunning() const { return isThreadRunning(); }

    /** Pauses the body for ms milliseconds, or until it is asked to end. On the thread. */
    void pause (int ms);

    using juce::Thread::addListener;
    using juce::Thread::Listener;
    using juce::Thread::removeListener;

private:
    void run() override;

    std::function<void()> jobBody;
    std::function<void()> jobEnded;
    // Stays signalled once the body is asked to end, so that every later pause returns at once;
    // reset as the next body starts.
    juce::WaitableEvent endRequested { true };
    juce::WeakReference<TransferJobThread> selfReference;

    JUCE_DECLARE_WEAK_REFERENCEABLE (TransferJobThread)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TransferJobThread)
};
