// The transfer job that moves presets between the device's slots: the order of its writes, and
// what it does when a write fails or the user cancels in the middle of one.
//
// Why the order guarantees that no preset is ever lost or doubled for good: an arrangement is a
// permutation of slots, and falls apart into cycles. Each cycle is written as a chain (see
// SlotArrangement::writeCycles): its first write overwrites a slot whose preset is, from then
// on, only in memory and in the snapshot folder; every later write overwrites the slot whose
// preset the write before it has just copied; the last write puts the first slot's preset into
// the last slot. So while a cycle is being written exactly one preset is out of the device and
// exactly one is in it twice, and when the cycle is complete the device holds the same presets as
// before. A cycle is therefore never left half written:
// - a failed write (after its retries) puts back the cycle's slots written so far, the failed
//   one included as it may hold part of a preset, in the reverse order of their writes. Each of
//   those writes again overwrites a slot whose planned preset is still in its original slot
//   too, so the putting back keeps the same invariant, and ends with the first slot, whose
//   preset comes from memory;
// - Cancel takes effect between cycles. Inside a cycle, it finishes the cycle or puts it back,
//   whichever takes fewer writes; a cycle's writes are never cut short.
// If a write that puts a cycle back fails too, the job stops there; the one preset then missing
// from the device is the cycle's first slot's, and the notice says where on disk it is kept.

#include "device/TransferJobRunner.h"

#include "device/PresetComparison.h"
#include "device/PresetManager.h"
#include "presets/PresetFileName.h"
#include "presets/SnapshotFolders.h"

namespace
{
    // A failed write is tried again up to three times, four attempts in all, as in a load.
    constexpr int maxWriteRetries = 3;

    // What the progress window shows once cancelled; it shows the job's own status in full
    // when it begins so.
    constexpr auto cancellingPrefix = "Canceling...";

    juce::String twoDigits (int slot)
    {
        return juce::String (slot).paddedLeft ('0', 2);
    }

    juce::String quoted (const PresetData& preset)
    {
        return "\"" + preset.name + "\"";
    }
} // namespace

void TransferJobRunner::arrangeSlots()
{
    const auto& moves = job.arrangement;
    arrangeWritesDone = arrangeWritesPlanned = 0;
    keptOriginals.clear();

    if (! SlotArrangement::isPermutation (moves))
    {
        jassertfalse; // a caller's mistake: nothing is touched
        outcome.result = ExchangeOutcome::deviceError;
        return;
    }

    beginJob();
    const auto originals = readOriginals (SlotArrangement::slotsOf (moves));

    if (! originals.has_value())
        return;

    const auto cycles = SlotArrangement::writeCycles (moves, *originals);

    for (const auto& cycle : cycles)
        arrangeWritesPlanned += (int) cycle.size();

    // The reads' pace says nothing of the writes.
    paceText.clear();

    if (arrangeWritesPlanned > 0 && keepOriginals (cycles, *originals))
    {
        for (const auto& cycle : cycles)
        {
            // Between cycles every preset is in the device once: a cancel stops here.
            if (host.jobShouldEnd())
            {
                outcome.result = TransferResult::cancelled;
                outcome.failureNotice = "Moving stopped once the presets on their way had landed, so that "
                                        "none is left twice in the Tonarel; the slots not reached hold what "
                                        "they held.";
                break;
            }

            if (! writeCycle (cycle, *originals))
                break;
        }
    }

    if (outcome.result >= 0 && host.jobShouldEnd())
        outcome.failureNotice = "Every preset had been moved before the cancel could take effect.";

    showStatus ("Arranging presets");
    host.pauseJob (timings.pauseAfterTransferMs);
}

std::optional<std::map<int, PresetData>> TransferJobRunner::readOriginals (const juce::Array<int>& slots)
{
    std::map<int, PresetData> originals;
    const JobPace pace (slots.size(), paceClock());
    auto retries = 0;

    for (int i = 0; i < slots.size();)
    {
        if (jobMustEnd())
        {
            outcome.result = TransferResult::cancelled;
            return std::nullopt;
        }

        const auto slot = slots[i];
        showStatus ("Reading preset " + juce::String (slot) +
                    (retries > 0 ? "-" + juce::String (retries) : ""));
        showPace (pace, i + 1, i);

        const auto startedAt = JobPace::now();
        auto preset = readSlot (slot, false);
        logAttempt ("read", slot, {}, retries, startedAt);

        if (outcome.result >= 0 && preset.number != slot)
            outcome.result = ExchangeOutcome::deviceError; // the device answered for another slot

        if (shouldRetry (retries))
            continue;

        if (outcome.result < 0)
        {
            reportDone (slot, {}, outcome.result);
            outcome.failureNotice =
                "No preset was moved: preset " + juce::String (slot) + " could not be read.";
            return std::nullopt;
        }

        originals[slot] = std::move (preset);
        ++i;
    }

    return originals;
}

