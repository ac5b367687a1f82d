// The transfer worker: the body of the panel's job thread. The job itself is the
// engine's TransferJobRunner; the panel is its host, answering with its progress window, its
// boxes and its lists.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "device/TransferJobRunner.h"

namespace
{
    // While the worker waits for an answer, it looks this often whether the job was abandoned.
    constexpr int answerCheckMs = 50;
} // namespace

/** The panel as the host of a job: everything here is called on the worker thread. */
class PresetLibrarianManager::WorkerHost final : public TransferJobHost
{
public:
    explicit WorkerHost (PresetLibrarianManager& p) : panel (p) {}

    bool jobShouldEnd() override { return panel.jobThread.shouldEnd(); }
    void endJob() override { panel.jobThread.askToEnd(); }
    void pauseJob (int ms) override { panel.jobThread.pause (ms); }
    void showJobProgress (double fraction) override { panel.setJobProgress (fraction); }

    void showJobStatus (const juce::String& status, const juce::String& pace) override
    {
        panel.setJobStatus (pace.isEmpty() ? status : status + "\n" + pace);

        if (panel.onStatusMessage != nullptr)
            panel.onStatusMessage (status);
    }

    int ask (const TransferQuestion& question) override { return panel.askFromWorker (question); }

    void presetHeaderRead (const DevicePresetEntry& header) override
    {
        panel.addDevicePreset (header.number, header.name, header.version);
    }

    void presetFileVersionRead (juce::int16 version) override { panel.lastFileVersion = version; }

    void presetDone (int slot, const juce::String&, int result) override
    {
        if (result >= 0)
            panel.slotsTouched.add (slot);
    }

    void wholePresetRead (const PresetData& preset) override { panel.wholePresets.push_back (preset); }

private:
    PresetLibrarianManager& panel;
};

void PresetLibrarianManager::runJobBody()
{
    WorkerHost host { *this };
    jobOutcome = TransferJobRunner (*presetManager, host, &transferLog, services.timings).run (job);
    lastResult = jobOutcome.result;

    if (job.kind == TransferKind::Send)
        numbers = jobOutcome.slotsToReadBack;
}

juce::String PresetLibrarianManager::jobNameOf (TransferKind kind)
{
    switch (kind)
    {
        case TransferKind::ReadAndSave: return "Save";
        case TransferKind::Send: return "Load";
        case TransferKind::ReadSelectedNames:
        case TransferKind::ReadListedNames: return "Read names";
        case TransferKind::ReadWhole: return "Compare";
        case TransferKind::none: break;
    }

    return {};
}

void PresetLibrarianManager::CancelWake::exitSignalSent()
{
    // Called on the thread that ends the job: the message thread for Cancel, or the worker.
    if (panel.presetManager != nullptr)
        panel.presetManager->wakeExchangeWaiter();
}

int PresetLibrarianManager::askFromWorker (const TransferQuestion& question)
{
    // Shared with the call on the message thread, which may outlive this wait if the job is
    // abandoned while the box is up.
    struct PendingAnswer
    {
        juce::WaitableEvent answered;
        std::atomic<int> value { 0 };
    };

    auto pending = std::make_shared<PendingAnswer>();
    pending->value = question.buttons.back().value; // what Escape would answer

    juce::MessageManager::callAsync (
        [pending, &dialogs = services.dialogs, question]
        {
            pending->value = dialogs.ask (question);
            pending->answered.signal();
        });

    while (! pending->answered.wait (answerCheckMs))
        if (jobThread.shouldEnd())
            break;

    return pending->value;
}
