// What the two lists ask of the panel: the information box and deletion of preset files for
// the computer list, and reading the selected slots' names again for the device list.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "librarian/Dialogs.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"

void PresetLibrarianManager::showPresetInfo (const juce::String& fileName)
{
    juce::String desc;
    const auto preset = readPresetFile (getPresetManager().presetFolder, fileName, &desc);

    const auto message = preset.has_value()
                             ? fileName + "\n\nName: " + preset->name +
                                   "\nVersion: " + juce::String (preset->version) + "\nID: " + desc
                             : juce::String ("Unable to read preset...");

    services.dialogs.showMessage (Dialogs::Icon::info, "Preset Information", message, "Ok");
}

void PresetLibrarianManager::deleteLocalPresets (const juce::String& fileName)
{
    const auto selected = localList->getTable().getSelectedRows();
    const auto numSelected = selected.size();

    // The names are taken before the question, so exactly the files counted in it go.
    juce::StringArray fileNames;

    if (numSelected == 1)
        fileNames.add (fileName);

    if (numSelected > 1)
        for (int i = 0; i < numSelected; ++i)
            if (const auto* file = localList->getShownEntry (selected[i]))
                fileNames.add (file->fileName);

    const auto question = numSelected == 1
                              ? "OK to delete " + fileName + "? "
                              : "OK to delete " + juce::String (fileNames.size()) + " preset files? ";
    juce::StringArray failures;

    if (! fileNames.isEmpty() && services.dialogs.confirm (Dialogs::Icon::question, {}, question))
        for (const auto& name : fileNames)
            if (const auto deleted = deletePresetFile (getPresetManager().presetFolder, name);
                deleted.failed())
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

    deviceList->mergeDevicePresets();
}
