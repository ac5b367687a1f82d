#pragma once

#include <juce_core/juce_core.h>

/** Which file of a preset folder goes back into which slot when a whole set is sent to the
    device ("<< Load All" and the command line's restore).

    A file goes to the slot its name begins with (presetSlotFromFileName, the rule the saves
    write by), never to the slot of its place in a list: one file missing or added would
    otherwise shift every later slot. A slot no file names is left out, so the device keeps what
    it holds there; a file whose name begins with no slot number is left out; two or more files
    that name the same slot are all left out, as nobody can tell which one was meant.

    A pure value; any thread.
*/
struct SlotFilePairing
{
    /** The slots that get a file, in ascending order. */
    juce::Array<int> slots;

    /** The file for each of slots, the k-th for the k-th. */
    juce::StringArray fileNames;

    /** The files whose names begin with no slot number, in the order they were handed in. */
    juce::StringArray unnumberedFiles;

    /** A slot that two or more files name, with those files; none of them is sent. */
    struct SharedSlot
    {
        int slot = 0;
        juce::StringArray fileNames;
    };

    juce::Array<SharedSlot> sharedSlots;

    /** True when at least one file names a slot, so that the pairing by number applies. */
    bool anyFileNumbered() const { return ! slots.isEmpty() || ! sharedSlots.isEmpty(); }
};

/** Pairs the files with the slots their names begin with, for the chosen slots only (every slot
    when chosenSlots is empty). Files naming a slot that was not chosen are passed over without
    being counted as left out.
*/
SlotFilePairing pairFilesWithSlots (const juce::StringArray& fileNames,
                                    const juce::Array<int>& chosenSlots = {});
