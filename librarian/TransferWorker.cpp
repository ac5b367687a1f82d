// The transfer worker: the body of the panel's progress-window thread. It handles a job preset by
// preset through the preset manager, one exchange at a time.

#include "librarian/PresetLibrarianManager.h"

#include "device/JobPace.h"
#include "device/PresetComparison.h"
#include "device/PresetManager.h"
#include "presets/PresetFile.h"
#include "presets/SnapshotFolders.h"

namespace
{
    // From here on a full transfer is looked at as often as a name read.
    constexpr double nearlyDone = 0.9;

    // A failed preset is tried again up to three times, four attempts in all.
    constexpr int maxRetries = 3;

    // While the worker waits for an answer, it looks this often whether the job was abandoned.
    constexpr int answerCheckMs = 50;

    // The watch thread wakes at once when stopped; this only bounds one that does not.
    constexpr int watchThreadStopMs = 1000;

    // The values the overwrite questions return for their buttons.
    enum FileAnswer
    {
        createCopy = 0,
        overwriteFile = 1,
        skipFile = 2
    };

    enum SlotAnswer
    {
        skipSlot = 0,
        overwriteSlot = 1
    };

    /** The answer to a job's overwrite question. A ticked "Apply To All" makes it stand for the
        rest of the job, so the question is not asked again.
    */
    struct StandingAnswer
    {
        bool appliesToAll = false;
        int answer = 0;

        template <typename Ask>
        int get (Ask&& ask)
        {
            if (! appliesToAll)
            {
                answer = ask();
                appliesToAll = answer >= Dialogs::applyToAllBonus;

                if (appliesToAll)
                    answer -= Dialogs::applyToAllBonus;
            }

            return answer;
        }
    };

    juce::String statusLine (const juce::String& prefix, int slot, int retries)
    {
        return prefix + juce::String (slot) + (retries > 0 ? "-" + juce::String (retries) : juce::String());
    }

    PresetWriteMode writeModeFor (int answer)
    {
        switch (answer)
        {
            case overwriteFile: return PresetWriteMode::Overwrite;
            case skipFile: return PresetWriteMode::Skip;
            default: return PresetWriteMode::CreateCopy;
        }
    }
} // namespace

void PresetLibrarianManager::run()
{
    // Each job reports its own outcome: one whose presets were all skipped ran no exchange, and
    // must not report the failure of the job before it.
    lastResult = 0;
    exchangeCancelled = false;

    const auto startedAt = JobPace::now();
    const auto presetCount = kind == TransferKind::ReadListedNames ? numbers.size() : selection.slots.size();

    runTransferJob();

    const auto outcome = exchangeCancelled && lastResult < 0 ? juce::String ("Canceled")
                         : lastResult < 0  ? outcomeWord (lastResult)
                         : threadShouldExit() ? juce::String ("Canceled")
                                              : juce::String ("done");
    transferLog.logJob (jobName(), presetCount, outcome, JobPace::now() - startedAt);
}

void PresetLibrarianManager::runTransferJob()
{
    if (! presetManager->isDeviceReachable())
    {
        // No preset is touched; the command still needs an outcome, and it is not success.
        lastResult = ExchangeOutcome::deviceError;
        signalThreadShouldExit();
        return;
    }

    switch (kind)
    {
        case TransferKind::ReadAndSave: saveDevicePresets(); break;
        case TransferKind::Send: sendPresetFiles(); break;

        case TransferKind::ReadSelectedNames:
        {
            juce::Array<int> slotNumbers;

            for (const auto& slot : selection.slots)
                slotNumbers.add (slot.number);

            readNames (slotNumbers);
            break;
        }

        case TransferKind::ReadListedNames: readNames (numbers); break;
        case TransferKind::none: break;
    }
}

void PresetLibrarianManager::CancelWake::exitSignalSent()
{
    // Called on the thread that ends the job: the message thread for Cancel, or the worker.
    if (panel.presetManager != nullptr)
        panel.presetManager->wakeExchangeWaiter();
}

//==============================================================================
void PresetLibrarianManager::beginJob()
{
    setJobProgress (0.0);
    paceText.clear();

    // The device wants a moment between the window coming up and the first request.
    wait (services.timings.pauseBeforeJobMs);
    setJobProgress (0.0);
}

void PresetLibrarianManager::showStatus (const juce::String& text)
{
    statusText = text;
    setStatusMessage (paceText.isEmpty() ? statusText : statusText + "\n" + paceText);

    if (onStatusMessage != nullptr)
        onStatusMessage (text);
}

