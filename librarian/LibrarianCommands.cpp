// The buttons' commands and the operations they share with the rest of the panel: reading the
// device's slot names, refreshing the device list and enabling the buttons.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "librarian/HelpDocuments.h"
#include "librarian/JobProgressWindow.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/SlotFilePairing.h"

#include <utility>

namespace
{
    constexpr int monitorPeriodAfterCommandMs = 2000;
    constexpr int progressPeriodMs = 50;
    constexpr auto helpFileName = "PresetLibrarianHelp.htm";

    constexpr auto closeQuestion = "A transfer is running. Cancel it and quit?";
    constexpr int cancelAndQuit = 1, keepWorking = 0;
}

void PresetLibrarianManager::buttonClicked (juce::Button* button)
{
    stopTimer (monitorTimerId);

    if (button == saveButton.get())
    {
        saveSelectedPresets();
    }
    else if (button == saveAllButton.get())
    {
        // All means all 99 slots: a filter does not narrow it.
        deviceList->clearFilter();
        selectAllRows (deviceList->getTable());
        saveSelectedPresets();
    }
    else if (button == loadButton.get())
    {
        loadSelectedPresets();
    }
    else if (button == loadAllButton.get())
    {
        loadAllPresets();
    }
    else if (button == helpButton.get())
    {
        openHelp();
    }
    else if (button == refreshButton.get())
    {
        if (connected)
            refresh (true);

        rescanPresetFolder();
    }

    startTimer (monitorTimerId, monitorPeriodAfterCommandMs);
    updateButtonStates();
}

void PresetLibrarianManager::saveSelectedPresets()
{
    setJobProgress (0.0);
    statusLabel->setText ("reading and saving", juce::dontSendNotification);

    const auto word = reportOutcome (runJob (TransferKind::ReadAndSave));
    statusLabel->setText ("reading and saving " + word, juce::dontSendNotification);

    setJobProgress (1.0);
    showJobProgress();
    deviceList->getTable().deselectAllRows();
    rescanPresetFolder();
}

void PresetLibrarianManager::loadSelectedPresets()
{
    const auto slotCount = deviceList->getTable().getNumSelectedRows();
    const auto fileCount = localList->getTable().getNumSelectedRows();

    if (slotCount != fileCount)
    {
        const auto count = juce::jmin (slotCount, fileCount);
        const auto question = "The number of selected presets in the Tonarel does not match the number of "
                              "selected presets in the computer. Only " +
                              juce::String (count) + (count < 2 ? " preset" : " presets") +
                              " will be loaded.\n\nProceed?";

        if (count != 0 && ! services.dialogs.confirm (Dialogs::Icon::question, {}, question))
            return;
    }

    sendSelectedPresets();
}

void PresetLibrarianManager::loadAllPresets()
{
    // All means every slot and every file of the folder, whatever the filters show.
    deviceList->clearFilter();
    localList->clearFilter();

    juce::StringArray fileNames;

    for (const auto& row : localList->getRows())
        fileNames.add (row.fileName);

    // A saved set goes back by the numbers its names begin with, so that a file missing or
    // added shifts nothing; a folder whose files carry no numbers goes in the order it is listed.
    auto pairing = pairFilesWithSlots (fileNames);

    if (! pairing.anyFileNumbered())
    {
        fileNames.removeRange (kPresetSlotCount, fileNames.size());
        pairing.fileNames = fileNames;
        pairing.unnumberedFiles.clear();

        for (int k = 0; k < fileNames.size(); ++k)
            pairing.slots.add (kFirstPresetNumber + k);
    }

    auto selection = selectionOfSlots (pairing.slots, pairing.fileNames);
    const auto slotCount = selection.slots.size();

    if (slotCount > 0)
    {
        const auto question = juce::String ("OK to overwrite ALL presets?") + "\n\n" +
                              juce::String (slotCount) + (slotCount == 1 ? " slot" : " slots") +
                              " will be overwritten" +
                              (slotCount < kPresetSlotCount ? "; the others keep what they hold." : ".");

        if (! services.dialogs.confirm (Dialogs::Icon::question, {}, question))
            return;

        // Confirmed once for the whole device: the worker asks about no slot.
        selection.wholeDeviceConfirmed = true;
        sendPresets (selection);
    }

    showFilesLeftOut (pairing);
}

