// Drops onto the two lists. A drag between the lists is the transfer command it stands for, run
// through the same button path a click takes; files dropped from the desktop are copied into the
// preset folder as a save would write them. All of it runs on the message thread.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"
#include "presets/PresetFileName.h"
#include "presets/VerifiedFileWrite.h"

void PresetLibrarianManager::loadDroppedFiles (const juce::Array<int>& fileRows, int firstSlot)
{
    auto& localTable = localList->getTable();
    auto& deviceTable = deviceList->getTable();
    const auto lastSlot = juce::jmin (firstSlot + fileRows.size() - 1, kLastPresetNumber);

    localTable.deselectAllRows();

    for (const auto row : fileRows)
        if (juce::isPositiveAndBelow (row, localList->getNumRows()))
            localTable.selectRow (row, true, false);

    // The slots are found by their numbers: the rows stand for slots one to one only after a
    // full read and with no filter on. A drop fills the slots from the one under the pointer
    // on, also those the filter hides, so it shows them all first.
    deviceTable.deselectAllRows();
    const auto& slots = deviceList->getRows();

    for (int entry = 0; entry < slots.size(); ++entry)
        if (slots.getReference (entry).number > firstSlot && slots.getReference (entry).number <= lastSlot &&
            deviceList->getTableRowOf (entry) < 0)
            deviceList->clearFilter();

    for (int entry = 0; entry < slots.size(); ++entry)
        if (slots.getReference (entry).number >= firstSlot && slots.getReference (entry).number <= lastSlot)
            deviceTable.selectRow (deviceList->getTableRowOf (entry), true, false);

    updateButtonStates();

    if (loadButton->isEnabled())
        buttonClicked (loadButton.get());
}

void PresetLibrarianManager::saveDroppedSlots (const juce::Array<int>& deviceRows)
{
    auto& deviceTable = deviceList->getTable();
    const auto rowCount = juce::jmin (kPresetSlotCount, deviceList->getNumRows());

    deviceTable.deselectAllRows();

    for (const auto row : deviceRows)
        if (juce::isPositiveAndBelow (row, rowCount))
            deviceTable.selectRow (row, true, false);

    updateButtonStates();

    // "Save >" stops short of all 99 slots; all of them is "Save All >>", which saves the same.
    auto* button =
        deviceTable.getNumSelectedRows() >= kPresetSlotCount ? saveAllButton.get() : saveButton.get();

    if (button->isEnabled())
        buttonClicked (button);
}

void PresetLibrarianManager::copyDroppedFiles (const juce::StringArray& paths)
{
    const auto folderPath = getPresetManager().presetFolder;
    const juce::File folder (folderPath);
    juce::Array<juce::File> sources;

    // A file dropped from the preset folder itself is already there.
    for (const auto& path : paths)
    {
        const juce::File source (path);

        if (source.getFileName().endsWithIgnoreCase (kPresetFileExtension) &&
            source.getParentDirectory() != folder)
            sources.add (source);
    }

    juce::StringArray notPresets, notCopied;

    // The question a save asks on a clash, so the user meets one question.
    StandingAnswer clashAnswer;

    for (const auto& source : sources)
    {
        // Only what the librarian can read is let in: the scan would not list anything else, and
        // "< Load To" could not send it.
        if (! readPresetFile (source.getParentDirectory().getFullPathName(), source.getFileName())
                  .has_value())
        {
            notPresets.add (source.getFileName());
            continue;
        }

        // The name came from another folder, maybe another system: it is made plain here as the
        // names a save forms are.
        const auto fileName = makePlainFileName (source.getFileName());
        auto target = juce::File (folderPath + "/" + fileName);

        if (target.exists())
        {
            const auto answer = clashAnswer.get (
                [&] {
                    return services.dialogs.ask (
                        TransferQuestion::fileExists (fileName, sources.size() >= 2));
                });

            if (answer == TransferQuestion::skipFile)
                continue;

            if (answer == TransferQuestion::createCopy)
                target = juce::File (presetCopyFileName (folderPath, fileName));
        }

        juce::MemoryBlock content;

        if (! source.loadFileAsData (content) || ! writeFileVerified (target, content))
            notCopied.add (source.getFileName());
    }

    rescanPresetFolder();

    juce::String notice;

    if (! notPresets.isEmpty())
        notice << "Not preset files, not copied:\n" << notPresets.joinIntoString ("\n");

    if (! notCopied.isEmpty())
        notice << (notice.isEmpty() ? "" : "\n\n") << "Could not be copied into the preset folder:\n"
               << notCopied.joinIntoString ("\n");

    if (notice.isNotEmpty())
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notice, "Ok");
}
