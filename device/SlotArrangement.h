#pragma once

#include "presets/PresetData.h"

#include <map>
#include <vector>

/** One slot of an arrangement: slot is to receive the preset that fromSlot holds now. */
struct SlotMove
{
    int slot = 0;
    int fromSlot = 0;

    bool operator== (const SlotMove& other) const noexcept
    {
        return slot == other.slot && fromSlot == other.fromSlot;
    }
};

/** A rearrangement of the device's slots, and the order in which it is written.

    An arrangement is a permutation of slots: each slot it names receives the preset of another
    slot it names, so the presets in the device stay the same, only in other places. A
    permutation falls apart into cycles, and a cycle is the unit of safety: while one is half
    written, one preset is in the device twice and another is not in it at all. Each cycle is
    therefore written as a chain (see writeCycles), which keeps exactly one preset out of the
    device at any moment, always the same one, held by the caller.
*/
namespace SlotArrangement
{
    using Cycle = std::vector<SlotMove>;

    /** Moves the presets of movedSlots (in slot order) as a playlist moves its entries: they are
        taken out, and put back together so that the first lands in landingSlot; the slots
        between shift to make room. A run that would reach past the last slot lands at the end.
        Only the slots that change are returned.
    */
    std::vector<SlotMove> forMove (juce::Array<int> movedSlots, int landingSlot);

    /** Swaps the presets of two slots. */
    std::vector<SlotMove> forSwap (int slotA, int slotB);

    /** Whether moves is a rearrangement of slots 1 to 99: each slot receives once and gives
        once, and a slot that gives also receives.
    */
    bool isPermutation (const std::vector<SlotMove>& moves);

    /** The slots the arrangement touches, ascending. */
    juce::Array<int> slotsOf (const std::vector<SlotMove>& moves);

    /** The writes that carry out the arrangement, given every touched slot's preset read whole,
        grouped into cycles. A slot that would receive a preset equal to the one it holds is not
        written, and where equal presets sit in several slots any of them serves as the source.

        Within a cycle the writes form a chain: write k overwrites the slot whose preset write
        k - 1 has just copied elsewhere, and the last write puts back the first slot's preset,
        which from the first write on exists only in presets (and on disk, in the snapshot).
        So write k's slot is write k + 1's fromSlot, and the last write's fromSlot is the first
        write's slot.
    */
    std::vector<Cycle> writeCycles (const std::vector<SlotMove>& moves,
                                    const std::map<int, PresetData>& presets);
} // namespace SlotArrangement
