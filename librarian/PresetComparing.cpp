// Comparing the preset folder with the device: one file with one slot, shown in the comparison
// window, and every slot with the files of its number, marked in the device list. The slots are
// read whole behind the progress window; nothing is written, neither to the device nor to a file.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetComparison.h"
#include "device/PresetManager.h"
#include "librarian/PresetComparisonWindow.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"

#include <map>

namespace
{
    constexpr auto notConnectedText = "The Tonarel is not connected: there is no slot to compare with.";
}

std::vector<PresetData> PresetLibrarianManager::readWholeSlots (const juce::Array<int>& slots)
{
    TransferSelection toRead;

    for (const auto slot : slots)
        toRead.slots.add ({ slot, {}, 0 });

    wholePresets.clear();
    setJobProgress (0.0);
    statusLabel->setText ("comparing", juce::dontSendNotification);

    const auto word = reportOutcome (runJob (TransferKind::ReadWhole, toRead));
    statusLabel->setText ("comparing " + word, juce::dontSendNotification);
    setJobProgress (1.0);
    showJobProgress();

    // A whole read tells the slot's name as well: the list shows it.
    for (const auto& preset : wholePresets)
        deviceSlots.setEntry (preset.number, preset.name, preset.version);

    return std::exchange (wholePresets, {});
}

void PresetLibrarianManager::showComparison (const juce::String& fileName, const PresetData& filePreset,
                                             const PresetData& slotPreset)
{
    if (comparisonWindow == nullptr)
        comparisonWindow = std::make_unique<PresetComparisonWindow> (*this);

    comparisonWindow->getView().show (fileName, filePreset, slotPreset.number, slotPreset);
    comparisonWindow->showInFront();
}

void PresetLibrarianManager::compareFileWithSlot (const juce::String& fileName)
{
    const auto filePreset = readPresetFile (presetFiles.getFolderPath(), fileName);

    if (! filePreset.has_value())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, "Unable to read preset...", "Ok");
        return;
    }

    if (! presetManager->isDeviceReachable())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notConnectedText, "Ok");
        return;
    }

    // Every slot is offered, with the name the list knows it by.
    juce::StringArray slotItems;

    for (int slot = kFirstPresetNumber; slot <= kLastPresetNumber; ++slot)
        slotItems.add (juce::String (slot));

    for (const auto& row : deviceSlots.getEntries())
        slotItems.set (row.number - kFirstPresetNumber, juce::String (row.number) + "  " + row.name);

    const auto slotInName = presetSlotFromFileName (fileName);
    const auto proposed = slotInName.has_value() ? *slotInName - kFirstPresetNumber : 0;
    const auto chosen = services.dialogs.chooseFromList (
        "Compare with Slot", "Compare " + fileName + " with the preset in slot:", slotItems, proposed,
        "Compare");

    if (! juce::isPositiveAndBelow (chosen, kPresetSlotCount))
        return;

    const auto read = readWholeSlots ({ chosen + kFirstPresetNumber });

    if (read.size() == 1)
        showComparison (fileName, *filePreset, read.front());
}

void PresetLibrarianManager::compareSlotWithFile (int slot)
{
    if (! presetManager->isDeviceReachable())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notConnectedText, "Ok");
        return;
    }

    // All files of the folder, also those the filter hides.
    juce::StringArray fileNames;
    auto proposed = -1;

    for (const auto& row : presetFiles.getEntries())
    {
        if (proposed < 0 && presetSlotFromFileName (row.fileName) == slot)
            proposed = fileNames.size();

        fileNames.add (row.fileName);
    }

    if (fileNames.isEmpty())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {},
                                      "There is no preset file in the preset folder to compare with.", "Ok");
        return;
    }

    const auto chosen = services.dialogs.chooseFromList (
        "Compare with File", "Compare preset " + juce::String (slot) + " with the file:", fileNames,
        juce::jmax (0, proposed), "Compare");

    if (! juce::isPositiveAndBelow (chosen, fileNames.size()))
        return;

    const auto fileName = fileNames[chosen];
    const auto filePreset = readPresetFile (presetFiles.getFolderPath(), fileName);

    if (! filePreset.has_value())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, "Unable to read preset...", "Ok");
        return;
    }

    const auto read = readWholeSlots ({ slot });

    if (read.size() == 1)
        showComparison (fileName, *filePreset, read.front());
}

void PresetLibrarianManager::compareDeviceWithFolder()
{
    if (! presetManager->isDeviceReachable())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notConnectedText, "Ok");
        return;
    }

    // The files are read before the slots, each slot number with every file that stands for it:
    // a slot saved again under a new name has two, and matching either is no change.
    std::map<int, std::vector<PresetData>> filesBySlot;

    for (const auto& row : presetFiles.getEntries())
    {
        if (const auto slot = presetSlotFromFileName (row.fileName))
            if (auto preset = readPresetFile (presetFiles.getFolderPath(), row.fileName))
                filesBySlot[*slot].push_back (std::move (*preset));
    }

    juce::Array<int> allSlots;

    for (int slot = kFirstPresetNumber; slot <= kLastPresetNumber; ++slot)
        allSlots.add (slot);

    // Cancel leaves the slots read so far compared and marked.
    const auto read = readWholeSlots (allSlots);
    auto differing = 0;

    for (const auto& slotPreset : read)
    {
        const auto& files = filesBySlot[slotPreset.number];
        const auto matches = std::any_of (files.begin(), files.end(),
                                          [&slotPreset] (const PresetData& file)
                                          { return comparePresets (file, slotPreset).isEmpty(); });

        deviceSlots.setDiffersFromFolder (slotPreset.number, ! matches);
        differing += matches ? 0 : 1;
    }

    const auto readCount = (int) read.size();
    juce::String summary;

    if (readCount == kPresetSlotCount)
        summary = differing == 0 ? juce::String ("No preset in the Tonarel differs from the preset folder.")
                                 : juce::String (differing) + " of " + juce::String (kPresetSlotCount) +
                                       " presets in the Tonarel differ from the preset folder.";
    else
        summary = juce::String (differing) + " of the " + juce::String (readCount) +
                  " presets read differ from the preset folder.";

    services.dialogs.showMessage (Dialogs::Icon::info, "Compare Device with Folder", summary, "Ok");
}
