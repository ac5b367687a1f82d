#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "device/TransferJobThread.h"

/** The window a running transfer job stands behind: the panel's title, a progress bar, the
    job's status and a Cancel button.

    It only shows the job; the transfer controller runs it. Cancel asks the job's thread to end
    and the window says it is cancelling; it stays, with the message loop running under it, until
    the thread has returned by itself or the job's report has been delivered, and goes the moment
    either happens. The panel makes one for each job and owns it while the job runs.
*/
class JobProgressWindow final : public juce::AlertWindow
{
public:
    /** A window for the job on jobThread, over owner's window. */
    JobProgressWindow (const juce::String& title, TransferJobThread& jobThread, bool cancellable,
                       juce::Component& owner);

    /** Shows the window modally and runs the message loop until the job's thread has returned
        or jobHasEnded() is called; true unless the job was cancelled. The thread must be running.
    */
    bool runUntilJobEnds();

    /** The job's report has been delivered: the loop of runUntilJobEnds returns at once. On the
        message thread.
    */
    void jobHasEnded();

    /** What Cancel does: asks the job to end and shows that it is ending. */
    void cancel();

    bool wasCancelled() const noexcept { return cancelled; }

    /** Shows a fraction of the job done, 0 to 1. */
    void setProgress (double fraction) noexcept { progress = fraction; }

    /** Shows the job's status line; once cancelled the window says so instead. */
    void setStatus (const juce::String& status);

    /** Closing this window (the desktop's close, Alt+F4) is closing the window it stands over:
        the program asks whether to cancel the job and quit.
    */
    void userTriedToCloseWindow() override;

private:
    TransferJobThread& thread;
    juce::Component& owner;
    double progress = 0.0;
    bool cancelled = false;
    bool ended = false;
    juce::String shownStatus;
    juce::TextButton* cancelButton = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JobProgressWindow)
};
