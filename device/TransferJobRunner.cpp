// The transfer job's loop: what the librarian's worker thread and the command line run.

#include "device/TransferJobRunner.h"

#include "device/JobPace.h"
#include "device/PresetComparison.h"
#include "device/PresetManager.h"
#include "device/TransferLog.h"
#include "presets/PresetFile.h"
#include "presets/SnapshotFolders.h"

namespace
{
    // From here on a full transfer is looked at as often as a name read.
    constexpr double nearlyDone = 0.9;

    // A failed preset is tried again up to three times, four attempts in all.
    constexpr int maxRetries = 3;

    // The watch thread wakes at once when stopped; this only bounds one that does not.
    constexpr int watchThreadStopMs = 1000;

    juce::String statusLine (const juce::String& prefix, int slot, int retries)
    {
        return prefix + juce::String (slot) + (retries > 0 ? "-" + juce::String (retries) : juce::String());
    }

    PresetWriteMode writeModeFor (int answer)
    {
        switch (answer)
        {
            case TransferQuestion::overwriteFile: return PresetWriteMode::Overwrite;
            case TransferQuestion::skipFile: return PresetWriteMode::Skip;
            default: return PresetWriteMode::CreateCopy;
        }
    }
} // namespace

juce::String TransferJobOutcome::wordFor (int result)
{
    if (result >= 0)
        return "done";

    switch (result)
    {
        case ExchangeOutcome::checksumFailed: return "Checksum failed";
        case ExchangeOutcome::deviceError: return "Error";
        case ExchangeOutcome::timeout: return "Timeout";
        case TransferResult::saveFailed: return "Save failed";
        case TransferResult::verifyFailed: return "Verify failed";
        default: return {};
    }
}

juce::String TransferJobOutcome::word() const
{
    return cancelled ? juce::String ("Canceled") : wordFor (result);
}

//==============================================================================
TransferJobRunner::TransferJobRunner (PresetManager& presetManager, TransferJobHost& jobHost,
                                      TransferLog* transferLog, const LibrarianTimings& librarianTimings)
    : manager (presetManager), host (jobHost), log (transferLog), timings (librarianTimings)
{
}

TransferJobOutcome TransferJobRunner::run (const TransferJob& jobToRun)
{
    // Each job reports its own outcome: one whose presets were all skipped ran no exchange, and
    // must not report the failure of the job before it.
    job = jobToRun;
    outcome = {};
    exchangeEndedFromOutside = false;
    snapshotFolder = juce::File();
    statusText.clear();
    paceText.clear();

    const auto startedAt = JobPace::now();
    runJob();

    // Cancelled is what happened only when the job was ended from outside: a failure ends it too.
    outcome.cancelled =
        (exchangeEndedFromOutside && outcome.result < 0) || (outcome.result >= 0 && host.jobShouldEnd());

    if (log != nullptr)
    {
        const auto presets =
            job.kind == TransferKind::ReadListedNames ? job.listedSlots.size() : job.selection.slots.size();
        log->logJob (job.name, presets, outcome.word(), JobPace::now() - startedAt);
    }

    return outcome;
}

void TransferJobRunner::runJob()
{
    if (! manager.isDeviceReachable())
    {
        // No preset is touched; the job still needs an outcome, and it is not success.
        outcome.result = ExchangeOutcome::deviceError;
        host.endJob();
        return;
    }

    switch (job.kind)
    {
        case TransferKind::ReadAndSave: saveDevicePresets(); break;
        case TransferKind::Send: sendPresetFiles(); break;

        case TransferKind::ReadSelectedNames:
        {
            juce::Array<int> slotNumbers;

            for (const auto& slot : job.selection.slots)
                slotNumbers.add (slot.number);

            readNames (slotNumbers);
            break;
        }

        case TransferKind::ReadListedNames: readNames (job.listedSlots); break;
        case TransferKind::ReadWhole: readWholePresets(); break;
        case TransferKind::none: break;
    }
}

