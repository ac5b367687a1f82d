#pragma once

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

/** Outcomes of the last exchange a job ran, as kept in the panel's lastResult. Any value of 0
    or above is a success; cancelling is the progress window's own outcome, not a code.
*/
namespace TransferResult
{
    constexpr int success = 1;
    constexpr int checksumFailed = -1;
    constexpr int deviceError = -2;
    constexpr int timeout = -3;
    constexpr int saveFailed = -10;
}

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
