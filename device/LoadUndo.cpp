#include "device/LoadUndo.h"

#include "presets/PresetFile.h"
#include "presets/SlotFilePairing.h"

LoadUndo::LoadUndo (const juce::File& folder, juce::Array<int> slotsToSendBack)
    : snapshotFolder (folder), slots (std::move (slotsToSendBack))
{
    slots.sort();
}

std::optional<LoadUndo> LoadUndo::ofLoad (const TransferReport& report)
{
    const auto& outcome = report.outcome;

    if (outcome.kind != TransferKind::Send || outcome.snapshotFolder == juce::File())
        return std::nullopt;

    // A slot is snapshotted before anything is sent to it, so every slot the load reached has
    // its earlier preset in the folder: those it wrote whole, a verify that found the slot
    // spoilt, and one cut short by a cancel or a fault in the middle of its frames.
    juce::Array<int> reached;

    for (const auto& preset : report.presets)
        if (preset.result >= 0 || preset.result == TransferResult::verifyFailed)
            reached.addIfNotAlreadyThere (preset.slot);

    for (const auto slot : outcome.slotsToReadBack)
        reached.addIfNotAlreadyThere (slot);

    for (const auto& slot : outcome.verifiedSlots)
        reached.addIfNotAlreadyThere (slot.number);

    if (reached.isEmpty())
        return std::nullopt;

    return LoadUndo (outcome.snapshotFolder, reached);
}

std::optional<LoadUndo> LoadUndo::ofSnapshotFolder (const juce::File& snapshotFolder)
{
    const auto pairing = pairFilesWithSlots (listPresetFileNames (snapshotFolder));

    if (pairing.slots.isEmpty())
        return std::nullopt;

    return LoadUndo (snapshotFolder, pairing.slots);
}

juce::StringArray LoadUndo::snapshotFiles() const
{
    // The snapshots are named by the save rule, slot first; a folder the user has added files to
    // since may name a slot twice, and then neither file is taken for it.
    return pairFilesWithSlots (listPresetFileNames (snapshotFolder), slots).fileNames;
}

bool LoadUndo::isAvailable() const
{
    return snapshotFolder.isDirectory() && snapshotFiles().size() == slots.size();
}

std::optional<TransferJob> LoadUndo::makeJob (const juce::File& snapshotsFolder) const
{
    const auto fileNames = snapshotFiles();

    if (! snapshotFolder.isDirectory() || fileNames.size() != slots.size())
        return std::nullopt;

    TransferJob job;
    job.kind = TransferKind::Send;
    job.name = "Undo";
    job.presetFolder = snapshotFolder;
    job.snapshotsFolder = snapshotsFolder;
    job.selection.fileNames = fileNames;
    job.selection.wholeDeviceConfirmed = true;

    for (const auto slot : slots)
        job.selection.slots.add ({ slot, {}, 0 });

    return job;
}

juce::String LoadUndo::describeSlots() const
{
    if (slots.size() == 1)
        return "slot " + juce::String (slots.getFirst());

    juce::StringArray numbers;

    for (const auto slot : slots)
        numbers.add (juce::String (slot));

    const auto last = numbers[numbers.size() - 1];
    numbers.remove (numbers.size() - 1);
    return "slots " + numbers.joinIntoString (", ") + " and " + last;
}
