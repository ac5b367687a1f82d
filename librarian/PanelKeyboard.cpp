// The panel at the keyboard: the order Tab takes through it, what Return and Delete do in the
// lists, and the commands the main window gives keys to. A command run by its key takes the same
// path as its button or menu item, questions included. All of it runs on the message thread.

#include "librarian/PresetLibrarianManager.h"

#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"

void PresetLibrarianManager::setUpKeyboard()
{
    // Down the device list's side, across by the chooser to the files, and last "Help", which
    // sits apart in the corner. Left to itself the framework would take the chooser first (it is
    // always on top) and then go by position, through "Help" before the lists.
    int order = 0;

    const std::initializer_list<juce::Component*> tabOrder {
        deviceList.get(),    saveAllButton.get(), saveButton.get(), loadButton.get(), loadAllButton.get(),
        refreshButton.get(), folderChooser.get(), localList.get(),  helpButton.get()
    };

    for (auto* child : tabOrder)
        child->setExplicitFocusOrder (++order);

    // The folder's box only offers the folders chosen before; Tab goes to its Browse button.
    for (auto* child : folderChooser->getChildren())
        if (dynamic_cast<juce::ComboBox*> (child) != nullptr)
            child->setWantsKeyboardFocus (false);

    // A click on a button leaves the focus in the list the user works in, so that its keys
    // keep working; Tab still stops on every button.
    for (auto* button : { saveAllButton.get(), saveButton.get(), loadButton.get(), loadAllButton.get(),
                          refreshButton.get(), helpButton.get() })
        button->setMouseClickGrabsKeyboardFocus (false);

    deviceList->onReturnKey = [this] { returnInDeviceList(); };
    localList->onReturnKey = [this] { returnInComputerList(); };

    // Files are deleted from their own list only; the device list has no Delete.
    localList->onDeleteKey = [this] { run (PanelCommand::deleteFiles); };
}

void PresetLibrarianManager::returnInDeviceList()
{
    // Every slot selected is "Save All >>"'s job, which "Save >" leaves to it.
    if (canRun (PanelCommand::save))
        run (PanelCommand::save);
    else if (deviceSlots.getNumSelected() == kPresetSlotCount)
        run (PanelCommand::saveAll);
}

void PresetLibrarianManager::returnInComputerList()
{
    run (PanelCommand::loadTo);
}

bool PresetLibrarianManager::canRun (PanelCommand command) const
{
    if (isThreadRunning() || quitting || isCurrentlyBlockedByAnotherModalComponent())
        return false;

    switch (command)
    {
        case PanelCommand::saveAll: return saveAllButton->isEnabled();
        case PanelCommand::save: return saveButton->isEnabled();
        case PanelCommand::loadTo: return loadButton->isEnabled();
        case PanelCommand::loadAll: return loadAllButton->isEnabled();
        case PanelCommand::refresh: return refreshButton->isEnabled();
        case PanelCommand::getInfo:
        case PanelCommand::copy: return presetFiles.getNumSelected() == 1;
        case PanelCommand::deleteFiles: return presetFiles.getNumSelected() > 0;
        case PanelCommand::rename: return renameTarget() != RenameTarget::none;
        case PanelCommand::find: return true;
    }

    return false;
}

void PresetLibrarianManager::run (PanelCommand command)
{
    if (! canRun (command))
        return;

    const auto firstSelectedFile = presetFiles.getSelectedFileNames()[0];

    switch (command)
    {
        case PanelCommand::saveAll: buttonClicked (saveAllButton.get()); break;
        case PanelCommand::save: buttonClicked (saveButton.get()); break;
        case PanelCommand::loadTo: buttonClicked (loadButton.get()); break;
        case PanelCommand::loadAll: buttonClicked (loadAllButton.get()); break;
        case PanelCommand::refresh: buttonClicked (refreshButton.get()); break;
        case PanelCommand::getInfo: showPresetInfo (firstSelectedFile); break;
        case PanelCommand::copy: copyLocalPreset (firstSelectedFile); break;

        // With one file selected it is that file; with several the question counts them all.
        case PanelCommand::deleteFiles: deleteLocalPresets (firstSelectedFile); break;

        case PanelCommand::rename:
            if (renameTarget() == RenameTarget::file)
                renameLocalPreset (firstSelectedFile);
            else
                renameDeviceSlot (deviceSlots.getSelectedEntries()[0].number);
            break;

        // Reached from outside both lists: the device list's filter opens from inside it.
        case PanelCommand::find: localList->showFilterField ({}); break;
    }
}

PresetLibrarianManager::RenameTarget PresetLibrarianManager::renameTarget() const
{
    // Both lists may have a selection: F2 renames in the one the keyboard is in, as its menu would.
    if (localList->hasKeyboardFocus (true))
        return presetFiles.getNumSelected() == 1 ? RenameTarget::file : RenameTarget::none;

    if (deviceList->hasKeyboardFocus (true))
        return isConnected() && deviceSlots.getNumSelected() == 1 ? RenameTarget::slot : RenameTarget::none;

    return RenameTarget::none;
}

void PresetLibrarianManager::showKeysInTooltips (
    const std::function<juce::String (const juce::String& caption)>& keyTextOf)
{
    for (auto* button : { saveAllButton.get(), saveButton.get(), loadButton.get(), loadAllButton.get(),
                          refreshButton.get() })
        if (const auto key = keyTextOf (button->getButtonText()); key.isNotEmpty())
            button->setTooltip (button->getTooltip() + " (" + key + ")");
}
