// Taking back the last load of this run: its snapshot folder holds what the slots it reached
// held before, and sending those files back into those slots is a load like any other, with a
// snapshot of its own. So the undo is the last load from then on, and undoing it again puts
// back what the first load wrote.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"

void PresetLibrarianManager::rememberLoad (const TransferReport& report)
{
    if (auto undo = LoadUndo::ofLoad (report))
    {
        lastLoad = std::move (undo);
        return;
    }

    // A load that reached no slot changed nothing: the one before it is still the one to undo.
    // One that wrote without a snapshot cannot be undone, and undoing the one before it would
    // not give back what this one overwrote.
    const auto& outcome = report.outcome;

    if (! outcome.slotsToReadBack.isEmpty() || ! outcome.verifiedSlots.isEmpty())
        lastLoad.reset();
}

bool PresetLibrarianManager::canUndoLastLoad() const
{
    return lastLoad.has_value() && lastLoad->isAvailable();
}

void PresetLibrarianManager::undoLastLoad()
{
    if (! canUndoLastLoad())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, "Undo Last Load",
                                      "There is no load to undo: no load of this session kept a snapshot "
                                      "that is still there.",
                                      "Ok");
        return;
    }

    if (! isConnected() || ! getPresetManager().isDeviceReachable())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, "Undo Last Load",
                                      "The Tonarel is not connected: there is no slot to send back to.",
                                      "Ok");
        return;
    }

    const auto undo = *lastLoad;
    const auto count = undo.getSlots().size();
    const auto question =
        "Undo the last load? " + juce::String (count) + (count == 1 ? " slot gets" : " slots get") +
        " back the " + (count == 1 ? "preset it" : "presets they") + " held before it (" +
        undo.describeSlots() + "), from the snapshot in " + undo.getSnapshotFolder().getFullPathName() +
        ".\n\nWhat " + (count == 1 ? "it holds" : "they hold") +
        " now is kept in a snapshot of its own, so this can be undone too.";

    if (! services.dialogs.confirm (Dialogs::Icon::question, "Undo Last Load", question, "Undo", "Cancel"))
        return;

    auto job = undo.makeJob (configuration.getSnapshotsFolder());

    if (! job.has_value())
        return;

    monitor->stopWatching();

    // Always with a snapshot, whatever the setting for loads: that is what makes it undoable.
    runLoad (std::move (*job), { true, settings.getVerifyAfterLoading() });

    monitor->lookAgainLater();
    updateButtonStates();
}
