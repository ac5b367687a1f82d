#pragma once

#include "device/TransferJob.h"
#include "device/TransferReport.h"

#include <optional>

/** What it takes to undo a load: the snapshot folder in which the load kept what its slots held
    before, and the slots it wrote. Undoing sends those snapshot files back into exactly those
    slots, as a load of its own (with its own snapshot, so that an undo can be undone in turn).

    The librarian keeps one for the last load of its run; the command line makes one from the
    newest snapshot folder. A pure value; any thread.
*/
class LoadUndo
{
public:
    /** The undo of a load that has ended, cancelled or failed included: the slots it reached
        (done, or cut short in the middle of a preset, which may leave part of the new one in the
        slot), all of which it read into its snapshot first. Nothing when it kept no snapshot or
        reached no slot.
    */
    static std::optional<LoadUndo> ofLoad (const TransferReport& report);

    /** The undo of whatever load made the snapshot folder: every slot a file of it names.
        Nothing when no file names a slot.
    */
    static std::optional<LoadUndo> ofSnapshotFolder (const juce::File& snapshotFolder);

    const juce::File& getSnapshotFolder() const noexcept { return snapshotFolder; }

    /** The slots to send back, ascending. */
    const juce::Array<int>& getSlots() const noexcept { return slots; }

    /** True while the folder is there with one file for each slot: the user may have deleted or
        emptied it since, and then there is nothing left to undo with.
    */
    bool isAvailable() const;

    /** The load that undoes it, named "Undo" in the transfer log: each slot's snapshot file back
        into its slot, with no question per slot (the undo is confirmed as a whole), and snapshots
        of what the slots hold now kept in snapshotsFolder. Its options are the caller's to set;
        keepSnapshot must be on for the undo to be undone. Nothing when it is not available.
    */
    std::optional<TransferJob> makeJob (const juce::File& snapshotsFolder) const;

    /** "slot 7" or "slots 3, 4 and 9". */
    juce::String describeSlots() const;

private:
    LoadUndo (const juce::File& folder, juce::Array<int> slotsToSendBack);

    /** The snapshot file of each slot, in slot order; fewer when a file is missing. */
    juce::StringArray snapshotFiles() const;

    juce::File snapshotFolder;
    juce::Array<int> slots;
};
