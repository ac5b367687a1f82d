// The two lists and the preset folder: what the lists ask of the panel through their callbacks,
// the folder chooser's notifications and the scan that lists the folder, the computer list's
// file commands (information, copy, delete), reading the selected slots' names again, and drops
// onto the lists. A drag between the lists is the transfer command it stands for, run through
// the same button path a click takes; files dropped from the desktop are copied into the preset
// folder as a save would write them. All of it runs on the message thread.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "librarian/Dialogs.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"
#include "presets/PresetFileName.h"
#include "presets/VerifiedFileWrite.h"

void PresetLibrarianManager::connectLists()
{
    deviceList->onSelectionChanged = [this] { updateButtonStates(); };
    deviceList->onRefresh = [this] { readSelectedDeviceNames(); };
    deviceList->onCompareWithFile = [this] (int slot) { compareSlotWithFile (slot); };
    deviceList->onRenameSlot = [this] (int slot) { renameDeviceSlot (slot); };
    deviceList->onFilesDropped = [this] (const juce::StringArray& fileNames, int firstSlot)
    { loadDroppedFiles (fileNames, firstSlot); };

    localList->onSelectionChanged = [this] { updateButtonStates(); };
    localList->onRefresh = [this] { rescanPresetFolder(); };
    localList->onFileCommand = [this] (int item, const juce::String& fileName)
    { runFileCommand (item, fileName); };
    localList->onSlotsDropped = [this] (const juce::Array<int>& slots) { saveDroppedSlots (slots); };
    localList->onDesktopFilesDropped = [this] (const juce::StringArray& paths) { copyDroppedFiles (paths); };
}

void PresetLibrarianManager::runFileCommand (int menuItem, const juce::String& fileName)
{
    switch (menuItem)
    {
        case PresetLocal::getInfoItem: showPresetInfo (fileName); break;
        case PresetLocal::copyItem: copyLocalPreset (fileName); break;
        case PresetLocal::deleteItem: deleteLocalPresets (fileName); break;
        case PresetLocal::compareWithSlotItem: compareFileWithSlot (fileName); break;
        case PresetLocal::renameItem: renameLocalPreset (fileName); break;
        default: break;
    }
}

//==============================================================================
void PresetLibrarianManager::filenameComponentChanged (juce::FilenameComponent*)
{
    if (! folderChooser->getCurrentFile().isDirectory())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, "Error", "Cannot open!", {});
        return;
    }

    rescanPresetFolder();
}

void PresetLibrarianManager::rescanPresetFolder()
{
    // The chooser's first notification can arrive inside a modal loop of the constructor, but
    // only of those that come after the transfer controller was made.
    jassert (controller != nullptr);

    const auto folder = folderChooser->getCurrentFile();
    configuration.rememberPresetFolder (folder);

    // The files selected stay selected where they are still listed, wherever the new listing
    // puts them.
    if (const auto version = presetFiles.scan (folder))
        lastFileVersion = *version;

    updateButtonStates();
    showVersionTexts();
}

void PresetLibrarianManager::copyLocalPreset (const juce::String& fileName)
{
    const auto copied = copyPresetFile (presetFiles.getFolderPath(), fileName);
    rescanPresetFolder();

    if (copied.failed())
        services.dialogs.showMessage (Dialogs::Icon::warning, "Copy",
                                      fileName + " could not be copied: " + copied.getErrorMessage() + ".",
                                      {});
}

//==============================================================================
void PresetLibrarianManager::showPresetInfo (const juce::String& fileName)
{
    juce::String desc;
    const auto preset = readPresetFile (presetFiles.getFolderPath(), fileName, &desc);

    const auto message = preset.has_value()
                             ? fileName + "\n\nName: " + preset->name +
                                   "\nVersion: " + juce::String (preset->version) + "\nID: " + desc
                             : juce::String ("Unable to read preset...");

    services.dialogs.showMessage (Dialogs::Icon::info, "Preset Information", message, "Ok");
}

