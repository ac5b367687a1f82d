#pragma once

#include "device/LibrarianTimings.h"
#include "device/TransferJob.h"
#include "device/TransferJobHost.h"
#include "device/TransferJobThread.h"
#include "device/TransferLog.h"
#include "device/TransferReport.h"

#include <atomic>
#include <functional>
#include <memory>

class MidiPorts;
class PresetManager;

/** Runs the transfer jobs: owns the device link (PresetManager), the transfer log, the choices
    the loads are made with, and the one thread jobs run on. The librarian panel and the command
    line each own one.

    Threads: start(), cancel() and the getters are for the message thread, except the status and
    progress getters, which any thread may call. A job started with start() runs on the job
    thread, which writes only into the job's own host object (kept by the controller while the
    job runs) and the status and progress (behind a lock and an atomic). Once that thread has
    returned, the host object becomes one TransferReport, handed to the caller on the message
    thread; no field of the caller is written by the job thread. runHere() runs a job on the
    calling thread instead, with a host of the caller's, and returns the same kind of report.
*/
class TransferController final
{
public:
    using Report = std::shared_ptr<const TransferReport>;

    /** Asks a job's question on the message thread and returns the answer, as
        TransferJobHost::ask does.
    */
    using QuestionAsker = std::function<int (const TransferQuestion&)>;

    /** A link to the device over midiPorts, with the timings' pause before each request, and a
        transfer log in transferLogFile. The jobs take their pauses from timings as each starts:
        it must outlive the controller.
    */
    TransferController (MidiPorts& midiPorts, const LibrarianTimings& timings,
                        const juce::File& transferLogFile);

    /** Asks a running job to end and waits until its thread has returned; its report is then
        never delivered.
    */
    ~TransferController();

    PresetManager& getPresetManager() const noexcept { return *presetManager; }

    /** The choices each job from now on is made with (snapshots, verifies). */
    void setOptions (const TransferOptions& newOptions) noexcept { options = newOptions; }

    /** How the jobs started with start() ask their questions; called on the message thread.
        Without one a question is answered as Escape would. Set it only while no job runs; it
        may be called after the controller has gone, so it must not refer to it.
    */
    void setQuestionAsker (QuestionAsker asker) { questionAsker = std::move (asker); }

    /** Starts job on the job thread, with the controller's choices; whenEnded is called once, on
        the message thread, with its report once the thread has returned. Only while no job
        runs; on the message thread.
    */
    void start (TransferJob job, std::function<void (Report)> whenEnded);

    /** Runs job on the calling thread with host, with the controller's choices, and returns its
        report. Only while no job runs on the job thread.
    */
    TransferReport runHere (TransferJob job, TransferJobHost& host);

    /** The job thread, for the window that stands over a running job: it asks the thread to end
        (as cancel() does) and waits for it.
    */
    TransferJobThread& getJobThread() noexcept { return jobThread; }

    /** Whether the job thread is running a job. */
    bool isRunning() const { return jobThread.isRunning(); }

    /** Asks the running job to end, as its Cancel does: from now on it ends at its next look, a
        pause or an exchange it waits for returns at once, and a question it waits on is given
        up. From any thread.
    */
    void cancel();

    /** Asks the running job to end, waits until its thread has returned and delivers its report
        now, rather than from a message the message loop may never dispatch (the program is
        quitting). On the message thread.
    */
    void finishNow();

    /** The running job's status line, with its pace below it. From any thread. */
    juce::String getStatus() const;

    /** How much of the running job is done, 0 to 1. From any thread. */
    double getProgress() const noexcept { return progress.load(); }

    /** Called on the job thread with each status line a job shows, so that a test can follow a
        job through its retries. Set it only while no job runs.
    */
    std::function<void (const juce::String&)> onStatusMessage;

private:
    class ReportingHost;
    class ThreadHost;
    struct RunningJob;
    struct OpenQuestion;

    /** Fills in what every job takes from the controller. */
    TransferJob prepared (TransferJob job) const;

    /** Remembers what a report tells the next job. */
    void remember (const TransferReport& report);

    /** On the message thread: turns the job numbered serial into its report and hands it over,
        once its thread has returned. Nothing when it was delivered already.
    */
    void deliverReport (int serial);

    /** Shows a question on the message thread and waits for the answer, or until the job is
        asked to end. On the job thread.
    */
    int askOnMessageThread (const TransferQuestion& question);

    void setStatus (const juce::String& status);

    /** Wakes what a job may be waiting on when it is asked to end: an exchange, a question. */
    struct CancelWake final : public TransferJobThread::Listener
    {
        explicit CancelWake (TransferController& c) : controller (c) {}
        void exitSignalSent() override;
        TransferController& controller;
    };

    const LibrarianTimings& timings;
    std::unique_ptr<PresetManager> presetManager;
    TransferLog transferLog;
    TransferOptions options;
    QuestionAsker questionAsker;

    // The device's version as the last report told it: a job that reads no name (a send of the
    // command line) checks its files against it.
    juce::int16 knownDeviceVersion = 0;

    // The job of the job thread, from its start until its report is delivered. Its host object
    // is written by the job thread while it runs and read on the message thread only after.
    std::unique_ptr<RunningJob> runningJob;
    int jobsStarted = 0;

    // The status line and the progress the job thread shows; the window reads them.
    juce::CriticalSection statusLock;
    juce::String status;
    std::atomic<double> progress { 0.0 };

    // The question the job thread waits on, woken when the job is asked to end.
    juce::CriticalSection questionLock;
    std::shared_ptr<OpenQuestion> openQuestion;

    CancelWake cancelWake { *this };
    TransferJobThread jobThread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TransferController)
};
