// Moving presets between the device's slots: where a move puts them, and that a fault or a
// cancel at any write leaves every preset in the device once, each cycle of slots either as it
// was or as planned.

#include "device/PresetComparison.h"
#include "device/PresetManager.h"
#include "device/TransferJobRunner.h"
#include "presets/PresetFile.h"
#include "presets/PresetFileName.h"
#include "simulator/DeviceSimulator.h"
#include "tests/LibrarianFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace
{
    bool samePreset (const PresetData& a, const PresetData& b)
    {
        return comparePresets (a, b).isEmpty();
    }

    /** Answers nothing, and ends the job as Cancel would once the device has stored a given
        number of presets since the job started.
    */
    class CancellingHost final : public TransferJobHost
    {
    public:
        CancellingHost (const DeviceSimulator& simulator, int cancelAfterStored)
            : device (simulator), storedAtStart (simulator.getPresetsStored()),
              cancelAfter (cancelAfterStored)
        {
        }

        bool jobShouldEnd() override
        {
            if (cancelAfter >= 0 && device.getPresetsStored() - storedAtStart >= cancelAfter)
                cancelled = true;

            return cancelled || ended;
        }

        void endJob() override { ended = true; }
        void pauseJob (int) override {}
        void showJobStatus (const juce::String& status, const juce::String&) override
        {
            statuses.add (status);
        }
        void showJobProgress (double) override {}
        int ask (const TransferQuestion& question) override { return question.buttons.back().value; }

        const DeviceSimulator& device;
        const int storedAtStart, cancelAfter;
        bool cancelled = false, ended = false;
        juce::StringArray statuses;
    };
} // namespace

class ArrangeSlots : public ::testing::Test
{
protected:
    ArrangeSlots()
    {
        manager.setPauseBeforeRequest (0);

        // Presets that can all be told apart, except where a test makes two alike.
        for (int slot = 1; slot <= 12; ++slot)
            device.setSlot (slot, distinctPreset (slot));
    }

    static PresetData distinctPreset (int seed)
    {
        PresetData preset {
            (juce::int16) seed, "Preset " + juce::String (seed), DeviceSimulator::presetVersion, {}
        };

        for (int i = 0; i < DeviceSimulator::parametersPerPreset; ++i)
            preset.parameters.push_back ({ (juce::int16) i, seed * 1000 + i });

        return preset;
    }

    std::map<int, PresetData> slotsNow (const std::vector<SlotMove>& moves) const
    {
        std::map<int, PresetData> presets;

        for (const auto slot : SlotArrangement::slotsOf (moves))
            presets[slot] = device.getSlot (slot);

        return presets;
    }

    TransferJobOutcome arrange (const std::vector<SlotMove>& moves, TransferJobHost& host,
                                bool verify = false)
    {
        TransferJob job;
        job.kind = TransferKind::Arrange;
        job.arrangement = moves;
        job.options = { false, verify }; // the originals are kept even with snapshots off
        job.snapshotsFolder = temporary.root.getChildFile ("snapshots");
        job.presetFolder = temporary.root.getChildFile ("presets");
        return TransferJobRunner (manager, host, nullptr, LibrarianTimings::brief()).run (job);
    }

    /** Every touched slot holds its preset from before or the one planned for it, and between
        them they hold the same presets as before: none twice, none lost.
    */
    void expectAsBeforeOrPlanned (const std::vector<SlotMove>& moves, const std::map<int, PresetData>& before)
    {
        auto missing = before;

        for (const auto& move : moves)
        {
            const auto now = device.getSlot (move.slot);
            EXPECT_TRUE (samePreset (now, before.at (move.slot)) ||
                         samePreset (now, before.at (move.fromSlot)))
                << "slot " << move.slot << " holds " << now.name;

            const auto found =
                std::find_if (missing.begin(), missing.end(),
                              [&now] (const auto& entry) { return samePreset (entry.second, now); });

            if (found == missing.end())
                ADD_FAILURE() << now.name << " is in the device more often than before (slot " << move.slot
                              << ")";
            else
                missing.erase (found);
        }

        for (const auto& [slot, preset] : missing)
            ADD_FAILURE() << preset.name << " (slot " << slot << ") is no longer in the device";
    }

    void restore (const std::map<int, PresetData>& before)
    {
        for (const auto& [slot, preset] : before)
            device.setSlot (slot, preset);
    }

    TemporaryFolder temporary;
    InProcessMidiPorts midiPorts;
    DeviceSimulator device { midiPorts, WireModel::instant() };
    PresetManager manager { midiPorts };
};