void TransferJobRunner::showStatus (const juce::String& text)
{
    statusText = text;
    host.showJobStatus (statusText, paceText);
}

void TransferJobRunner::showPace (const JobPace& pace, int position, int done)
{
    paceText = pace.describe (position, done);
    host.showJobStatus (statusText, paceText);
}

//==============================================================================
void TransferJobRunner::beginJob()
{
    host.showJobProgress (0.0);
    paceText.clear();

    // The device wants a moment between the window coming up and the first request.
    host.pauseJob (timings.pauseBeforeJobMs);
    host.showJobProgress (0.0);
}

bool TransferJobRunner::jobMustEnd()
{
    if (! host.jobShouldEnd())
        return false;

    manager.stopThread (watchThreadStopMs);
    return true;
}

void TransferJobRunner::awaitExchange (bool started, bool sending, bool quick)
{
    if (! started)
    {
        // Nothing was sent, so the preset failed; the job ends at the next preset.
        outcome.result = ExchangeOutcome::deviceError;
        host.endJob();
        return;
    }

    for (;;)
    {
        outcome.result = sending ? manager.takeSendResult() : manager.takeReceiveResult();

        if (outcome.result != ExchangeOutcome::running)
            return;

        // Cancel is not left to wait for the device: the librarian's progress window allows the
        // worker only so long to stop, and a half-read preset must never be taken for a whole
        // one. The librarian's Cancel also wakes this wait (see its CancelWake).
        if (host.jobShouldEnd())
        {
            manager.endExchange();
            exchangeEndedFromOutside = true;
        }

        manager.waitForExchangeEnd (quick || manager.getProgress() > nearlyDone ? timings.quickLookMs
                                                                                : timings.slowLookMs);
    }
}

bool TransferJobRunner::shouldRetry (int& retries)
{
    const auto failed =
        outcome.result == ExchangeOutcome::checksumFailed || outcome.result == ExchangeOutcome::deviceError ||
        outcome.result == ExchangeOutcome::timeout || outcome.result == TransferResult::verifyFailed;

    if (failed && retries < maxRetries && ! host.jobShouldEnd())
    {
        ++retries;
        return true;
    }

    if (outcome.result < 0)
        host.endJob();

    retries = 0;
    return false;
}

void TransferJobRunner::readSlotsWhole (const std::function<void()>& useWholePreset)
{
    const auto& slots = job.selection.slots;
    const auto count = slots.size();

    beginJob();
    showStatus ("Reading preset ");

    const JobPace pace (count);
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

        // A read cut short by Cancel or a fault is no preset: only a whole one is handed on.
        if (outcome.result >= 0)
            useWholePreset();

        if (shouldRetry (retries))
            continue;

        host.presetDone (slot, outcome.result >= 0 ? manager.received.name : slots.getReference (i).name,
                         outcome.result);
        ++i;
        host.showJobProgress ((double) i / count);
    }

    showStatus ("Reading preset ");
    // Leaves the last status on screen long enough to be read before the window closes.
    host.pauseJob (timings.pauseAfterTransferMs);
}

void TransferJobRunner::saveDevicePresets()
{
    const auto folder = job.presetFolder.getFullPathName();
    const auto offerApplyToAll = job.selection.slots.size() >= 2;
    StandingAnswer fileAnswer;

    readSlotsWhole (
        [&]
        {
            // Nothing is asked about a file that will not be written: that would only mislead.
            if (host.jobShouldEnd())
                return;

            auto mode = PresetWriteMode::Overwrite;

            if (presetFileExists (folder, manager.received))
                mode = writeModeFor (fileAnswer.get (
                    [&] {
                        return host.ask (TransferQuestion::fileExists (presetFileName (manager.received),
                                                                       offerApplyToAll));
                    }));

            if (! host.jobShouldEnd() && ! writePresetFile (folder, manager.received, mode))
                outcome.result = TransferResult::saveFailed;
        });
}

void TransferJobRunner::readWholePresets()
{
    readSlotsWhole ([this] { host.wholePresetRead (manager.received); });
}

