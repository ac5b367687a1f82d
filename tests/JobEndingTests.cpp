// How a transfer job ends when the user stops it: Cancel, and closing the program while it
// runs. The worker is always asked to end and returns by itself; it is never cut off.

#include "librarian/JobProgressWindow.h"
#include "tests/LibrarianFixture.h"

#include <utility>

namespace
{
    /** Does something once, from the message loop, while a job runs and a condition holds: how
        the user's click reaches a running job.
    */
    struct WhileJobRuns final : private juce::Timer
    {
        WhileJobRuns (PresetLibrarianManager& panelToWatch, std::function<bool()> conditionToWaitFor,
                      std::function<void()> actionToTake)
            : panel (panelToWatch), condition (std::move (conditionToWaitFor)),
              action (std::move (actionToTake))
        {
            startTimer (5);
        }

        void timerCallback() override
        {
            if (! panel.isThreadRunning() || panel.getAlertWindow() == nullptr || ! condition())
                return;

            stopTimer();
            taken = true;
            action();
        }

        PresetLibrarianManager& panel;
        std::function<bool()> condition;
        std::function<void()> action;
        bool taken = false;
    };

} // namespace

class JobEnding : public LibrarianFixture
{
protected:
    /** A connected panel whose jobs wait a minute before their first request, long enough for
        any click to find the job running, with slot 5 selected.
    */
    void openPanelWithSlowJobs()
    {
        openConnectedPanel();
        services.timings.pauseBeforeJobMs = minuteMs;
        applicationFolder().getChildFile ("tonarel.log").deleteFile();
        dialogs.boxes.clear();
        auto& table = panel->getDeviceList().getTable();
        table.deselectAllRows();
        table.selectRow (4, true, false);
    }

    /** Whether the transfer log holds the closing line of a job of this name: a worker that
        was cut off never writes it.
    */
    bool jobLogged (const juce::String& jobName) const
    {
        return applicationFolder()
            .getChildFile ("tonarel.log")
            .loadFileAsString()
            .contains ("\t" + jobName + "\tjob\t");
    }

    juce::String statusText() const { return panel->getStatusLabel().getText(); }

    static constexpr int minuteMs = 60000;
};

TEST_F (JobEnding, CancelKilledTheWorkerInsteadOfLettingItEnd)
{
    // Cancel comes as the worker sleeps through the device's pause before its first request,
    // which nothing can cut short: the old window killed it 2.5 s after Cancel, and the job never
    // wrote its closing line.
    constexpr int pauseMs = 4000;
    openConnectedPanel();
    applicationFolder().getChildFile ("tonarel.log").deleteFile();
    panel->getPresetManager().setPauseBeforeRequest (pauseMs);
    auto& table = panel->getDeviceList().getTable();
    table.deselectAllRows();
    table.selectRow (4, true, false);

    std::atomic<bool> reading { false };
    panel->getTransferController().onStatusMessage = [&] (const juce::String& status)
    { reading = reading || status.startsWith ("Reading"); };
    WhileJobRuns cancel (
        *panel, [&] { return reading.load(); },
        [&] { cancelButtonOf (panel->getAlertWindow())->triggerClick(); });
    panel->buttonClicked (&panel->getSaveButton());
    panel->getTransferController().onStatusMessage = nullptr;

    ASSERT_TRUE (cancel.taken);
    EXPECT_EQ (statusText(), "reading and saving Canceled");
    EXPECT_TRUE (jobLogged ("Save")) << "the worker did not end by itself";
    EXPECT_FALSE (panel->isThreadRunning());
    EXPECT_EQ (presetFolder().getNumberOfChildFiles (juce::File::findFiles), 0);
}