TEST_F (ArrangeSlots, MoveIsAPlaylistMoveAndSwapExchangesTwoSlots)
{
    using Moves = std::vector<SlotMove>;

    SCOPED_TRACE ("one slot down: the slots between move up by one");
    EXPECT_EQ (SlotArrangement::forMove ({ 3 }, 5), (Moves { { 3, 4 }, { 4, 5 }, { 5, 3 } }));

    SCOPED_TRACE ("a run up: it lands at the slot under the pointer, the slots between move down by two");
    EXPECT_EQ (SlotArrangement::forMove ({ 5, 6 }, 2),
               (Moves { { 2, 5 }, { 3, 6 }, { 4, 2 }, { 5, 3 }, { 6, 4 } }));

    SCOPED_TRACE ("onto itself: nothing moves");
    EXPECT_TRUE (SlotArrangement::forMove ({ 4, 5, 6 }, 4).empty());

    SCOPED_TRACE ("a run onto a slot of its own: it moves by that much");
    EXPECT_EQ (SlotArrangement::forMove ({ 4, 5 }, 5), (Moves { { 4, 6 }, { 5, 4 }, { 6, 5 } }));

    SCOPED_TRACE ("slots apart are taken out and land together");
    EXPECT_EQ (SlotArrangement::forMove ({ 2, 4 }, 1), (Moves { { 1, 2 }, { 2, 4 }, { 3, 1 }, { 4, 3 } }));

    SCOPED_TRACE ("a run that would reach past slot 99 lands at the end");
    EXPECT_EQ (SlotArrangement::forMove ({ 96, 97 }, 99),
               (Moves { { 96, 98 }, { 97, 99 }, { 98, 96 }, { 99, 97 } }));

    EXPECT_EQ (SlotArrangement::forSwap (9, 2), (Moves { { 9, 2 }, { 2, 9 } }));
    EXPECT_TRUE (SlotArrangement::forSwap (4, 4).empty());
    EXPECT_FALSE (SlotArrangement::isPermutation ({ { 3, 4 }, { 4, 5 } }))
        << "slot 5 gives but receives nothing";
    EXPECT_FALSE (SlotArrangement::isPermutation ({ { 3, 4 }, { 4, 3 }, { 5, 4 } }));
}

TEST_F (ArrangeSlots, MoveAndSwapLeaveExactlyThePlannedSlotsAndKeepTheOriginals)
{
    const auto before = slotsNow (SlotArrangement::forMove ({ 1 }, 12));
    CancellingHost host (device, -1);

    SCOPED_TRACE ("slots 3 and 4 moved to 7: 5 to 7 move up to 3 to 5");
    const auto outcome = arrange (SlotArrangement::forMove ({ 3, 4 }, 7), host);
    EXPECT_EQ (outcome.result, ExchangeOutcome::success) << outcome.failureNotice;
    EXPECT_FALSE (outcome.cancelled);

    const std::map<int, int> heldFrom { { 1, 1 }, { 2, 2 }, { 3, 5 }, { 4, 6 }, { 5, 7 },
                                        { 6, 8 }, { 7, 3 }, { 8, 4 }, { 9, 9 }, { 10, 10 } };

    for (const auto& [slot, from] : heldFrom)
        EXPECT_TRUE (samePreset (device.getSlot (slot), before.at (from))) << "slot " << slot;

    EXPECT_EQ (device.getPresetsStored(), 6);
    EXPECT_EQ (outcome.presetsDone, 6);
    EXPECT_EQ (outcome.slotsToReadBack.size(), 6) << "their names are read back";

    // Kept although snapshots are off: while a cycle is written one preset is in no slot.
    ASSERT_NE (outcome.snapshotFolder, juce::File());

    for (int slot = 3; slot <= 8; ++slot)
    {
        const auto kept =
            readPresetFile (outcome.snapshotFolder.getFullPathName(), presetFileName (before.at (slot)));
        ASSERT_TRUE (kept.has_value()) << "slot " << slot;
        EXPECT_TRUE (samePreset (*kept, before.at (slot)));
    }

    SCOPED_TRACE ("a swap, verified");
    const auto slot2 = device.getSlot (2), slot9 = device.getSlot (9);
    EXPECT_EQ (arrange (SlotArrangement::forSwap (2, 9), host, true).result, ExchangeOutcome::success);
    EXPECT_TRUE (samePreset (device.getSlot (2), slot9));
    EXPECT_TRUE (samePreset (device.getSlot (9), slot2));
    EXPECT_EQ (device.getPresetsStored(), 8);
}