void PresetLibrarianManager::showPace (const JobPace& pace, int position, int done)
{
    paceText = pace.describe (position, done);
    showStatus (statusText);
}

juce::String PresetLibrarianManager::jobName() const
{
    switch (kind)
    {
        case TransferKind::ReadAndSave: return "Save";
        case TransferKind::Send: return "Load";
        case TransferKind::ReadSelectedNames:
        case TransferKind::ReadListedNames: return "Read names";
        case TransferKind::none: break;
    }

    return {};
}

void PresetLibrarianManager::logAttempt (const juce::String& exchange, int slot, const juce::String& fileName,
                                         int retries, double startedAt)
{
    TransferLog::Attempt attempt;
    attempt.job = jobName();
    attempt.exchange = exchange;
    attempt.slot = slot;
    attempt.fileName = fileName;
    attempt.attempt = retries + 1;
    attempt.outcome = exchangeCancelled && lastResult < 0 ? juce::String ("Canceled") : outcomeWord (lastResult);
    attempt.seconds = JobPace::now() - startedAt;

    if (lastResult < 0)
        attempt.frames = presetManager->describeRecentFrames();

    transferLog.logAttempt (attempt);
}

bool PresetLibrarianManager::jobMustEnd()
{
    if (! threadShouldExit())
        return false;

    presetManager->stopThread (watchThreadStopMs);
    return true;
}

void PresetLibrarianManager::awaitExchange (bool started, bool sending, bool quick)
{
    auto& manager = *presetManager;

    if (! started)
    {
        // Nothing was sent, so the preset failed; the job ends at the next preset.
        lastResult = ExchangeOutcome::deviceError;
        signalThreadShouldExit();
        return;
    }

    for (;;)
    {
        lastResult = sending ? manager.takeSendResult() : manager.takeReceiveResult();

        if (lastResult != ExchangeOutcome::running)
            return;

        // Cancel is not left to wait for the device: the progress window allows the worker only
        // so long to stop, and a half-read preset must never be taken for a whole one. Cancel
        // also wakes this wait (see the panel's CancelWake).
        if (threadShouldExit())
        {
            manager.endExchange();
            exchangeCancelled = true;
        }

        const auto& timings = services.timings;
        manager.waitForExchangeEnd (quick || manager.getProgress() > nearlyDone ? timings.quickLookMs
                                                                                : timings.slowLookMs);
    }
}

bool PresetLibrarianManager::shouldRetry (int& retries)
{
    const auto failed = lastResult == ExchangeOutcome::checksumFailed || lastResult == ExchangeOutcome::deviceError ||
                        lastResult == ExchangeOutcome::timeout || lastResult == TransferResult::verifyFailed;

    if (failed && retries < maxRetries && ! threadShouldExit())
    {
        ++retries;
        return true;
    }

    if (lastResult < 0)
        signalThreadShouldExit();

    retries = 0;
    return false;
}

int PresetLibrarianManager::askFromWorker (Dialogs::Icon icon, const juce::String& title,
                                           const juce::String& message, std::vector<Dialogs::Choice> buttons,
                                           bool offerApplyToAll)
{
    // Shared with the call on the message thread, which may outlive this wait if the job is
    // abandoned while the box is up.
    struct PendingAnswer
    {
        juce::WaitableEvent answered;
        std::atomic<int> value { 0 };
    };

    auto pending = std::make_shared<PendingAnswer>();
    pending->value = buttons.back().value; // what Escape would answer

    juce::MessageManager::callAsync (
        [pending, &dialogs = services.dialogs, icon, title, message, buttons, offerApplyToAll]
        {
            pending->value = dialogs.ask (icon, title, message, buttons, offerApplyToAll);
            pending->answered.signal();
        });

    while (! pending->answered.wait (answerCheckMs))
        if (threadShouldExit())
            break;

    return pending->value;
}

