#include "device/SlotArrangement.h"

#include "device/PresetComparison.h"

#include <set>

namespace SlotArrangement
{
    namespace
    {
        bool isSlot (int slot) noexcept
        {
            return slot >= kFirstPresetNumber && slot <= kLastPresetNumber;
        }

        bool samePreset (const PresetData& a, const PresetData& b)
        {
            return comparePresets (a, b).isEmpty();
        }

        /** For each slot whose content changes, the slot whose present content it receives; the
            sources are themselves slots that change, so that the writes close into cycles.
        */
        std::map<int, int> sourcesOfChangingSlots (const std::vector<SlotMove>& moves,
                                                   const std::map<int, PresetData>& presets)
        {
            std::map<int, int> wantedFrom; // a changing slot and the slot it was planned to receive from

            for (const auto& move : moves)
                if (move.slot != move.fromSlot &&
                    ! samePreset (presets.at (move.fromSlot), presets.at (move.slot)))
                    wantedFrom[move.slot] = move.fromSlot;

            std::map<int, int> sourceOf;
            std::set<int> unusedSources;

            for (const auto& [slot, from] : wantedFrom)
                unusedSources.insert (slot);

            for (const auto& [slot, from] : wantedFrom)
                if (unusedSources.erase (from) != 0)
                    sourceOf[slot] = from;

            // The planned source keeps its preset (it holds what it is to receive): another
            // changing slot holds the same preset, and gives it instead. There is one, since the
            // slots that change hold between them the same presets before and after.
            for (const auto& [slot, from] : wantedFrom)
            {
                if (sourceOf.count (slot) != 0)
                    continue;

                for (auto source = unusedSources.begin(); source != unusedSources.end(); ++source)
                {
                    if (samePreset (presets.at (*source), presets.at (from)))
                    {
                        sourceOf[slot] = *source;
                        unusedSources.erase (source);
                        break;
                    }
                }

                jassert (sourceOf.count (slot) != 0);
            }

            return sourceOf;
        }
    } // namespace

    std::vector<SlotMove> forMove (juce::Array<int> movedSlots, int landingSlot)
    {
        movedSlots.sort();
        std::vector<int> remaining;

        for (int slot = kFirstPresetNumber; slot <= kLastPresetNumber; ++slot)
            if (! movedSlots.contains (slot))
                remaining.push_back (slot);

        const auto movedCount = kPresetSlotCount - (int) remaining.size();

        if (movedCount == 0)
            return {};

        // The order the slots will hold the presets in: the moved run taken out and put back in
        // one piece.
        const auto landingIndex =
            juce::jlimit (0, kPresetSlotCount - movedCount, landingSlot - kFirstPresetNumber);
        std::vector<int> arranged (remaining.begin(), remaining.begin() + landingIndex);

        for (const auto slot : movedSlots)
            if (isSlot (slot) && std::find (arranged.begin(), arranged.end(), slot) == arranged.end())
                arranged.push_back (slot);

        arranged.insert (arranged.end(), remaining.begin() + landingIndex, remaining.end());

        std::vector<SlotMove> moves;

        for (int i = 0; i < (int) arranged.size(); ++i)
            if (arranged[(size_t) i] != kFirstPresetNumber + i)
                moves.push_back ({ kFirstPresetNumber + i, arranged[(size_t) i] });

        return moves;
    }

    std::vector<SlotMove> forSwap (int slotA, int slotB)
    {
        if (slotA == slotB || ! isSlot (slotA) || ! isSlot (slotB))
            return {};

        return { { slotA, slotB }, { slotB, slotA } };
    }

    bool isPermutation (const std::vector<SlotMove>& moves)
    {
        std::set<int> receiving, giving;

        for (const auto& move : moves)
            if (! isSlot (move.slot) || ! isSlot (move.fromSlot) || ! receiving.insert (move.slot).second ||
                ! giving.insert (move.fromSlot).second)
                return false;

        return receiving == giving;
    }

    juce::Array<int> slotsOf (const std::vector<SlotMove>& moves)
    {
        juce::Array<int> slots;

        for (const auto& move : moves)
            slots.addIfNotAlreadyThere (move.slot);

        slots.sort();
        return slots;
    }

    std::vector<Cycle> writeCycles (const std::vector<SlotMove>& moves,
                                    const std::map<int, PresetData>& presets)
    {
        jassert (isPermutation (moves));
        const auto sourceOf = sourcesOfChangingSlots (moves, presets);

        std::vector<Cycle> cycles;
        std::set<int> written;

        for (const auto& [first, firstSource] : sourceOf)
        {
            if (written.count (first) != 0)
                continue;

            // Follow the chain: each write overwrites the slot whose preset the one before it
            // has just copied, until the chain comes back to the first slot.
            Cycle cycle;

            for (auto slot = first; written.insert (slot).second;)
            {
                const auto source = sourceOf.at (slot);
                cycle.push_back ({ slot, source });
                slot = source;
            }

            cycles.push_back (std::move (cycle));
        }

        return cycles;
    }
} // namespace SlotArrangement