TransferSelection PresetLibrarianManager::selectionOfSlots (const juce::Array<int>& slots,
                                                            const juce::StringArray& fileNames) const
{
    TransferSelection selection;
    selection.fileNames = fileNames;

    for (const auto slot : slots)
    {
        DevicePresetEntry entry { slot, {}, 0 };

        for (const auto& row : deviceList->getRows())
            if (row.number == slot)
                entry.name = row.name;

        selection.slots.add (entry);
    }

    return selection;
}

void PresetLibrarianManager::showFilesLeftOut (const SlotFilePairing& pairing)
{
    juce::StringArray lines;

    for (const auto& fileName : pairing.unnumberedFiles)
        lines.add (fileName + ": its name begins with no slot number");

    for (const auto& shared : pairing.sharedSlots)
        lines.add ("slot " + juce::String (shared.slot) + " is named by " +
                   shared.fileNames.joinIntoString (", ") + "; none of them was sent");

    if (! lines.isEmpty())
        services.dialogs.showMessage (Dialogs::Icon::warning, {},
                                      "Left out of \"<< Load All\":\n\n" + lines.joinIntoString ("\n"), "Ok");
}

void PresetLibrarianManager::sendSelectedPresets()
{
    sendPresets (selectedInLists());
}

void PresetLibrarianManager::sendPresets (const TransferSelection& selection)
{
    setJobProgress (0.0);
    statusLabel->setText ("sending", juce::dontSendNotification);

    const auto completed = runJob (TransferKind::Send, selection);

    // A slot read back whole by the verify is shown at once; the others are read below.
    for (const auto& slot : jobOutcome.verifiedSlots)
        deviceList->setDevicePreset (slot.number, slot.name, slot.version);

    const auto word = reportOutcome (completed);

    statusLabel->setText ("sending " + word, juce::dontSendNotification);
    deviceList->getTable().deselectAllRows();
    setJobProgress (1.0);
    showJobProgress();

    // The slots the job reached are read back, so the list shows what the device now holds:
    // also after a cancel or a failure, which can leave a slot holding part of a preset.
    if (! numbers.isEmpty())
        readListedNames();
}

void PresetLibrarianManager::selectAllRows (juce::TableListBox& table)
{
    const auto rows = juce::jmin (kPresetSlotCount, table.getModel()->getNumRows());

    if (rows > 0)
        table.selectRangeOfRows (0, rows - 1, true);
}

namespace
{
    /** What a load that did not end well has written, and where it kept what was there. */
    juce::String describeSlotsWritten (const TransferJobOutcome& outcome)
    {
        const auto written = outcome.presetsDone;

        if (written == 0)
            return "No slot was written.";

        auto text = written == 1 ? juce::String ("1 slot was written")
                                 : juce::String (written) + " slots were written";

        if (outcome.snapshotFolder != juce::File())
            text << (written == 1 ? "; its earlier preset is in " : "; their earlier presets are in ")
                 << outcome.snapshotFolder.getFullPathName();

        return text + ".";
    }
} // namespace

juce::String PresetLibrarianManager::reportOutcome (bool completed)
{
    const auto word = completed ? TransferJobOutcome::wordFor (lastResult) : juce::String ("Canceled");

    // A failure that concerns one preset in particular names it below the word; files a load
    // could not read are named whatever became of the rest; a load that did not end well says
    // what it wrote, and where the slots' earlier presets were kept.
    juce::StringArray notices;

    if (completed && word != "done")
        notices.add (jobOutcome.failureNotice);

    notices.addArray (jobOutcome.unreadableFiles);

    if (word != "done" && jobOutcome.kind == TransferKind::Send)
        notices.add (describeSlotsWritten (jobOutcome));

    notices.removeEmptyStrings();

    if (word != "done")
        notices.insert (0, word);

    if (! notices.isEmpty())
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notices.joinIntoString ("\n\n"), "Ok");

    return word;
}