//==============================================================================
void PresetLibrarianManager::saveDevicePresets()
{
    auto& manager = *presetManager;
    const auto& slots = selection.slots;
    const auto count = slots.size();

    beginJob();
    showStatus ("Reading preset ");

    const JobPace pace (count);
    StandingAnswer fileAnswer;
    auto retries = 0;

    for (int i = 0; i < count;)
    {
        if (jobMustEnd())
            return;

        const auto slot = slots.getReference (i).number;
        showStatus (statusLine ("Reading preset ", slot, retries));
        showPace (pace, i + 1, i);

        const auto startedAt = JobPace::now();
        awaitExchange (manager.requestPreset ((juce::int16) slot, false), false, false);
        logAttempt ("read", slot, {}, retries, startedAt);

        // Only a preset that was read whole is offered for writing: asking about a file that
        // will not be written would only mislead.
        if (lastResult >= 0 && ! threadShouldExit())
        {
            auto mode = PresetWriteMode::Overwrite;

            if (presetFileExists (manager.presetFolder, manager.received))
                mode = writeModeFor (fileAnswer.get (
                    [&]
                    {
                        return askFromWorker (Dialogs::Icon::question, {},
                                              presetFileName (manager.received) + " already exists.",
                                              { { "Overwrite", overwriteFile },
                                                { "Skip", skipFile },
                                                { "Create Copy", createCopy } },
                                              count >= 2);
                    }));

            if (! threadShouldExit() && ! writePresetFile (manager.presetFolder, manager.received, mode))
                lastResult = TransferResult::saveFailed;
        }

        if (shouldRetry (retries))
            continue;

        ++i;
        setJobProgress ((double) i / count);
    }

    showStatus ("Reading preset ");
    // Leaves the last status on screen long enough to be read before the window closes.
    wait (services.timings.pauseAfterTransferMs);
}

void PresetLibrarianManager::sendPresetFiles()
{
    auto& manager = *presetManager;
    const auto& slots = selection.slots;
    const auto count = juce::jmin (slots.size(), selection.fileNames.size());

    beginJob();
    showStatus ("Sending preset ");

    const JobPace pace (count);

    // All 99 slots at once is a restore of the whole device: nothing is asked per slot.
    StandingAnswer slotAnswer { slots.size() == kPresetSlotCount, overwriteSlot };
    auto retries = 0;
    auto slotReached = false; // an attempt on the current slot has sent something to the device
    auto snapshotTaken = false; // the current slot's old content is safe in the snapshot folder
    juce::File snapshotFolder;

    for (int k = 0; k < count;)
    {
        if (jobMustEnd())
            return;

        const auto& slot = slots.getReference (k);
        const auto answer = slotAnswer.get (
            [&]
            {
                return askFromWorker (Dialogs::Icon::question, {},
                                      "Overwrite \"" + slot.name + "\" (#" + juce::String (slot.number) +
                                          ") in Tonarel?",
                                      { { "Overwrite", overwriteSlot }, { "Skip", skipSlot } }, count >= 2);
            });

        if (answer == skipSlot || threadShouldExit())
        {
            retries = 0;
            ++k;
            continue;
        }

        showStatus (statusLine ("Sending preset ", slot.number, retries));
        showPace (pace, k + 1, k);

        const auto& fileName = selection.fileNames[k];
        const auto preset = readPresetFile (manager.presetFolder, fileName);

        if (! preset.has_value())
        {
            // The file went away or was spoilt since the folder was scanned; nothing was sent,
            // and that is not a success.
            lastResult = ExchangeOutcome::deviceError;
            break;
        }

        // The device's version as the names read from it tell it. The record of the last read
        // is emptied whenever a read fails or is cancelled, and its version of 0 would make
        // every file "incompatible" until the names were read again.
        const auto devicePresetVersion =
            deviceVersion.load() > 0 ? deviceVersion.load() : manager.received.version;

        lastFileVersion = preset->version;

        if (preset->version != devicePresetVersion)
        {
            askFromWorker (Dialogs::Icon::warning, fileName,
                           "Incompatible preset file format (" + juce::String (preset->version) +
                               "," + juce::String (devicePresetVersion) + ")",
                           { { "Ok", 0 } }, false);
            retries = 0;
            ++k;
            continue;
        }

        if (const auto* offTheWire = PresetManager::findParameterOffTheWire (*preset))
        {
            // The device is not at fault: this file cannot be sent at all, and the next may be.
            askFromWorker (Dialogs::Icon::warning, fileName,
                           "Cannot send this preset: parameter " + juce::String (offTheWire->index) +
                               " with the value " + juce::String (offTheWire->value) +
                               " lies outside what the Tonarel can receive.",
                           { { "Ok", 0 } }, false);
            retries = 0;
            ++k;
            continue;
        }

        // The slot's old content is kept before anything is written over it, once per slot: a
        // retried send must not take the half-written slot for its old content.
        if (options.keepSnapshot && ! snapshotTaken)
        {
            if (! takeSnapshot (slot.number, snapshotFolder))
            {
                // The slot was not touched; the job ends as after any failed exchange.
                signalThreadShouldExit();
                break;
            }

            snapshotTaken = true;
        }

        failureNotice.clear();
        manager.outgoing = *preset;

        const auto startedAt = JobPace::now();
        const auto started = manager.sendPreset ((juce::int16) slot.number);
        awaitExchange (started, true, false);
        logAttempt ("send", slot.number, fileName, retries, startedAt);
        slotReached = slotReached || started;

        auto verified = false;

        if (lastResult >= 0 && options.verifyAfterLoading && ! threadShouldExit())
            verified = verifySlot (slot.number, fileName, *preset, retries);

        if (shouldRetry (retries))
            continue;

        // Its name is read back afterwards: a slot that was being written when the job was
        // cancelled or failed may hold the new preset, or part of it. A verified slot was just
        // read whole, so its name is known already.
        if (slotReached && ! verified)
            numbers.add (slot.number);

        slotReached = false;
        snapshotTaken = false;

        ++k;
        setJobProgress (k / (count + 0.1));
    }

    showStatus ("Sending preset ");
    // Leaves the last status on screen long enough to be read before the window closes.
    wait (services.timings.pauseAfterTransferMs);
}

