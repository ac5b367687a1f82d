// The preset folder: the folder chooser's notifications, the scan that fills the computer list,
// and copying a file within the folder. All of it runs on the message thread.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "librarian/Dialogs.h"
#include "librarian/PresetLocal.h"
#include "presets/PresetFile.h"
#include "presets/VerifiedFileWrite.h"

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
    // only of those that come after the preset manager was made.
    jassert (controller != nullptr);

    const auto folder = folderChooser->getCurrentFile();
    const auto folderPath = folder.getFullPathName();

    // The files selected stay selected where they are still listed, wherever the new listing
    // puts them; in another folder a file of the same name is another file.
    const auto selectedFiles = getPresetManager().presetFolder == folderPath ? localList->getSelectedKeys()
                                                                             : std::set<juce::String>();
    getPresetManager().presetFolder = folderPath;
    configuration.rememberPresetFolder (folder);

    // What a save that was cut short (a crash, a kill, a power cut) left behind.
    removeLeftoverTemporaryFiles (folder);

    localList->clearRows();

    for (const auto& fileName : listPresetFileNames (folder))
    {
        if (const auto preset = readPresetFile (folderPath, fileName))
        {
            localList->addLocalPreset (preset->name, fileName);
            lastFileVersion = preset->version;
        }
    }

    localList->selectKeys (selectedFiles);
    updateButtonStates();
    showVersionTexts();
}

void PresetLibrarianManager::copyLocalPreset (const juce::String& fileName)
{
    const auto copied = copyPresetFile (getPresetManager().presetFolder, fileName);
    rescanPresetFolder();

    if (copied.failed())
        services.dialogs.showMessage (Dialogs::Icon::warning, "Copy",
                                      fileName + " could not be copied: " + copied.getErrorMessage() + ".",
                                      {});
}
