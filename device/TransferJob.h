#pragma once

#include "device/ExchangeOutcome.h"
#include "librarian/PresetListEntries.h"

/** The kind of job the transfer worker runs behind the progress window; none while idle. */
enum class TransferKind
{
    none = 0,
    ReadAndSave = 1,
    Send = 2,
    ReadSelectedNames = 3,
    ReadListedNames = 4
};

/** Outcomes of a job as kept in the panel's lastResult: the ExchangeOutcome of its last
    exchange, saveFailed when a preset read whole (or a snapshot) could not be saved, or
    verifyFailed. Any value of 0 or above
    is a success; cancelling is the progress window's own outcome, not a code.
*/
namespace TransferResult
{
    constexpr int saveFailed = -10;

    /** A preset read back after it was sent differs from the file; retried as a failed send. */
    constexpr int verifyFailed = -11;
}

/** What the user has chosen for the loads, taken from the settings as a job starts. */
struct TransferOptions
{
    /** Read each slot into a snapshot folder before it is overwritten. */
    bool keepSnapshot = true;

    /** Read each slot back after it is sent and compare it with the file. */
    bool verifyAfterLoading = false;
};

/** What a job works on, taken from the two lists on the message thread as the job starts, so
    that the worker never reads a list the message thread may be changing.
*/
struct TransferSelection
{
    /** The selected device rows in ascending order: the slot each stands for (row + 1) and the
        name the row shows.
    */
    juce::Array<DevicePresetEntry> slots;

    /** The file names of the selected computer rows, in ascending row order. */
    juce::StringArray fileNames;
};
