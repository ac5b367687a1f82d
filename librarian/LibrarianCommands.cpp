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
    return runThread (juce::Thread::Priority::normal);
}

void PresetLibrarianManager::readListedNames()
{
    setProgress (0.0);
    devicePresets.clear();

    const auto completed = runJob (TransferKind::ReadListedNames);
    const juce::String word = ! completed ? "canceled" : lastResult < 0 ? "failed" : "done";
    kind = TransferKind::none;
    statusLabel->setText ("reading " + word, juce::dontSendNotification);

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
    auto& deviceTable = deviceList->getTable();

    if (presetManager != nullptr && presetManager->isDeviceReachable())
    {
        const auto deviceRowsSelected = deviceTable.getNumSelectedRows();
        const auto localRowsSelected = localList->getTable().getNumSelectedRows();

        saveButton->setEnabled (deviceRowsSelected >= 1 && deviceRowsSelected <= numDeviceSlots - 1);
        saveAllButton->setEnabled (true);
        loadButton->setEnabled (localRowsSelected > 0 && deviceRowsSelected > 0);
        loadAllButton->setEnabled (! localList->getRows().isEmpty());
        deviceTable.updateContent();
        deviceList->setEnabled (true);
    }
    else
    {
        saveButton->setEnabled (false);
        saveAllButton->setEnabled (false);
        loadButton->setEnabled (false);
        loadAllButton->setEnabled (false);
        deviceList->clearRows();
        deviceList->setEnabled (false);
    }
}