bool PresetLibrarianManager::takeSnapshot (int slot, juce::File& snapshotFolder)
{
    auto& manager = *presetManager;

    for (auto retries = 0;;)
    {
        const auto startedAt = JobPace::now();
        awaitExchange (manager.requestPreset ((juce::int16) slot, false), false, false);
        logAttempt ("snapshot", slot, {}, retries, startedAt);

        if (lastResult >= 0 && ! threadShouldExit())
            break;

        // shouldRetry ends the job when the tries are used up.
        if (! shouldRetry (retries))
        {
            if (lastResult < 0 && ! exchangeCancelled)
                failureNotice = "Preset " + juce::String (slot) + " was not overwritten: its snapshot could not be read.";

            return false;
        }
    }

    // One folder per job, made only once there is something to keep in it.
    if (snapshotFolder == juce::File())
        snapshotFolder = SnapshotFolders::create (configuration.getSnapshotsFolder(), juce::Time::getCurrentTime());

    if (snapshotFolder == juce::File() ||
        ! writePresetFile (snapshotFolder.getFullPathName(), manager.received, PresetWriteMode::Overwrite))
    {
        lastResult = TransferResult::saveFailed;
        failureNotice = "Preset " + juce::String (slot) + " was not overwritten: its snapshot could not be saved in " +
                        configuration.getSnapshotsFolder().getFullPathName() + ".";
        return false;
    }

    return true;
}

bool PresetLibrarianManager::verifySlot (int slot, const juce::String& fileName, const PresetData& sent, int retries)
{
    auto& manager = *presetManager;

    const auto startedAt = JobPace::now();
    awaitExchange (manager.requestPreset ((juce::int16) slot, false), false, false);

    // The device checks only the header's checksum: a parameter spoilt on the way is stored as
    // it arrived, and only reading the slot back shows it.
    auto verified = false;

    if (lastResult >= 0 && ! threadShouldExit())
    {
        const auto differences = comparePresets (sent, manager.received);
        verified = differences.isEmpty();

        if (verified)
        {
            verifiedSlots.add ({ slot, manager.received.name, manager.received.version });
        }
        else
        {
            lastResult = TransferResult::verifyFailed;
            failureNotice = "Preset " + juce::String (slot) + " (" + fileName +
                            ") did not arrive as it was sent: " + differences.summary() + ".";
        }
    }

    logAttempt ("verify", slot, fileName, retries, startedAt);
    return verified;
}

void PresetLibrarianManager::readNames (const juce::Array<int>& slotNumbers)
{
    auto& manager = *presetManager;

    beginJob();
    showStatus ("Reading Presets");

    const JobPace pace (slotNumbers.size());

    for (int i = 0; i < slotNumbers.size(); ++i)
    {
        if (jobMustEnd())
            return;

        showPace (pace, i + 1, i);

        const auto startedAt = JobPace::now();
        awaitExchange (manager.requestPreset ((juce::int16) slotNumbers[i], true), false, true);
        logAttempt ("read name", slotNumbers[i], {}, 0, startedAt);

        if (lastResult < 0)
            signalThreadShouldExit();

        // A failed read leaves a cleared header (number 0), which the merge passes over.
        addDevicePreset (manager.received.number, manager.received.name, manager.received.version);
        setJobProgress ((double) (i + 1) / slotNumbers.size());
    }
}
