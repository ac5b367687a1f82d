#include "librarian/JobProgressWindow.h"

#include "librarian/NewWindowFocus.h"

namespace
{
    // Each turn of the job's loop runs what is pending, or sleeps for a millisecond when nothing
    // is, and returns: the loop looks at the job after every message it handles, the report's
    // included, instead of first running out a slice of time.
    constexpr int dispatchTurnMs = 0;

    constexpr auto cancellingText = "Canceling...";
}

JobProgressWindow::JobProgressWindow (const juce::String& title, TransferJobThread& jobThread,
                                      bool cancellable, juce::Component& ownerComponent)
    : juce::AlertWindow (title, {}, juce::MessageBoxIconType::NoIcon), thread (jobThread),
      owner (ownerComponent)
{
    // Only the button cancels: Escape would take the window down with the job still running.
    setEscapeKeyCancels (false);
    addProgressBarComponent (progress);

    if (! cancellable)
        return;

    addButton ("Cancel", 0);

    for (auto* child : getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            cancelButton = button;

    // The alert window's own action would close the window; this one only asks the job to end.
    if (cancelButton != nullptr)
        cancelButton->onClick = [this] { cancel(); };
}

bool JobProgressWindow::runUntilJobEnds()
{
    NewWindowFocus::openOver (*this, &owner);
    enterModalState (true);

    auto& messageManager = *juce::MessageManager::getInstance();

    while (! ended && thread.isRunning())
    {
        if (! messageManager.runDispatchLoopUntil (dispatchTurnMs))
        {
            // The program is quitting and the loop will dispatch nothing more: the job is asked
            // to end and waited for, as Cancel would, rather than left running under a
            // program that is going away.
            cancelled = true;
            thread.endAndWait();
        }
    }

    if (isCurrentlyModal (false))
        exitModalState (0);

    setVisible (false);
    return ! cancelled;
}

void JobProgressWindow::jobHasEnded()
{
    ended = true;

    if (isCurrentlyModal (false))
        exitModalState (0);
}

void JobProgressWindow::cancel()
{
    if (cancelled || ! thread.isRunning())
        return;

    cancelled = true;
    thread.askToEnd();

    if (cancelButton != nullptr)
        cancelButton->setEnabled (false);

    setStatus ({});
}

void JobProgressWindow::userTriedToCloseWindow()
{
    if (auto* ownerWindow = owner.getTopLevelComponent();
        ownerWindow != nullptr && ownerWindow->isOnDesktop())
        ownerWindow->userTriedToCloseWindow();
}

void JobProgressWindow::setStatus (const juce::String& status)
{
    // A job that must finish something before it can stop (a move of presets between slots)
    // says what in a status of its own that begins with the same word.
    const auto shown =
        cancelled && ! status.startsWith (cancellingText) ? juce::String (cancellingText) : status;

    // Setting the message lays the window out again: only when it changes.
    if (shown != shownStatus)
    {
        shownStatus = shown;
        setMessage (shown);
    }
}