TEST_F (ArrangeSlots, SlotsThatWouldReceiveWhatTheyHoldAreNotWritten)
{
    // Slots 5 to 7 hold one preset three times (empty slots often do): moving 5 to 8 only
    // changes slots 7 and 8, and they are written as a swap of their two presets.
    for (const auto slot : { 5, 6, 7 })
        device.setSlot (slot, distinctPreset (50));

    const auto moves = SlotArrangement::forMove ({ 5 }, 8);
    const auto before = slotsNow (moves);
    CancellingHost host (device, -1);
    device.clearTranscript();

    EXPECT_EQ (arrange (moves, host).result, ExchangeOutcome::success);
    EXPECT_EQ (device.getPresetsStored(), 2);
    EXPECT_TRUE (samePreset (device.getSlot (7), before.at (8)));
    EXPECT_TRUE (samePreset (device.getSlot (8), before.at (5)));
    expectAsBeforeOrPlanned (moves, before);

    SCOPED_TRACE ("a swap of two equal presets writes nothing");
    EXPECT_EQ (arrange (SlotArrangement::forSwap (5, 6), host).result, ExchangeOutcome::success);
    EXPECT_EQ (device.getPresetsStored(), 2);
}

TEST_F (ArrangeSlots, FaultAtAnyWriteLeavesEachCycleAsItWasOrAsPlanned)
{
    // Slots 2 and 3 to 6: two cycles of three slots (2, 4, 6 and 3, 5, 7). Then a swap.
    for (const auto& moves : { SlotArrangement::forMove ({ 2, 3 }, 6), SlotArrangement::forSwap (4, 10) })
    {
        const auto before = slotsNow (moves);

        for (const auto verify : { false, true })
        {
            for (int write = 1;; ++write)
            {
                SCOPED_TRACE ("write " + juce::String (write) + (verify ? ", verified" : ""));
                restore (before);

                // ERR in place of the ACK of SEND PRESET START, for this write and its three retries.
                DeviceSimulator::Faults faults;
                faults.errAtReply = 2;
                faults.faultyExchanges = 4;
                faults.fromSend = write;
                device.setFaults (faults);

                CancellingHost host (device, -1);
                const auto storedBefore = device.getPresetsStored();
                const auto outcome = arrange (moves, host, verify);
                device.setFaults ({});
                expectAsBeforeOrPlanned (moves, before);

                if (outcome.result >= 0)
                {
                    EXPECT_GT (write, device.getPresetsStored() - storedBefore)
                        << "only a fault past the last write misses";
                    break;
                }

                EXPECT_EQ (outcome.result, ExchangeOutcome::deviceError);
                EXPECT_TRUE (outcome.failureNotice.contains ("were put back as they were"))
                    << outcome.failureNotice;
            }
        }
    }
}

TEST_F (ArrangeSlots, CancelAtAnyWriteLeavesEachCycleAsItWasOrAsPlanned)
{
    for (const auto& moves : { SlotArrangement::forMove ({ 2, 3 }, 6), SlotArrangement::forSwap (4, 10) })
    {
        const auto before = slotsNow (moves);

        for (int write = 0;; ++write)
        {
            SCOPED_TRACE ("cancelled after " + juce::String (write) + " writes");
            restore (before);

            CancellingHost host (device, write);
            const auto outcome = arrange (moves, host);
            expectAsBeforeOrPlanned (moves, before);

            if (! host.cancelled)
                break;

            EXPECT_TRUE (outcome.cancelled);
        }
    }
}