void TransferJobRunner::sendPresetFiles()
{
    const auto folder = job.presetFolder.getFullPathName();
    const auto& slots = job.selection.slots;
    const auto count = juce::jmin (slots.size(), job.selection.fileNames.size());

    beginJob();
    showStatus ("Sending preset ");

    const JobPace pace (count);

    // All 99 slots at once is a restore of the whole device, and so is a set the user confirmed
    // as one: nothing is asked per slot.
    StandingAnswer slotAnswer { job.selection.wholeDeviceConfirmed || slots.size() == kPresetSlotCount,
                                TransferQuestion::overwriteSlot };
    auto retries = 0;
    auto slotReached = false;   // an attempt on the current slot has sent something to the device
    auto snapshotTaken = false; // the current slot's old content is safe in the snapshot folder

    for (int k = 0; k < count;)
    {
        if (jobMustEnd())
            return;

        const auto& slot = slots.getReference (k);
        const auto answer =
            slotAnswer.get ([&] { return host.ask (TransferQuestion::slotOverwrite (slot, count >= 2)); });

        if (answer == TransferQuestion::skipSlot || host.jobShouldEnd())
        {
            retries = 0;
            ++k;
            continue;
        }

        showStatus (statusLine ("Sending preset ", slot.number, retries));
        showPace (pace, k + 1, k);

        const auto& fileName = job.selection.fileNames[k];
        const auto preset = readPresetFile (folder, fileName);

        if (! preset.has_value())
        {
            // The file went away or was spoilt since the folder was scanned; nothing was sent,
            // and that is not a success.
            outcome.result = ExchangeOutcome::deviceError;
            outcome.failureNotice = fileName + " could not be read as a preset file.";
            host.presetDone (slot.number, fileName, outcome.result);
            break;
        }

        // The device's version as the names read from it tell it. The record of the last read
        // is emptied whenever a read fails or is cancelled, and its version of 0 would make
        // every file "incompatible" until the names were read again.
        const auto devicePresetVersion = job.deviceVersion > 0 ? job.deviceVersion : manager.received.version;

        host.presetFileVersionRead (preset->version);

        if (preset->version != devicePresetVersion)
        {
            host.ask (TransferQuestion::warning (fileName, "Incompatible preset file format (" +
                                                               juce::String (preset->version) + "," +
                                                               juce::String (devicePresetVersion) + ")"));
            retries = 0;
            ++k;
            continue;
        }

        if (const auto* offTheWire = PresetManager::findParameterOffTheWire (*preset))
        {
            // The device is not at fault: this file cannot be sent at all, and the next may be.
            host.ask (TransferQuestion::warning (
                fileName, "Cannot send this preset: parameter " + juce::String (offTheWire->index) +
                              " with the value " + juce::String (offTheWire->value) +
                              " lies outside what the Tonarel can receive."));
            retries = 0;
            ++k;
            continue;
        }

        // The slot's old content is kept before anything is written over it, once per slot: a
        // retried send must not take the half-written slot for its old content.
        if (job.options.keepSnapshot && ! snapshotTaken)
        {
            if (! takeSnapshot (slot.number))
            {
                // The slot was not touched; the job ends as after any failed exchange.
                host.presetDone (slot.number, fileName, outcome.result);
                host.endJob();
                break;
            }

            snapshotTaken = true;
        }

        outcome.failureNotice.clear();
        manager.outgoing = *preset;

        const auto startedAt = JobPace::now();
        const auto started = manager.sendPreset ((juce::int16) slot.number);
        awaitExchange (started, true, false);
        logAttempt ("send", slot.number, fileName, retries, startedAt);
        slotReached = slotReached || started;

        auto verified = false;

        if (outcome.result >= 0 && job.options.verifyAfterLoading && ! host.jobShouldEnd())
            verified = verifySlot (slot.number, fileName, *preset, retries);

        if (shouldRetry (retries))
            continue;

        host.presetDone (slot.number, fileName, outcome.result);

        // Its name is read back afterwards: a slot that was being written when the job was
        // cancelled or failed may hold the new preset, or part of it. A verified slot was just
        // read whole, so its name is known already.
        if (slotReached && ! verified)
            outcome.slotsToReadBack.add (slot.number);

        slotReached = false;
        snapshotTaken = false;

        ++k;
        host.showJobProgress (k / (count + 0.1));
    }

    showStatus ("Sending preset ");
    // Leaves the last status on screen long enough to be read before the window closes.
    host.pauseJob (timings.pauseAfterTransferMs);
}