bool TransferJobRunner::keepOriginals (const std::vector<SlotArrangement::Cycle>& cycles,
                                       const std::map<int, PresetData>& originals)
{
    // Kept whatever the snapshot setting says: during a cycle one preset is in no slot of the
    // device, and the computer's memory is no place to leave the only copy of it.
    snapshotFolder =
        SnapshotFolders::create (job.snapshotsFolder, juce::Time::getCurrentTime(), job.presetFolder);
    juce::String failure =
        snapshotFolder == juce::File() ? juce::String ("the folder could not be made") : "";

    for (const auto& cycle : cycles)
    {
        for (const auto& write : cycle)
        {
            if (failure.isNotEmpty())
                break;

            const auto& original = originals.at (write.slot);
            const auto saved = SnapshotFolders::savePreset (snapshotFolder, original);
            noteUnsyncedFolder (saved, "snapshot", write.slot, presetFileName (original));

            if (saved)
                keptOriginals[write.slot] = snapshotFolder.getChildFile (presetFileName (original));
            else
                failure =
                    saved.failure.isEmpty() ? juce::String ("a preset could not be saved") : saved.failure;
        }
    }

    if (failure.isEmpty())
        return true;

    outcome.result = TransferResult::saveFailed;
    outcome.failureNotice = "No preset was moved: the presets to be moved could not be kept in " +
                            job.snapshotsFolder.getFullPathName() + " first (" + failure + ").";
    return false;
}

bool TransferJobRunner::writeCycle (const SlotArrangement::Cycle& cycle,
                                    const std::map<int, PresetData>& originals)
{
    const auto count = (int) cycle.size();
    auto finishingAfterCancel = false;

    for (int k = 0; k < count; ++k)
    {
        // A cancel inside the cycle finishes it or puts it back, whichever writes less.
        if (host.jobShouldEnd() && ! finishingAfterCancel)
        {
            if (k <= count - k)
            {
                if (putCycleBack (cycle, k, originals))
                {
                    outcome.result = TransferResult::cancelled;
                    outcome.failureNotice =
                        "The presets that were being moved were put back where they were, "
                        "so that none is left twice in the Tonarel.";
                }

                return false;
            }

            finishingAfterCancel = true;
        }

        const auto& write = cycle[(size_t) k];
        showArrangeStatus ("Moving preset " + juce::String (write.fromSlot) + " to " +
                           juce::String (write.slot));

        if (! writeSlotWhole (write.slot, originals.at (write.fromSlot), "arrange"))
        {
            const auto failure = outcome.result;
            const auto putBack = putCycleBack (cycle, k + 1, originals);

            if (putBack)
            {
                outcome.result = failure;
                outcome.failedSlot = write.slot;
                outcome.failureNotice = "Preset " + juce::String (write.slot) +
                                        " could not be written, so the slots being moved with it were put " +
                                        "back as they were.";
            }

            return false;
        }
    }

    for (const auto& write : cycle)
        reportDone (write.slot, originals.at (write.fromSlot).name, ExchangeOutcome::success);

    return true;
}

bool TransferJobRunner::putCycleBack (const SlotArrangement::Cycle& cycle, int writtenCount,
                                      const std::map<int, PresetData>& originals)
{
    for (int k = writtenCount - 1; k >= 0; --k)
    {
        const auto slot = cycle[(size_t) k].slot;
        showArrangeStatus ("Putting back preset " + juce::String (slot));

        if (writeSlotWhole (slot, originals.at (slot), "put back"))
            continue;

        // Slots before k hold what they were to receive, slot k is unknown, the rest are as they
        // were; the first slot's preset is in none of them.
        const auto& missing = originals.at (cycle.front().slot);
        juce::StringArray lines;

        for (int j = 0; j < k; ++j)
            lines.add ("slot " + twoDigits (cycle[(size_t) j].slot) + " holds " +
                       quoted (originals.at (cycle[(size_t) j].fromSlot)) + " (from slot " +
                       twoDigits (cycle[(size_t) j].fromSlot) + ")");

        lines.add ("slot " + twoDigits (slot) + " may hold part of a preset");
        lines.add ("every other slot holds what it held before");

        outcome.failedSlot = slot;
        outcome.failureNotice = "Moving presets failed, and so did putting them back. Now " +
                                lines.joinIntoString ("; ") + ".\n\n" + quoted (missing) + " (slot " +
                                twoDigits (missing.number) + ") is not in the Tonarel: it is kept in " +
                                keptOriginals[cycle.front().slot].getFullPathName() + ".";
        return false;
    }

    return true;
}

bool TransferJobRunner::writeSlotWhole (int slot, const PresetData& preset, const juce::String& exchange)
{
    outcome.slotsToReadBack.addIfNotAlreadyThere (slot);

    for (int retries = 0; retries <= maxWriteRetries; ++retries)
    {
        auto startedAt = JobPace::now();
        awaitExchange (manager.sendPreset (slot, preset), true, false, false);
        logAttempt (exchange, slot, preset.name, retries, startedAt);

        if (outcome.result >= 0 && job.options.verifyAfterLoading)
        {
            // The device checks only the header's checksum; only a read shows a spoilt parameter.
            startedAt = JobPace::now();
            const auto readBack = readSlot (slot, false, false);

            if (outcome.result >= 0 && ! comparePresets (preset, readBack).isEmpty())
                outcome.result = TransferResult::verifyFailed;

            logAttempt ("verify", slot, preset.name, retries, startedAt);
        }

        if (outcome.result >= 0)
        {
            ++arrangeWritesDone;
            host.showJobProgress ((double) arrangeWritesDone / (arrangeWritesPlanned + 0.1));
            return true;
        }
    }

    return false;
}

void TransferJobRunner::showArrangeStatus (const juce::String& text)
{
    // Once cancelled, the window says what the job still does before it can stop.
    if (! host.jobShouldEnd())
    {
        showStatus (text);
        return;
    }

    const auto puttingBack = text.startsWith ("Putting back");
    showStatus (juce::String (cancellingPrefix) +
                (puttingBack ? " the move is put back" : " the move is finished") +
                " first,\nso that no preset is left twice in the Tonarel.\n" + text);
}