void PresetLibrarianManager::openHelp()
{
    const auto helpFile = findHelpDocument (services.applicationFolder, helpFileName);

    if (helpFile.existsAsFile() && services.openDocument != nullptr && services.openDocument (helpFile))
        return;

    // Where it was looked for, so that the user can open it with a program of their own.
    services.dialogs.showMessage (
        Dialogs::Icon::warning, "Error",
        "Cannot open " + helpFile.getFileName() + ".\n\n" + helpFile.getFullPathName(), "Ok");
}

bool PresetLibrarianManager::runJob (TransferKind jobKind)
{
    return runJob (jobKind, selectedInLists());
}

TransferSelection PresetLibrarianManager::selectedInLists() const
{
    // The worker takes the selections as they are now: the lists themselves belong to the
    // message thread. A row stands for the slot it shows, whatever the filter hides above it.
    TransferSelection selected;
    const auto& deviceTable = deviceList->getTable();
    const auto& localTable = localList->getTable();

    for (int i = 0; i < deviceTable.getNumSelectedRows(); ++i)
        if (const auto* slot = deviceList->getShownEntry (deviceTable.getSelectedRow (i)))
            selected.slots.add ({ slot->number, slot->name, 0 });

    for (int i = 0; i < localTable.getNumSelectedRows(); ++i)
        if (const auto* file = localList->getShownEntry (localTable.getSelectedRow (i)))
            selected.fileNames.add (file->fileName);

    return selected;
}

bool PresetLibrarianManager::runJob (TransferKind jobKind, const TransferSelection& jobSelection)
{
    // The user has chosen to quit: what the command meant to do after its job is not done.
    if (quitting)
        return false;

    // Everything the worker works from is taken here, on the message thread: the folder chooser
    // may announce a new folder while the progress window's modal loop runs, and the job goes on
    // with the one it started with.
    job = {};
    job.kind = jobKind;
    job.name = jobNameOf (jobKind);
    job.selection = jobSelection;
    job.listedSlots = numbers;
    job.options = { settings.getKeepSnapshot(), settings.getVerifyAfterLoading() };
    job.presetFolder = juce::File (presetFolderPath);
    job.snapshotsFolder = configuration.getSnapshotsFolder();
    job.deviceVersion = deviceVersion.load();
    jobOutcome = {};
    setJobStatus ({});

    // A window for each job: an idle window would keep its progress bar's timer running.
    progressWindow = std::make_unique<JobProgressWindow> (getName(), jobThread, jobCancellable, *this);

    if (keysDuringJobs != nullptr)
        progressWindow->addKeyListener (keysDuringJobs);

    showJobProgress();
    setJobWindowsActive (true);
    jobThread.start ([this] { runJobBody(); }, [this] { jobEnded(); });
    startTimer (progressTimerId, progressPeriodMs);

    const auto completed = progressWindow->runUntilJobEnds();

    stopTimer (progressTimerId);
    showJobProgress();
    setJobWindowsActive (false);
    progressWindow.reset();

    // Where the progress window stood the window shows itself again. The window system says so
    // with an expose event, but a job started from a posted message (a drop) ran its loop inside
    // the message queue's callback: the events the window's going produced were read into the
    // X library's queue during that loop, not left on the connection, and the loop's poll would
    // not look at them again until new input arrived (the mouse moving).
    if (auto* window = getTopLevelComponent())
        window->repaint();
    job.kind = TransferKind::none;

    // What was read or sent is no longer what a comparison found.
    for (const auto slot : slotsTouched)
        deviceList->setDiffersFromFolder (slot, false);

    slotsTouched.clear();
    showVersionTexts();
    return completed;
}

