#pragma once

#include "device/ExchangeOutcome.h"
#include "device/SlotArrangement.h"
#include "presets/PresetListEntries.h"

/** The kind of job the transfer worker runs; none while idle. */
enum class TransferKind
{
    none = 0,
    ReadAndSave = 1,
    Send = 2,
    ReadSelectedNames = 3,
    ReadListedNames = 4,

    /** Reads the selected slots whole for a comparison, saving nothing. */
    ReadWhole = 5,

    /** Moves presets between slots of the device (TransferJob::arrangement). */
    Arrange = 6
};

/** Outcomes of a job: the ExchangeOutcome of its last exchange, saveFailed when a preset read
    whole (or a snapshot) could not be saved, verifyFailed, or cancelled. Any value of 0 or above
    is a success.
*/
namespace TransferResult
{
    constexpr int saveFailed = -10;

    /** A preset read back after it was sent differs from the file; retried as a failed send. */
    constexpr int verifyFailed = -11;

    /** The job was ended from outside before this preset was done: the exchange was cut short,
        or a preset read whole was not saved, or a slot was not written.
    */
    constexpr int cancelled = -12;

    /** A file of a send could not be read as a preset file; the send goes on to the next. */
    constexpr int fileUnreadable = -13;
}

/** What the user has chosen for the loads, taken from the settings as a job starts. */
struct TransferOptions
{
    /** Read each slot into a snapshot folder before it is overwritten. */
    bool keepSnapshot = true;

    /** Read each slot back after it is sent and compare it with the file. */
    bool verifyAfterLoading = false;
};

/** What a job works on, taken as the job starts (in the librarian, from its two lists on the
    message thread, so that the worker never reads a list the message thread may be changing).
*/
struct TransferSelection
{
    /** The slots in ascending order, with the names they are known by. */
    juce::Array<DevicePresetEntry> slots;

    /** The files of a send, the k-th for the k-th slot. */
    juce::StringArray fileNames;

    /** The user has agreed to overwrite the whole device at once ("<< Load All"): a send asks
        about no slot, also when the folder holds files for fewer than all of them.
    */
    bool wholeDeviceConfirmed = false;
};

/** One job, whole: what it does, on what, and with which choices. */
struct TransferJob
{
    TransferKind kind = TransferKind::none;
    TransferSelection selection;

    /** The slots whose names a ReadListedNames job reads. */
    juce::Array<int> listedSlots;

    /** The rearrangement an Arrange job makes: a permutation of slots (SlotArrangement). */
    std::vector<SlotMove> arrangement;

    TransferOptions options;

    /** The preset folder the files are saved into and read from. */
    juce::File presetFolder;

    /** Where snapshot folders are made, when options.keepSnapshot is set. */
    juce::File snapshotsFolder;

    /** The preset format version the device's names were read with, 0 when none was read. */
    juce::int16 deviceVersion = 0;

    /** The name the transfer log gives the job. */
    juce::String name;
};

/** How a job ended, beyond the outcome code. */
struct TransferJobOutcome
{
    /** The kind of job that ended. */
    TransferKind kind = TransferKind::none;

    int result = 0;

    /** The job was ended from outside while it was still at work (Cancel, or Ctrl+C). */
    bool cancelled = false;

    /** Slots a send reached without verifying them: their names are to be read back. */
    juce::Array<int> slotsToReadBack;

    /** Slots a send verified: read back whole, so their names are known. */
    juce::Array<DevicePresetEntry> verifiedSlots;

    /** Names the preset a failure concerns, for the notice under the outcome word. */
    juce::String failureNotice;

    /** The files of a send that could not be read, each "<file> could not be read as a preset
        file: <why>."; the send went on without them.
    */
    juce::StringArray unreadableFiles;

    /** The slot whose exchange failed or was cut short, 0 when none did. */
    int failedSlot = 0;

    /** Presets done: read whole (and saved), or sent and acknowledged. */
    int presetsDone = 0;

    /** The snapshot folder a send made, if it made one. */
    juce::File snapshotFolder;

    /** The word the outcome shows: "done", an outcome word, or "Canceled". */
    juce::String word() const;

    /** The word for an outcome code: "done" for any success. */
    static juce::String wordFor (int result);
};