bool TransferJobRunner::takeSnapshot (int slot)
{
    for (auto retries = 0;;)
    {
        const auto startedAt = JobPace::now();
        awaitExchange (manager.requestPreset ((juce::int16) slot, false), false, false);
        logAttempt ("snapshot", slot, {}, retries, startedAt);

        if (outcome.result >= 0 && ! host.jobShouldEnd())
            break;

        // shouldRetry ends the job when the tries are used up.
        if (! shouldRetry (retries))
        {
            if (outcome.result < 0 && ! exchangeEndedFromOutside)
                outcome.failureNotice =
                    "Preset " + juce::String (slot) + " was not overwritten: its snapshot could not be read.";

            return false;
        }
    }

    // One folder per job, made only once there is something to keep in it.
    if (snapshotFolder == juce::File())
        snapshotFolder = SnapshotFolders::create (job.snapshotsFolder, juce::Time::getCurrentTime());

    if (snapshotFolder == juce::File() ||
        ! writePresetFile (snapshotFolder.getFullPathName(), manager.received, PresetWriteMode::Overwrite))
    {
        outcome.result = TransferResult::saveFailed;
        outcome.failureNotice = "Preset " + juce::String (slot) +
                                " was not overwritten: its snapshot could not be saved in " +
                                job.snapshotsFolder.getFullPathName() + ".";
        return false;
    }

    return true;
}

bool TransferJobRunner::verifySlot (int slot, const juce::String& fileName, const PresetData& sent,
                                    int retries)
{
    const auto startedAt = JobPace::now();
    awaitExchange (manager.requestPreset ((juce::int16) slot, false), false, false);

    // The device checks only the header's checksum: a parameter spoilt on the way is stored as
    // it arrived, and only reading the slot back shows it.
    auto verified = false;

    if (outcome.result >= 0 && ! host.jobShouldEnd())
    {
        const auto differences = comparePresets (sent, manager.received);
        verified = differences.isEmpty();

        if (verified)
        {
            outcome.verifiedSlots.add ({ slot, manager.received.name, manager.received.version });
        }
        else
        {
            outcome.result = TransferResult::verifyFailed;
            outcome.failureNotice = "Preset " + juce::String (slot) + " (" + fileName +
                                    ") did not arrive as it was sent: " + differences.summary() + ".";
        }
    }

    logAttempt ("verify", slot, fileName, retries, startedAt);
    return verified;
}

void TransferJobRunner::readNames (const juce::Array<int>& slotNumbers)
{
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

        if (outcome.result < 0)
            host.endJob();

        // A failed read leaves a cleared header (number 0), which the merge passes over.
        host.presetHeaderRead ({ manager.received.number, manager.received.name, manager.received.version });
        host.showJobProgress ((double) (i + 1) / slotNumbers.size());
    }
}

void TransferJobRunner::logAttempt (const juce::String& exchange, int slot, const juce::String& fileName,
                                    int retries, double startedAt)
{
    TransferLog::Attempt attempt;
    attempt.job = job.name;
    attempt.exchange = exchange;
    attempt.slot = slot;
    attempt.fileName = fileName;
    attempt.attempt = retries + 1;
    attempt.outcome = exchangeEndedFromOutside && outcome.result < 0
                          ? juce::String ("Canceled")
                          : TransferJobOutcome::wordFor (outcome.result);
    attempt.seconds = JobPace::now() - startedAt;

    if (outcome.result < 0)
        attempt.frames = manager.describeRecentFrames();

    if (log != nullptr)
        log->logAttempt (attempt);
}