TEST (JobProgressWindow, StaysSayingTheJobEndsUntilTheWorkerHasReturnedByItself)
{
    TransferJobThread thread;
    juce::WaitableEvent mayReturn;
    std::atomic<bool> returned { false };
    thread.start (
        [&]
        {
            while (! thread.shouldEnd())
                thread.pause (60000);

            // Ending takes the worker a while: an exchange to close, a file to remove.
            mayReturn.wait();
            returned = true;
        },
        {});

    juce::Component owner;
    JobProgressWindow window ("Tonarel Librarian", thread, true, owner);
    window.setStatus ("Reading preset 5");
    auto* cancelButton = cancelButtonOf (&window);
    ASSERT_NE (cancelButton, nullptr);
    EXPECT_EQ (cancelButton->getButtonText(), "Cancel");

    int ticks = 0;
    bool stayedWhileEnding = true, cancelDisabled = false;
    struct Ticker final : private juce::Timer
    {
        explicit Ticker (std::function<void()> f) : tick (std::move (f)) { startTimer (5); }
        void timerCallback() override { tick(); }
        std::function<void()> tick;
    } ticker (
        [&]
        {
            if (++ticks == 1)
            {
                cancelButton->onClick(); // the press itself; triggerClick would post it
                cancelDisabled = ! cancelButton->isEnabled();
            }
            else if (ticks < 5)
            {
                stayedWhileEnding =
                    stayedWhileEnding && window.isCurrentlyModal (false) && thread.isRunning();
            }
            else
            {
                mayReturn.signal();
            }
        });

    EXPECT_FALSE (window.runUntilJobEnds()) << "cancelled";
    EXPECT_TRUE (returned) << "the window closed before the worker had returned";
    EXPECT_TRUE (stayedWhileEnding);
    EXPECT_TRUE (cancelDisabled) << "Cancel asks once";
    EXPECT_FALSE (window.isVisible());
}

TEST_F (JobEnding, ClosingWithNoJobRunningQuitsAtOnceUnasked)
{
    openConnectedPanel();
    dialogs.boxes.clear();
    int quits = 0;
    panel->closeRequested ([&] { ++quits; });
    EXPECT_EQ (quits, 1);
    EXPECT_TRUE (dialogs.boxes.empty());
}

TEST_F (JobEnding, ClosingDuringAJobAndKeepingWorkingLetsTheJobFinish)
{
    openConnectedPanel();
    const auto fileName = addFileOfSlot (5);
    dialogs.boxes.clear();
    auto& table = panel->getDeviceList().getTable();
    table.deselectAllRows();
    table.selectRow (4, true, false);

    // The close comes while the job asks whether to overwrite the file: the job surely runs.
    int quits = 0;
    dialogs.answers = { 0, TransferQuestion::overwriteFile }; // "Keep Working", then "Overwrite"
    bool closed = false;
    dialogs.onBox = [&] (const ScriptedDialogs::Box&)
    {
        if (! std::exchange (closed, true))
            panel->closeRequested ([&] { ++quits; });
    };
    presetFolder().getChildFile (fileName).replaceWithText ("not the device's preset");
    panel->buttonClicked (&panel->getSaveButton());

    ASSERT_EQ (dialogs.boxes.size(), 2u);
    const auto& question = dialogs.boxes[1];
    EXPECT_EQ (question.icon, Dialogs::Icon::warning);
    EXPECT_EQ (question.message, "A transfer is running. Cancel it and quit?");
    EXPECT_EQ (question.buttons, (juce::StringArray { "Cancel Transfer and Quit", "Keep Working" }));
    EXPECT_EQ (quits, 0);
    EXPECT_EQ (statusText(), "reading and saving done");
    EXPECT_NE (presetFolder().getChildFile (fileName).loadFileAsString(), "not the device's preset");

    SCOPED_TRACE ("the next close, with no job running, quits");
    panel->closeRequested ([&] { ++quits; });
    EXPECT_EQ (quits, 1);
}

TEST_F (JobEnding, ClosingDuringAJobCancelsItAsCancelDoesThenQuits)
{
    openPanelWithSlowJobs();
    int quits = 0;
    bool jobRanAtQuit = true;
    dialogs.answers = { 1 }; // "Cancel Transfer and Quit"

    WhileJobRuns close (
        *panel, [] { return true; },
        [&]
        {
            panel->closeRequested (
                [&]
                {
                    ++quits;
                    jobRanAtQuit = panel->isThreadRunning();
                });

            // A second close while the job ends is the same request.
            panel->closeRequested ([&] { ++quits; });
        });
    panel->buttonClicked (&panel->getSaveButton());
    ASSERT_TRUE (close.taken);
    EXPECT_TRUE (dispatchMessagesUntil ([&] { return quits > 0; }));

    EXPECT_EQ (quits, 1);
    EXPECT_FALSE (jobRanAtQuit) << "the program quit under a running job";
    EXPECT_TRUE (jobLogged ("Save")) << "the worker did not end by itself";
    EXPECT_EQ (statusText(), "reading and saving Canceled");
    EXPECT_EQ (presetFolder().getNumberOfChildFiles (juce::File::findFiles), 0) << "no file, whole or half";

    SCOPED_TRACE ("once the user has chosen to quit no other job starts, nor is asked about");
    const auto boxesBefore = dialogs.boxes.size();
    panel->buttonClicked (&panel->getRefreshButton());
    EXPECT_EQ (dialogs.boxes.size(), boxesBefore);
    EXPECT_FALSE (jobLogged ("Read names"));
}
