// The buttons' commands and the operations they share with the rest of the panel: reading the
// device's slot names, refreshing the device list and enabling the buttons.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"

namespace
{
    constexpr int monitorPeriodAfterCommandMs = 2000;
    constexpr int numDeviceSlots = 99;
}

void PresetLibrarianManager::buttonClicked (juce::Button* button)
{
    stopTimer (monitorTimerId);

    if (button == refreshButton.get())
    {
        if (connected)
            refresh (true);

        rescanPresetFolder();
    }

    startTimer (monitorTimerId, monitorPeriodAfterCommandMs);
    updateButtonStates();
}

bool PresetLibrarianManager::runJob (TransferKind jobKind)
{
    kind = jobKind;
    const auto completed = runThread (juce::Thread::Priority::normal);
    kind = TransferKind::none;
    return completed;
}

void PresetLibrarianManager::runNameReadingJob (TransferKind jobKind)
{
    const auto completed = runJob (jobKind);
    const juce::String word = ! completed ? "canceled" : lastResult < 0 ? "failed" : "done";
    statusLabel->setText ("reading " + word, juce::dontSendNotification);
}

void PresetLibrarianManager::readListedNames()
{
    setProgress (0.0);
    devicePresets.clear();
    runNameReadingJob (TransferKind::ReadListedNames);

    numbers.clear();
    deviceList->mergeDevicePresets();
}

void PresetLibrarianManager::refresh (bool read)
{
    // A refresh cannot be cancelled: the device list would be left half read.
    setProgressWindowButtonsVisible (false);

    if (read)
    {
        numbers.clear();

        for (int slot = 1; slot <= numDeviceSlots; ++slot)
            numbers.add (slot);

        readListedNames();
    }
    else
    {
        deviceList->mergeDevicePresets();
    }

    setProgressWindowButtonsVisible (true);
}

void PresetLibrarianManager::setProgressWindowButtonsVisible (bool visible)
{
    if (auto* window = getAlertWindow())
        for (auto* child : window->getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child))
                button->setVisible (visible);
}

void PresetLibrarianManager::updateButtonStates()
{
    const auto reachable = presetManager->isDeviceReachable();
    auto& deviceTable = deviceList->getTable();
    const auto deviceRowsSelected = deviceTable.getNumSelectedRows();
    const auto localRowsSelected = localList->getTable().getNumSelectedRows();

    // "Save >" stops short of all 99 slots: that job is "Save All >>".
    saveButton->setEnabled (reachable && deviceRowsSelected >= 1 && deviceRowsSelected < numDeviceSlots);
    saveAllButton->setEnabled (reachable);
    loadButton->setEnabled (reachable && localRowsSelected > 0 && deviceRowsSelected > 0);
    loadAllButton->setEnabled (reachable && ! localList->getRows().isEmpty());

    // Without the device its slots are unknown: the list is emptied rather than left stale.
    if (reachable)
        deviceTable.updateContent();
    else
        deviceList->clearRows();

    deviceList->setEnabled (reachable);
}
