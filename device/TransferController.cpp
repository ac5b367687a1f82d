#include "device/TransferController.h"

#include "device/PresetManager.h"
#include "device/TransferJobRunner.h"

namespace
{
    // The longest a job waits for an answer without looking whether it was asked to end; the ask
    // itself wakes it sooner.
    constexpr int answerCheckMs = 50;
} // namespace

/** A host that passes everything on to another and keeps what the job tells it: what the
    report is made from once the job has run.
*/
class TransferController::ReportingHost final : public TransferJobHost
{
public:
    explicit ReportingHost (TransferJobHost& inner) : host (inner) {}

    bool jobShouldEnd() override { return host.jobShouldEnd(); }
    void endJob() override { host.endJob(); }
    void pauseJob (int ms) override { host.pauseJob (ms); }
    void showJobStatus (const juce::String& s, const juce::String& pace) override
    {
        host.showJobStatus (s, pace);
    }
    void showJobProgress (double fraction) override { host.showJobProgress (fraction); }
    int ask (const TransferQuestion& question) override { return host.ask (question); }

    void presetHeaderRead (const DevicePresetEntry& header) override
    {
        report.headers.add (header);

        if (header.number > 0 && header.version > 0)
            report.deviceVersion = header.version;

        host.presetHeaderRead (header);
    }

    void presetDone (int slot, const juce::String& nameOrFile, int result) override
    {
        report.presets.push_back ({ slot, nameOrFile, result });

        host.presetDone (slot, nameOrFile, result);
    }

    void presetFileVersionRead (juce::int16 version) override
    {
        report.fileVersion = version;
        host.presetFileVersionRead (version);
    }

    void wholePresetRead (const PresetData& preset) override
    {
        report.wholePresets.push_back (preset);
        host.wholePresetRead (preset);
    }

    /** The report, once the job has ended with outcome. */
    TransferReport takeReport (const TransferJobOutcome& outcome)
    {
        report.outcome = outcome;
        return std::move (report);
    }

private:
    TransferJobHost& host;
    TransferReport report;
};

/** The job thread as a job's host: its pauses, its end, the controller's status and progress,
    and the questions asked on the message thread. Called on the job thread.
*/
class TransferController::ThreadHost final : public TransferJobHost
{
public:
    explicit ThreadHost (TransferController& c) : controller (c) {}

    bool jobShouldEnd() override { return controller.jobThread.shouldEnd(); }
    void endJob() override { controller.jobThread.askToEnd(); }
    void pauseJob (int ms) override { controller.jobThread.pause (ms); }
    void showJobProgress (double fraction) override { controller.progress = fraction; }
    int ask (const TransferQuestion& question) override { return controller.askOnMessageThread (question); }

    void showJobStatus (const juce::String& status, const juce::String& pace) override
    {
        controller.setStatus (pace.isEmpty() ? status : status + "\n" + pace);

        if (controller.onStatusMessage != nullptr)
            controller.onStatusMessage (status);
    }

private:
    TransferController& controller;
};

/** A job of the job thread: what it works on, its host object, and how it ended. */
struct TransferController::RunningJob
{
    RunningJob (TransferController& c, TransferJob j, std::function<void (Report)> ended, int number)
        : job (std::move (j)), threadHost (c), reportingHost (threadHost), whenEnded (std::move (ended)),
          serial (number)
    {
    }

    const TransferJob job;
    ThreadHost threadHost;
    ReportingHost reportingHost;
    TransferJobOutcome outcome;
    std::function<void (Report)> whenEnded;
    const int serial;
};

/** A question shown on the message thread, shared with the call that shows it: that call may
    outlive the job's wait when the job is asked to end while the box is up.
*/
struct TransferController::OpenQuestion
{
    juce::WaitableEvent answered;
    std::atomic<int> value { 0 };
};

//==============================================================================
TransferController::TransferController (MidiPorts& midiPorts, const LibrarianTimings& t,
                                        const juce::File& transferLogFile)
    : timings (t), presetManager (std::make_unique<PresetManager> (midiPorts)), transferLog (transferLogFile)
{
    presetManager->setPauseBeforeRequest (timings.pauseBeforeRequestMs);
    jobThread.addListener (&cancelWake);
}

