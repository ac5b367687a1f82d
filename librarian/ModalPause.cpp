#include "librarian/ModalPause.h"

namespace
{
    // The longest the loop dispatches before it looks whether the pause has passed: the pause
    // overruns by at most this.
    constexpr int longestDispatchMs = 10;
}

void ModalPause::run (int milliseconds)
{
    if (milliseconds <= 0)
        return;

    ModalPause pause;
    pause.enterModalState (false);
    pause.startTimer (milliseconds);

    while (! pause.passed)
        if (! juce::MessageManager::getInstance()->runDispatchLoopUntil (longestDispatchMs))
            break;

    pause.stopTimer();
    pause.exitModalState (0);
}

void ModalPause::timerCallback()
{
    stopTimer();
    passed = true;
}