void PresetLibrarianManager::setJobWindowsActive (bool active)
{
    // A progress bar redraws itself on a timer for as long as it is visible, even at no size:
    // an idle program would keep waking up for it. So the panel's bar is visible only while a
    // job runs (the progress window is made for each job).
    progressBar->setVisible (active);
}

void PresetLibrarianManager::showJobProgress()
{
    progress = jobProgress.load();

    if (progressWindow == nullptr)
        return;

    progressWindow->setProgress (progress);
    const juce::ScopedLock lock (jobStatusLock);
    progressWindow->setStatus (jobStatus);
}

void PresetLibrarianManager::setJobStatus (const juce::String& status)
{
    const juce::ScopedLock lock (jobStatusLock);
    jobStatus = status;
}

juce::AlertWindow* PresetLibrarianManager::getAlertWindow() const noexcept
{
    return progressWindow.get();
}

void PresetLibrarianManager::closeRequested (std::function<void()> quitNow)
{
    // Once the user has chosen, a second close waits with the first; a close while the question
    // is up is that question.
    if (quitting || closeQuestionOpen)
        return;

    if (jobThread.isRunning())
    {
        closeQuestionOpen = true;
        const auto answer = services.dialogs.ask (
            Dialogs::Icon::warning, {}, closeQuestion,
            { { "Cancel Transfer and Quit", cancelAndQuit }, { "Keep Working", keepWorking } });
        closeQuestionOpen = false;

        if (answer != cancelAndQuit)
            return;
    }

    quitting = true;

    // The job may have ended while the question was up.
    if (! jobThread.isRunning())
    {
        quitNow();
        return;
    }

    // The job ends as Cancel ends it, by itself, with the window working meanwhile: a save's
    // temporary file is removed, and the device is told the exchange is over.
    quitAfterJob = std::move (quitNow);

    if (progressWindow != nullptr)
        progressWindow->cancel();
    else
        jobThread.askToEnd();
}

void PresetLibrarianManager::jobEnded()
{
    // Quitting now unwinds every modal loop on the way out, the job's and any box's.
    if (quitAfterJob != nullptr)
        std::exchange (quitAfterJob, nullptr)();
}

void PresetLibrarianManager::runNameReadingJob (TransferKind jobKind)
{
    const auto completed = runJob (jobKind);
    const juce::String word = ! completed ? "canceled" : lastResult < 0 ? "failed" : "done";
    statusLabel->setText ("reading " + word, juce::dontSendNotification);
}

void PresetLibrarianManager::readListedNames()
{
    setJobProgress (0.0);
    devicePresets.clear();
    runNameReadingJob (TransferKind::ReadListedNames);

    numbers.clear();
    deviceList->mergeDevicePresets();
}

void PresetLibrarianManager::refresh (bool read)
{
    // A refresh cannot be cancelled: the device list would be left half read.
    jobCancellable = false;

    if (read)
    {
        numbers.clear();

        for (int slot = kFirstPresetNumber; slot <= kPresetSlotCount; ++slot)
            numbers.add (slot);

        readListedNames();
    }
    else
    {
        deviceList->mergeDevicePresets();
    }

    jobCancellable = true;
}

void PresetLibrarianManager::updateButtonStates()
{
    // The lists report their selection from the moment they exist, before the device link does.
    if (presetManager == nullptr)
        return;

    // A device that has just come back is not used before the monitor has let it settle.
    const auto reachable = connected && presetManager->isDeviceReachable();
    auto& deviceTable = deviceList->getTable();
    const auto deviceRowsSelected = deviceTable.getNumSelectedRows();
    const auto localRowsSelected = localList->getTable().getNumSelectedRows();

    // "Save >" stops short of all 99 slots: that job is "Save All >>".
    saveButton->setEnabled (reachable && deviceRowsSelected >= 1 && deviceRowsSelected < kPresetSlotCount);
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
