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
#include "presets/SetFolders.h"
#include "presets/VerifiedFileWrite.h"

void PresetLibrarianManager::connectLists()
{
    deviceList->onSelectionChanged = [this] { updateButtonStates(); };
    deviceList->onRefresh = [this] { readSelectedDeviceNames(); };
    deviceList->onCompareWithFile = [this] (int slot) { compareSlotWithFile (slot); };
    deviceList->onRenameSlot = [this] (int slot) { renameDeviceSlot (slot); };
    deviceList->onFilesDropped = [this] (const juce::StringArray& fileNames, int firstSlot)
    { loadDroppedFiles (fileNames, firstSlot); };
    deviceList->onSlotsMoved = [this] (const juce::Array<int>& slots, int landingSlot)
    { moveSlots (slots, landingSlot); };

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

void PresetLibrarianManager::createNewSet()
{
    // Beside the folder in use: the sets of one user stand together, "Set 1" the first of them.
    const auto current = folderChooser->getCurrentFile();
    const auto parent = current.getParentDirectory();

    Dialogs::TextRule rule;
    rule.problemWith = [parent] (const juce::String& text)
    { return SetFolders::problemWithName (parent, text); };

    const auto name = services.dialogs.askForText (
        "New Set", "A new folder for a set of presets, beside " + current.getFileName() + ":",
        SetFolders::firstFreeName (parent), rule, "Create");

    if (! name.has_value())
        return;

    const auto created = SetFolders::create (parent, *name);

    if (created.failed())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, "New Set",
                                      "The set \"" + *name + "\" could not be made: " + created.failure, {});
        return;
    }

    // As a folder chosen with Browse: in the chooser's list of this run's folders, remembered,
    // and listed (empty) at once.
    folderChooser->setCurrentFile (created.folder, true, juce::sendNotificationSync);
}

void PresetLibrarianManager::showAllSlots()
{
    deviceList->clearFilter();
    deviceSlots.setShowOnlyDiffering (false);
}

void PresetLibrarianManager::copyLocalPreset (const juce::String& fileName)
{
    const auto copied = copyPresetFile (presetFiles.getFolderPath(), fileName);
    rescanPresetFolder();

    if (copied.failed())
        services.dialogs.showMessage (Dialogs::Icon::warning, "Copy",
                                      fileName + " could not be copied: " + copied.failure + ".", {});
    else
        selectNewFiles ({ copied.fileName });
}

void PresetLibrarianManager::selectCopiesMadeSince (const juce::StringArray& filesBefore)
{
    // A copy's name is "copy", its number and "_" before the name it copies.
    const auto isCopyName = [] (const juce::String& name)
    {
        const auto number =
            name.fromFirstOccurrenceOf ("copy", false, true).upToFirstOccurrenceOf ("_", false, false);
        return name.startsWithIgnoreCase ("copy") && number.isNotEmpty() &&
               number.containsOnly ("0123456789") && name.containsChar ('_');
    };

    juce::StringArray copies;

    for (const auto& name : presetFiles.getAllFileNames())
        if (isCopyName (name) && ! filesBefore.contains (name))
            copies.add (name);

    selectNewFiles (copies);
}

void PresetLibrarianManager::selectNewFiles (const juce::StringArray& fileNames)
{
    if (fileNames.isEmpty())
        return;

    // A copy the filter would hide is shown all the same: the user is to see what was made.
    for (const auto& fileName : fileNames)
        if (presetFiles.getShownRowOf (fileName) < 0)
            localList->clearFilter();

    presetFiles.selectFiles (fileNames);

    // The copies sort after their originals, maybe far down a long folder.
    const auto firstRow = presetFiles.getShownRowOf (fileNames[0]);

    if (firstRow >= 0)
        localList->getTable().scrollToEnsureRowIsOnscreen (firstRow);
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
            showAllSlots();

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

    juce::StringArray notPresets, notCopied, copiesMade;

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
        auto madeCopy = false;

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
            {
                target = juce::File (presetCopyFileName (folderPath, fileName));
                madeCopy = true;
            }
        }

        juce::MemoryBlock content;

        if (! source.loadFileAsData (content) || ! writeFileVerified (target, content))
            notCopied.add (source.getFileName());
        else if (madeCopy)
            copiesMade.add (target.getFileName());
    }

    rescanPresetFolder();
    selectNewFiles (copiesMade);

    if (const auto notice = copyNotice (notPresets, notCopied); notice.isNotEmpty())
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notice, "Ok");
}