TransferController::~TransferController()
{
    // The job uses the preset manager; it must have returned before the manager goes. It is
    // asked to end and waited for, never cut off.
    jobThread.endAndWait();
    jobThread.removeListener (&cancelWake);
    runningJob.reset();
}

TransferJob TransferController::prepared (TransferJob job) const
{
    job.options = options;

    if (job.deviceVersion <= 0)
        job.deviceVersion = knownDeviceVersion;

    return job;
}

void TransferController::remember (const TransferReport& report)
{
    if (report.deviceVersion > 0)
        knownDeviceVersion = report.deviceVersion;
}

void TransferController::start (TransferJob job, std::function<void (Report)> whenEnded)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (! jobThread.isRunning());

    // A report of an earlier job not yet delivered is delivered first, in order.
    if (runningJob != nullptr)
        deliverReport (runningJob->serial);

    setStatus ({});
    progress = 0.0;
    runningJob = std::make_unique<RunningJob> (*this, prepared (std::move (job)), std::move (whenEnded),
                                               ++jobsStarted);

    auto& running = *runningJob;
    jobThread.start (
        [this, &running]
        {
            running.outcome = TransferJobRunner (*presetManager, running.reportingHost, &transferLog, timings)
                                  .run (running.job);
        },
        [this, serial = running.serial] { deliverReport (serial); });
}

TransferReport TransferController::runHere (TransferJob job, TransferJobHost& host)
{
    jassert (! jobThread.isRunning());

    ReportingHost reportingHost { host };
    const auto outcome = TransferJobRunner (*presetManager, reportingHost, &transferLog, timings)
                             .run (prepared (std::move (job)));
    auto report = reportingHost.takeReport (outcome);
    remember (report);
    return report;
}

void TransferController::deliverReport (int serial)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (runningJob == nullptr || runningJob->serial != serial)
        return;

    // The thread posts its end as its last step: it is joined before its host object is read.
    jobThread.waitUntilReturned();

    const auto finished = std::exchange (runningJob, nullptr);
    const auto report =
        std::make_shared<const TransferReport> (finished->reportingHost.takeReport (finished->outcome));
    remember (*report);

    if (finished->whenEnded != nullptr)
        finished->whenEnded (report);
}

void TransferController::cancel()
{
    jobThread.askToEnd();
}

void TransferController::finishNow()
{
    JUCE_ASSERT_MESSAGE_THREAD
    jobThread.endAndWait();

    if (runningJob != nullptr)
        deliverReport (runningJob->serial);
}

void TransferController::setStatus (const juce::String& newStatus)
{
    const juce::ScopedLock lock (statusLock);
    status = newStatus;
}

juce::String TransferController::getStatus() const
{
    const juce::ScopedLock lock (statusLock);
    return status;
}

void TransferController::CancelWake::exitSignalSent()
{
    // Called on the thread that ends the job: the message thread for Cancel, or the job's own.
    controller.presetManager->wakeExchangeWaiter();

    const juce::ScopedLock lock (controller.questionLock);

    if (controller.openQuestion != nullptr)
        controller.openQuestion->answered.signal();
}

int TransferController::askOnMessageThread (const TransferQuestion& question)
{
    auto pending = std::make_shared<OpenQuestion>();
    pending->value = question.buttons.back().value; // what Escape would answer

    {
        const juce::ScopedLock lock (questionLock);
        openQuestion = pending;
    }

    if (questionAsker != nullptr)
        juce::MessageManager::callAsync (
            [pending, asker = questionAsker, question]
            {
                pending->value = asker (question);
                pending->answered.signal();
            });
    else
        pending->answered.signal();

    while (! pending->answered.wait (answerCheckMs))
        if (jobThread.shouldEnd())
            break;

    const juce::ScopedLock lock (questionLock);
    openQuestion.reset();
    return pending->value;
}
