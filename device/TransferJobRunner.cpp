// The transfer job's loop: what the librarian's worker thread and the command line run.

#include "device/TransferJobRunner.h"

#include "device/JobPace.h"
#include "device/PresetComparison.h"
#include "device/PresetFileProblems.h"
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
        case TransferResult::cancelled: return "Canceled";
        case TransferResult::fileUnreadable: return "Unreadable file";
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
    outcome.kind = job.kind;
    exchangeEndedFromOutside = false;
    snapshotFolder = juce::File();
    statusText.clear();
    paceText.clear();
    secondsAsking = 0.0;

    const auto startedAt = JobPace::now();
    runJob();

    // The last exchange's result can be in before its watch thread has returned. The job is over
    // only once that thread is too: the next job's first request is refused while it still runs.
    manager.stopThread (watchThreadStopMs);

    // Cancelled is what happened only when the job was ended from outside: a failure ends it too.
    outcome.cancelled = outcome.result == TransferResult::cancelled ||
                        (exchangeEndedFromOutside && outcome.result < 0) ||
                        (outcome.result >= 0 && host.jobShouldEnd());
    outcome.snapshotFolder = snapshotFolder;

    if (log != nullptr)
    {
        const auto presets = job.kind == TransferKind::ReadListedNames ? job.listedSlots.size()
                             : job.kind == TransferKind::Arrange       ? (int) job.arrangement.size()
                                                                       : job.selection.slots.size();
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
        case TransferKind::Arrange: arrangeSlots(); break;
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
    paceText = pace.describe (position, done, paceClock());
    host.showJobStatus (statusText, paceText);
}

double TransferJobRunner::paceClock() const
{
    // The time the user took to answer is not the device's pace.
    return clock() - secondsAsking;
}

int TransferJobRunner::ask (const TransferQuestion& question)
{
    const auto askedAt = clock();
    const auto answer = host.ask (question);
    secondsAsking += clock() - askedAt;
    return answer;
}

