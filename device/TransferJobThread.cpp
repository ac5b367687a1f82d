#include "device/TransferJobThread.h"

TransferJobThread::TransferJobThread() : juce::Thread ("Transfer job") {}

TransferJobThread::~TransferJobThread()
{
    endAndWait();
}

void TransferJobThread::start (std::function<void()> body, std::function<void()> whenEnded)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (! isThreadRunning());

    // The previous body has returned: whatever it left behind is joined before the next one.
    waitForThreadToExit (-1);
    jobBody = std::move (body);
    jobEnded = std::move (whenEnded);
    endRequested.reset();

    // The reference is made here, on the message thread; the body's thread only copies it.
    selfReference = this;
    startThread (juce::Thread::Priority::normal);
}

void TransferJobThread::askToEnd()
{
    // The flag first: a body woken from its pause looks at it at once, and must find it set.
    signalThreadShouldExit();
    endRequested.signal();
}

void TransferJobThread::endAndWait()
{
    if (isThreadRunning())
        askToEnd();

    waitForThreadToExit (-1);
}

void TransferJobThread::pause (int ms)
{
    endRequested.wait (ms);
}

void TransferJobThread::run()
{
    jobBody();

    // The owner may be gone by the time the message is delivered, and the message may come after
    // the next body has started: it carries this body's own callback, not the one set then.
    juce::MessageManager::callAsync (
        [self = selfReference, whenEnded = jobEnded]
        {
            if (self != nullptr && whenEnded != nullptr)
                whenEnded();
        });
}