void PresetLibrarianManager::deleteLocalPresets (const juce::String& fileName)
{
    const auto numSelected = presetFiles.getNumSelected();

    // The names are taken before the question, so exactly the files counted in it go.
    juce::StringArray fileNames;

    if (numSelected == 1)
        fileNames.add (fileName);

    if (numSelected > 1)
        fileNames = presetFiles.getSelectedFileNames();

    const auto question = numSelected == 1
                              ? "OK to delete " + fileName + "? "
                              : "OK to delete " + juce::String (fileNames.size()) + " preset files? ";
    juce::StringArray failures;

    if (! fileNames.isEmpty() && services.dialogs.confirm (Dialogs::Icon::question, {}, question))
        for (const auto& name : fileNames)
            if (const auto deleted = deletePresetFile (presetFiles.getFolderPath(), name); deleted.failed())
                failures.add (name + ": " + deleted.getErrorMessage());

    rescanPresetFolder();

    if (! failures.isEmpty())
        services.dialogs.showMessage (
            Dialogs::Icon::warning, "Delete",
            (failures.size() == 1 ? juce::String ("This file could not be deleted:\n")
                                  : juce::String (failures.size()) + " files could not be deleted:\n") +
                failures.joinIntoString ("\n"),
            {});
}

void PresetLibrarianManager::readSelectedDeviceNames()
{
    setJobProgress (0.0);
    statusLabel->setText ("reading", juce::dontSendNotification);

    // Only the names read now are merged: the entries of an earlier read would put back names
    // that a verify or a comparison has since replaced in the list.
    devicePresets.clear();
    runNameReadingJob (TransferKind::ReadSelectedNames);

    if (lastResult < 0)
    {
        // The slot the read stopped at, which need not be the first one selected.
        services.dialogs.showMessage (Dialogs::Icon::warning, "Preset Information",
                                      "Unable to read #" + juce::String (jobOutcome().failedSlot), "Ok");
        return;
    }

    // The job handed each header it read to addDevicePreset.
    deviceSlots.merge (devicePresets);
}

//==============================================================================
void PresetLibrarianManager::loadDroppedFiles (const juce::StringArray& fileNames, int firstSlot)
{
    const auto lastSlot = juce::jmin (firstSlot + fileNames.size() - 1, kLastPresetNumber);
    presetFiles.selectFiles (fileNames);

    // A drop fills the slots from the one under the pointer on, also those the filter hides,
    // so it shows them all first.
    juce::Array<int> slots;

    for (const auto& entry : deviceSlots.getEntries())
        if (entry.number >= firstSlot && entry.number <= lastSlot)
            slots.add (entry.number);

    for (const auto slot : slots)
        if (deviceSlots.getShownRowOf (slot) < 0)
            deviceList->clearFilter();

    deviceSlots.selectSlots (slots);
    updateButtonStates();

    if (loadButton->isEnabled())
        buttonClicked (loadButton.get());
}

void PresetLibrarianManager::saveDroppedSlots (const juce::Array<int>& slots)
{
    deviceSlots.selectSlots (slots);
    updateButtonStates();

    // "Save >" stops short of all 99 slots; all of them is "Save All >>", which saves the same.
    auto* button = deviceSlots.getNumSelected() >= kPresetSlotCount ? saveAllButton.get() : saveButton.get();

    if (button->isEnabled())
        buttonClicked (button);
}

namespace
{
    /** The notice after a drop of files from the desktop: what was not copied, and why. */
    juce::String copyNotice (const juce::StringArray& notPresets, const juce::StringArray& notCopied)
    {
        juce::String notice;

        if (! notPresets.isEmpty())
            notice << "Not preset files, not copied:\n" << notPresets.joinIntoString ("\n");

        if (! notCopied.isEmpty())
            notice << (notice.isEmpty() ? "" : "\n\n") << "Could not be copied into the preset folder:\n"
                   << notCopied.joinIntoString ("\n");

        return notice;
    }
} // namespace

void PresetLibrarianManager::copyDroppedFiles (const juce::StringArray& paths)
{
    const auto folderPath = presetFiles.getFolderPath();
    const auto folder = presetFiles.getFolder();
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

    if (const auto notice = copyNotice (notPresets, notCopied); notice.isNotEmpty())
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notice, "Ok");
}