TEST_F (ArrangeSlots, FailedPutBackStopsAndSaysWhatEachSlotHoldsAndWhereTheMissingPresetIs)
{
    const auto moves = SlotArrangement::forMove ({ 2 }, 5); // one cycle: 2, 3, 4, 5
    const auto before = slotsNow (moves);

    // From the third write on the device takes no preset: the move fails there, and so does
    // putting it back.
    DeviceSimulator::Faults faults;
    faults.errAtReply = 2;
    faults.fromSend = 3;
    device.setFaults (faults);

    CancellingHost host (device, -1);
    const auto outcome = arrange (moves, host);
    device.setFaults ({});

    EXPECT_LT (outcome.result, 0);
    const auto& notice = outcome.failureNotice;
    EXPECT_TRUE (notice.contains ("slot 02 holds \"Preset 3\" (from slot 03)")) << notice;
    EXPECT_TRUE (notice.contains ("slot 03 holds \"Preset 4\" (from slot 04)")) << notice;
    EXPECT_TRUE (notice.contains ("slot 04 may hold part of a preset")) << notice;
    EXPECT_TRUE (samePreset (device.getSlot (2), before.at (3)));
    EXPECT_TRUE (samePreset (device.getSlot (3), before.at (4)));
    EXPECT_TRUE (samePreset (device.getSlot (5), before.at (5)));

    // The one preset out of the device is on disk, where the notice says.
    const auto keptAt = notice.fromLastOccurrenceOf ("kept in ", false, false).dropLastCharacters (1);
    EXPECT_TRUE (notice.contains ("\"Preset 2\" (slot 02) is not in the Tonarel")) << notice;
    const juce::File keptFile (keptAt);
    const auto kept =
        readPresetFile (keptFile.getParentDirectory().getFullPathName(), keptFile.getFileName());
    ASSERT_TRUE (kept.has_value()) << keptAt;
    EXPECT_TRUE (samePreset (*kept, before.at (2)));
}

//==============================================================================
class ArrangeSlotsInThePanel : public LibrarianFixture
{
protected:
    /** Presses the progress window's Cancel as the job shows its status for the given write of
        the move, and holds the job until it has been pressed; records every status shown.
    */
    void cancelAtWrite (int write)
    {
        panel->getTransferController().onStatusMessage = [this, write] (const juce::String& status)
        {
            {
                const std::lock_guard<std::mutex> guard (statusLock);
                statuses.add (status);
            }

            if (! status.startsWith ("Moving preset") || ++writesShown != write)
                return;

            // A click is handled by a message of its own, posted behind this one: the job goes on
            // only once the message after it has come, so the click has taken effect by then.
            juce::WaitableEvent pressed;
            juce::MessageManager::callAsync (
                [this, &pressed]
                {
                    if (auto* cancel = cancelButtonOf (panel->getAlertWindow()))
                        cancel->triggerClick();

                    juce::MessageManager::callAsync ([&pressed] { pressed.signal(); });
                });
            pressed.wait();
        };
    }

    juce::StringArray takeStatuses()
    {
        const std::lock_guard<std::mutex> guard (statusLock);
        return statuses;
    }

    std::mutex statusLock;
    juce::StringArray statuses;
    int writesShown = 0;
};

TEST_F (ArrangeSlotsInThePanel, CancelPutsBackOrFinishesTheMoveAndSaysWhich)
{
    openConnectedPanel();
    std::map<int, PresetData> before;

    for (int slot = 1; slot <= 6; ++slot)
        before[slot] = device->getSlot (slot);

    for (const auto write : { 2, 5 })
    {
        SCOPED_TRACE ("Cancel pressed at write " + juce::String (write) + " of 6");
        writesShown = 0;

        for (const auto& [slot, preset] : before)
            device->setSlot (slot, preset);

        // Slot 1 to slot 6: one cycle of six writes.
        dialogs.boxes.clear();
        dialogs.answers = { 1 };
        cancelAtWrite (write);
        panel->moveSlots ({ 1 }, 6);

        const auto putBack = write <= 3; // the cancel takes effect before write + 1
        const auto shown = takeStatuses();
        const auto cancelling = shown[shown.indexOf ("Moving preset " + juce::String (write == 2 ? 3 : 6) +
                                                     " to " + juce::String (write == 2 ? 2 : 5)) +
                                      1];
        EXPECT_TRUE (cancelling.startsWith (putBack ? "Canceling... the move is put back first"
                                                    : "Canceling... the move is finished first"))
            << shown.joinIntoString (" | ");

        for (int slot = 1; slot <= 6; ++slot)
        {
            const auto from = putBack ? slot : (slot == 6 ? 1 : slot + 1);
            EXPECT_TRUE (samePreset (device->getSlot (slot), before[from])) << "slot " << slot;
            EXPECT_EQ (panel->getDeviceList().getRows()[slot - 1].name, device->getSlot (slot).name);
        }

        ASSERT_EQ (dialogs.boxes.size(), 2u);
        EXPECT_TRUE (dialogs.boxes[1].message.startsWith ("Canceled")) << dialogs.boxes[1].message;
        EXPECT_TRUE (dialogs.boxes[1].message.contains (putBack ? "put back where they were"
                                                                : "had been moved before the cancel"))
            << dialogs.boxes[1].message;
        statuses.clear();
    }
}