void TransferJobRunner::reportDone (int slot, const juce::String& nameOrFile, int result)
{
    if (result >= 0)
        ++outcome.presetsDone;
    else if (outcome.failedSlot == 0)
        outcome.failedSlot = slot;

    host.presetDone (slot, nameOrFile, result);
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

void TransferJobRunner::awaitExchange (bool started, bool sending, bool quick, bool mayBeCut)
{
    if (! started)
    {
        // Nothing was sent, so the preset failed; the job ends at the next preset.
        outcome.result = ExchangeOutcome::deviceError;

        if (mayBeCut)
            host.endJob();

        return;
    }

    for (;;)
    {
        outcome.result = sending ? manager.takeSendResult() : manager.takeReceiveResult();

        if (outcome.result != ExchangeOutcome::running)
        {
            // An exchange cut short from outside is no failure of the device: the job was ended.
            if (exchangeEndedFromOutside && outcome.result < 0)
                outcome.result = TransferResult::cancelled;

            return;
        }

        // Cancel is not left to wait for the device: the librarian's progress window allows the
        // worker only so long to stop, and a half-read preset must never be taken for a whole
        // one. The librarian's Cancel also wakes this wait (see its CancelWake).
        if (mayBeCut && host.jobShouldEnd())
        {
            manager.endExchange();
            exchangeEndedFromOutside = true;
        }

        manager.waitForExchangeEnd (quick || manager.getProgress() > nearlyDone ? timings.quickLookMs
                                                                                : timings.slowLookMs);
    }
}

PresetData TransferJobRunner::readSlot (int slot, bool nameOnly, bool mayBeCut)
{
    awaitExchange (manager.requestPreset ((juce::int16) slot, nameOnly), false, nameOnly, mayBeCut);
    auto preset = manager.takeReceivedPreset();

    // A whole read tells the device's preset format; a failed one hands on an emptied header.
    if (outcome.result >= 0 && preset.version > 0)
        lastDeviceVersion = preset.version;

    return preset;
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

void TransferJobRunner::readSlotsWhole (const std::function<void (const PresetData&)>& useWholePreset)
{
    const auto& slots = job.selection.slots;
    const auto count = slots.size();

    beginJob();
    showStatus ("Reading preset ");

    const JobPace pace (count, paceClock());
    auto retries = 0;

    for (int i = 0; i < count;)
    {
        if (jobMustEnd())
            return;

        const auto slot = slots.getReference (i).number;
        showStatus (statusLine ("Reading preset ", slot, retries));
        showPace (pace, i + 1, i);

        const auto startedAt = JobPace::now();
        const auto preset = readSlot (slot, false);
        logAttempt ("read", slot, {}, retries, startedAt);

        // A read cut short by Cancel or a fault is no preset: only a whole one is handed on.
        const auto readWhole = outcome.result >= 0;

        if (readWhole)
            useWholePreset (preset);

        if (shouldRetry (retries))
            continue;

        reportDone (slot, readWhole ? preset.name : slots.getReference (i).name, outcome.result);
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
        [&] (const PresetData& preset)
        {
            // Nothing is asked about a file that will not be written: that would only mislead.
            // A preset read whole but not saved is not done: the job was ended before it was.
            if (host.jobShouldEnd())
            {
                outcome.result = TransferResult::cancelled;
                return;
            }

            auto mode = PresetWriteMode::Overwrite;

            if (presetFileExists (folder, preset))
                mode = writeModeFor (fileAnswer.get (
                    [&] {
                        return ask (TransferQuestion::fileExists (presetFileName (preset), offerApplyToAll));
                    }));

            if (host.jobShouldEnd())
            {
                outcome.result = TransferResult::cancelled;
                return;
            }

            const auto saved = writePresetFile (folder, preset, mode);

            if (! saved)
                saveFailed (presetFileName (preset));

            noteUnsyncedFolder (saved, "save", preset.number, presetFileName (preset));
        });
}

void TransferJobRunner::readWholePresets()
{
    readSlotsWhole ([this] (const PresetData& preset) { host.wholePresetRead (preset); });
}

void TransferJobRunner::saveFailed (const juce::String& fileName)
{
    outcome.result = TransferResult::saveFailed;
    outcome.failureNotice = fileName + " could not be saved in " + job.presetFolder.getFullPathName() + ": " +
                            PresetFileProblems::whyNotSaved (job.presetFolder, fileName) + ".";
}

std::optional<PresetData> TransferJobRunner::presetToSend (int slot, const juce::String& fileName)
{
    const auto preset = readPresetFile (job.presetFolder.getFullPathName(), fileName);

    if (! preset.has_value())
    {
        // Spoilt, emptied or gone since the folder was scanned: this file fails, nothing was
        // sent, and the next file may well be sent.
        outcome.unreadableFiles.add (
            fileName + " could not be read as a preset file: " +
            PresetFileProblems::whyUnreadable (job.presetFolder.getChildFile (fileName)) + ".");
        reportDone (slot, fileName, TransferResult::fileUnreadable);
        return std::nullopt;
    }

    // The device's version as the names read from it tell it, or else as the last whole read
    // did. The record of the last read is emptied whenever a read fails or is cancelled, and its
    // version of 0 would make every file "incompatible".
    const auto devicePresetVersion = job.deviceVersion > 0 ? job.deviceVersion : lastDeviceVersion;

    host.presetFileVersionRead (preset->version);

    if (preset->version != devicePresetVersion)
    {
        ask (TransferQuestion::warning (fileName, "Incompatible preset file format (" +
                                                      juce::String (preset->version) + "," +
                                                      juce::String (devicePresetVersion) + ")"));
        return std::nullopt;
    }

    if (const auto* offTheWire = PresetManager::findParameterOffTheWire (*preset))
    {
        // The device is not at fault: this file cannot be sent at all, and the next may be.
        ask (TransferQuestion::warning (fileName, "Cannot send this preset: parameter " +
                                                      juce::String (offTheWire->index) + " with the value " +
                                                      juce::String (offTheWire->value) +
                                                      " lies outside what the Tonarel can receive."));
        return std::nullopt;
    }

    return preset;
}

std::optional<PresetData> TransferJobRunner::presetForSlot (const DevicePresetEntry& slot,
                                                            const juce::String& fileName,
                                                            bool offerApplyToAll, StandingAnswer& slotAnswer)
{
    // A file that cannot go to the device is refused before its slot is asked about.
    auto preset = presetToSend (slot.number, fileName);

    if (! preset.has_value())
        return std::nullopt;

    const auto answer =
        slotAnswer.get ([&] { return ask (TransferQuestion::slotOverwrite (slot, offerApplyToAll)); });

    if (answer == TransferQuestion::skipSlot || host.jobShouldEnd())
        return std::nullopt;

    return preset;
}

void TransferJobRunner::sendPresetFiles()
{
    const auto& slots = job.selection.slots;
    const auto count = juce::jmin (slots.size(), job.selection.fileNames.size());

    beginJob();
    showStatus ("Sending preset ");

    const JobPace pace (count, paceClock());

    // All 99 slots at once is a restore of the whole device, and so is a set the user confirmed
    // as one: nothing is asked per slot.
    StandingAnswer slotAnswer { job.selection.wholeDeviceConfirmed || slots.size() == kPresetSlotCount,
                                TransferQuestion::overwriteSlot };
    SlotSend current;

    for (int k = 0; k < count;)
    {
        if (jobMustEnd())
            return;

        const auto& slot = slots.getReference (k);
        const auto& fileName = job.selection.fileNames[k];

        showStatus (statusLine ("Sending preset ", slot.number, current.retries));
        showPace (pace, k + 1, k);

        if (current.retries == 0)
        {
            current.preset = presetForSlot (slot, fileName, count >= 2, slotAnswer);

            if (! current.preset.has_value())
            {
                ++k;
                continue;
            }
        }

        const auto step = sendAttempt (slot.number, fileName, current);

        if (step == SendStep::endJob)
            break;

        if (step == SendStep::sameSlot)
            continue;

        current = {};
        ++k;
        host.showJobProgress (k / (count + 0.1));
    }

    showStatus ("Sending preset ");
    // Leaves the last status on screen long enough to be read before the window closes.
    host.pauseJob (timings.pauseAfterTransferMs);
}

TransferJobRunner::SendStep TransferJobRunner::sendAttempt (int slot, const juce::String& fileName,
                                                            SlotSend& current)
{
    // The slot's old content is kept before anything is written over it, once per slot: a
    // retried send must not take the half-written slot for its old content.
    if (job.options.keepSnapshot && ! current.snapshotTaken)
    {
        if (! takeSnapshot (slot))
        {
            // The slot was not touched; the job ends as after any failed exchange.
            reportDone (slot, fileName, outcome.result);
            host.endJob();
            return SendStep::endJob;
        }

        current.snapshotTaken = true;
    }

    outcome.failureNotice.clear();

    const auto startedAt = JobPace::now();
    const auto started = manager.sendPreset (slot, *current.preset);
    awaitExchange (started, true, false);
    logAttempt ("send", slot, fileName, current.retries, startedAt);
    current.slotReached = current.slotReached || started;

    auto verified = false;

    if (outcome.result >= 0 && job.options.verifyAfterLoading && ! host.jobShouldEnd())
        verified = verifySlot (slot, fileName, *current.preset, current.retries);

    if (shouldRetry (current.retries))
        return SendStep::sameSlot;

    reportDone (slot, fileName, outcome.result);

    // Its name is read back afterwards: a slot that was being written when the job was
    // cancelled or failed may hold the new preset, or part of it. A verified slot was just
    // read whole, so its name is known already.
    if (current.slotReached && ! verified)
        outcome.slotsToReadBack.add (slot);

    return SendStep::nextSlot;
}

bool TransferJobRunner::takeSnapshot (int slot)
{
    PresetData snapshot;

    for (auto retries = 0;;)
    {
        const auto startedAt = JobPace::now();
        snapshot = readSlot (slot, false);
        logAttempt ("snapshot", slot, {}, retries, startedAt);

        if (outcome.result >= 0 && ! host.jobShouldEnd())
            break;

        // A whole snapshot that the job was ended after is no reason to write the slot.
        if (outcome.result >= 0)
            outcome.result = TransferResult::cancelled;

        // shouldRetry ends the job when the tries are used up.
        if (! shouldRetry (retries))
        {
            if (outcome.result != TransferResult::cancelled)
                outcome.failureNotice =
                    "Preset " + juce::String (slot) + " was not overwritten: its snapshot could not be read.";

            return false;
        }
    }

    // One folder per job, made only once there is something to keep in it.
    if (snapshotFolder == juce::File())
        snapshotFolder =
            SnapshotFolders::create (job.snapshotsFolder, juce::Time::getCurrentTime(), job.presetFolder);

    const auto saved = snapshotFolder == juce::File()
                           ? VerifiedWrite()
                           : SnapshotFolders::savePreset (snapshotFolder, snapshot);
    noteUnsyncedFolder (saved, "snapshot", snapshot.number, presetFileName (snapshot));

    if (! saved)
    {
        outcome.result = TransferResult::saveFailed;
        outcome.failureNotice = "Preset " + juce::String (slot) +
                                " was not overwritten: its snapshot could not be saved in " +
                                job.snapshotsFolder.getFullPathName() +
                                (saved.failure.isEmpty() ? juce::String() : ": " + saved.failure) + ".";
        return false;
    }

    return true;
}

bool TransferJobRunner::verifySlot (int slot, const juce::String& fileName, const PresetData& sent,
                                    int retries)
{
    const auto startedAt = JobPace::now();
    const auto readBack = readSlot (slot, false);

    // The device checks only the header's checksum: a parameter spoilt on the way is stored as
    // it arrived, and only reading the slot back shows it.
    auto verified = false;

    if (outcome.result >= 0 && ! host.jobShouldEnd())
    {
        const auto differences = comparePresets (sent, readBack);
        verified = differences.isEmpty();

        if (verified)
        {
            outcome.verifiedSlots.add ({ slot, readBack.name, readBack.version });
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

    const JobPace pace (slotNumbers.size(), paceClock());

    for (int i = 0; i < slotNumbers.size(); ++i)
    {
        if (jobMustEnd())
            return;

        showPace (pace, i + 1, i);

        const auto startedAt = JobPace::now();
        const auto header = readSlot (slotNumbers[i], true);
        logAttempt ("read name", slotNumbers[i], {}, 0, startedAt);

        if (outcome.result < 0)
        {
            outcome.failedSlot = slotNumbers[i];
            host.endJob();
        }

        // A failed read leaves a cleared header (number 0), which the merge passes over.
        host.presetHeaderRead ({ header.number, header.name, header.version });
        host.showJobProgress ((double) (i + 1) / slotNumbers.size());
    }
}

void TransferJobRunner::noteUnsyncedFolder (const VerifiedWrite& saved, const juce::String& exchange,
                                            int slot, const juce::String& fileName)
{
    // Not a failed save: the file is there, whole, and saving it again would only make a copy.
    if (log != nullptr && saved && ! saved.folderSynced)
        log->logNote (job.name, exchange, slot, fileName,
                      "saved, but its folder could not be synced to the disk");
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
    attempt.outcome = TransferJobOutcome::wordFor (outcome.result);
    attempt.seconds = JobPace::now() - startedAt;

    if (outcome.result < 0)
        attempt.frames = manager.describeRecentFrames();

    if (log != nullptr)
        log->logAttempt (attempt);
}
