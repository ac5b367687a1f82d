// Arranging the device's slots: a drag of slots within the device list moves their presets, and
// "Swap Two Slots" exchanges the presets of two. Each asks once, showing every slot that changes,
// then runs the Arrange job behind the progress window; the job keeps the presets it moves in a
// snapshot folder and writes a cycle of slots whole or not at all (see ArrangeSlotsJob.cpp).
// Runs on the message thread.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "librarian/PresetTonarel.h"

namespace
{
    // More lines than this in the question and the rest are counted, not listed.
    constexpr int movesListed = 20;

    juce::String twoDigits (int slot)
    {
        return juce::String (slot).paddedLeft ('0', 2);
    }

    /** "03 Warm Vox → 05" for each preset that moves, in the order of the slots it leaves. */
    juce::String describeMoves (const std::vector<SlotMove>& moves, const DeviceSlotsModel& slots)
    {
        auto byOrigin = moves;
        std::sort (byOrigin.begin(), byOrigin.end(),
                   [] (const SlotMove& a, const SlotMove& b) { return a.fromSlot < b.fromSlot; });

        juce::StringArray lines;

        for (const auto& move : byOrigin)
        {
            if (lines.size() == movesListed)
            {
                lines.add (juce::String (juce::CharPointer_UTF8 ("\xe2\x80\xa6 and ")) +
                           juce::String ((int) byOrigin.size() - movesListed) + " more");
                break;
            }

            lines.add (twoDigits (move.fromSlot) + " " + slots.nameOf (move.fromSlot) +
                       juce::String (juce::CharPointer_UTF8 (" \xe2\x86\x92 ")) + twoDigits (move.slot));
        }

        return lines.joinIntoString ("\n");
    }
} // namespace

void PresetLibrarianManager::moveSlots (const juce::Array<int>& slots, int landingSlot)
{
    const auto moves = SlotArrangement::forMove (slots, landingSlot);
    const auto count = (int) moves.size();
    arrangeSlots (moves, slots,
                  "Move " + juce::String (count) + (count == 1 ? " preset" : " presets") + " in the Tonarel?",
                  "Move");
}

bool PresetLibrarianManager::canSwapSelectedSlots() const
{
    return deviceSlots.getNumSelected() == 2 && controller != nullptr && isConnected() &&
           getPresetManager().isDeviceReachable();
}

void PresetLibrarianManager::swapSelectedSlots()
{
    if (! canSwapSelectedSlots())
        return;

    const auto selected = deviceSlots.getSelectedSlots();
    arrangeSlots (SlotArrangement::forSwap (selected[0], selected[1]), selected,
                  "Swap the presets of slots " + twoDigits (selected[0]) + " and " + twoDigits (selected[1]) +
                      "?",
                  "Swap");
}

void PresetLibrarianManager::arrangeSlots (const std::vector<SlotMove>& moves,
                                           const juce::Array<int>& followedSlots,
                                           const juce::String& headline, const juce::String& verb)
{
    // A drop onto the dragged slot itself moves nothing, and asks nothing.
    if (moves.empty())
        return;

    const auto question = headline + "\n\n" + describeMoves (moves, deviceSlots);

    if (! services.dialogs.confirm (Dialogs::Icon::question, {}, question, verb, "Cancel"))
        return;

    monitor->stopWatching();
    setJobProgress (0.0);
    statusLabel->setText ("arranging", juce::dontSendNotification);

    auto job = makeJob (TransferKind::Arrange, {});
    job.arrangement = moves;
    const auto completed = runJob (std::move (job), chosenOptions());
    const auto word = reportOutcome (completed);
    statusLabel->setText ("arranging " + word, juce::dontSendNotification);
    setJobProgress (1.0);
    showJobProgress();

    // The slots written are read back, so the list shows what the device now holds: after a
    // cancel or a failure too, which the notice has described.
    if (! numbers.isEmpty())
        readListedNames();

    if (word == "done")
    {
        juce::Array<int> landed;

        for (const auto slot : followedSlots)
        {
            const auto move = std::find_if (moves.begin(), moves.end(),
                                            [slot] (const SlotMove& m) { return m.fromSlot == slot; });
            landed.add (move != moves.end() ? move->slot : slot);
        }

        // The presets are shown where they landed, also where the filter would hide them.
        for (const auto slot : landed)
            if (deviceSlots.getShownRowOf (slot) < 0)
                deviceList->clearFilter();

        deviceSlots.selectSlots (landed);

        if (const auto row = deviceSlots.getShownRowOf (landed.isEmpty() ? 0 : landed.getFirst()); row >= 0)
            deviceList->getTable().scrollToEnsureRowIsOnscreen (row);
    }

    monitor->lookAgainLater();
    updateButtonStates();
}
