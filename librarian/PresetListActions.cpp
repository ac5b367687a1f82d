// What the two lists ask of the panel: the information box and deletion of preset files for
// the computer list, and reading the selected slots' names again for the device list.

#include "librarian/PresetLibrarianManager.h"

#include "librarian/Dialogs.h"
#include "device/PresetManager.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"

void PresetLibrarianManager::showPresetInfo (const juce::String& fileName)
{
    juce::String desc;
    const auto preset = readPresetFile (presetManager->presetFolder, fileName, &desc);

    const auto message = preset.has_value() ? fileName + "\n\nName: " + preset->name + "\nVersion: " +
                                                  juce::String (preset->version) + "\nID: " + desc
                                            : juce::String ("Unable to read preset...");

    services.dialogs.showMessage (Dialogs::Icon::info, "Preset Information", message, "Ok");
}

void PresetLibrarianManager::deleteLocalPresets (const juce::String& fileName)
{
    const auto selected = localList->getTable().getSelectedRows();
    const auto numSelected = selected.size();

    if (numSelected == 1)
    {
        if (services.dialogs.confirm (Dialogs::Icon::question, {}, "OK to delete " + fileName + "? "))
            deletePresetFile (presetManager->presetFolder, fileName);
    }
    else if (numSelected > 1)
    {
        // The names are taken before the question, so exactly the files counted in it go.
        juce::StringArray fileNames;

        for (int i = 0; i < numSelected; ++i)
            if (const auto* file = localList->getShownEntry (selected[i]))
                fileNames.add (file->fileName);

        const auto question = "OK to delete " + juce::String (fileNames.size()) + " preset files? ";

        if (services.dialogs.confirm (Dialogs::Icon::question, {}, question))
            for (const auto& name : fileNames)
                deletePresetFile (presetManager->presetFolder, name);
    }

    rescanPresetFolder();
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
                                      "Unable to read #" + juce::String (jobOutcome.failedSlot), "Ok");
        return;
    }

    const auto& header = presetManager->received;
    addDevicePreset (header.number, header.name, header.version);
    deviceList->mergeDevicePresets();
}
