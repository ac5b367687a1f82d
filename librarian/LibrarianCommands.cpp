// The buttons' commands and the operations they share with the rest of the panel: running a job
// behind the progress window and taking in its report, reading the device's slot names,
// refreshing the device list and enabling the buttons. Last, comparing the preset folder with the
// device: one file with one slot, shown in the comparison window, and every slot with the files
// of its number, marked in the device list. The slots are read whole behind the progress window;
// a comparison writes nothing, neither to the device nor to a file.

#include "librarian/PresetLibrarianManager.h"

#include "device/LoadUndo.h"
#include "device/PresetComparison.h"
#include "device/PresetManager.h"
#include "librarian/HelpDocuments.h"
#include "librarian/JobProgressWindow.h"
#include "librarian/PresetComparisonWindow.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"
#include "presets/SlotFilePairing.h"

#include <map>
#include <utility>

namespace
{
    constexpr int progressPeriodMs = 50;
    constexpr auto helpFileName = "PresetLibrarianHelp.htm";

    constexpr auto closeQuestion = "A transfer is running. Cancel it and quit?";
    constexpr int cancelAndQuit = 1, keepWorking = 0;
    constexpr int undoAnswer = 1;
    constexpr auto undoText = "Undo";
}

void PresetLibrarianManager::buttonClicked (juce::Button* button)
{
    monitor->stopWatching();

    if (button == saveButton.get())
    {
        saveSelectedPresets();
    }
    else if (button == saveAllButton.get())
    {
        // All means all 99 slots: a filter does not narrow it.
        showAllSlots();
        deviceSlots.selectAllShown();
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
        if (isConnected())
            refresh (true);

        rescanPresetFolder();
    }

    monitor->lookAgainLater();
    updateButtonStates();
}

void PresetLibrarianManager::saveSelectedPresets()
{
    setJobProgress (0.0);
    statusLabel->setText ("reading and saving", juce::dontSendNotification);
    const auto filesBefore = presetFiles.getAllFileNames();

    const auto word = reportOutcome (runJob (TransferKind::ReadAndSave));
    statusLabel->setText ("reading and saving " + word, juce::dontSendNotification);

    setJobProgress (1.0);
    showJobProgress();
    deviceSlots.deselectAll();
    rescanPresetFolder();
    selectCopiesMadeSince (filesBefore);
}

void PresetLibrarianManager::loadSelectedPresets()
{
    const auto slotCount = deviceSlots.getNumSelected();
    const auto fileCount = presetFiles.getNumSelected();

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
    showAllSlots();
    localList->clearFilter();

    auto fileNames = presetFiles.getAllFileNames();

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

        // Confirmed once for the whole device: the job asks about no slot.
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
        selection.slots.add ({ slot, deviceSlots.nameOf (slot), 0 });

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
    runLoad (makeJob (TransferKind::Send, selection), chosenOptions());
}

void PresetLibrarianManager::runLoad (TransferJob job, const TransferOptions& options, bool offerUndo)
{
    setJobProgress (0.0);
    statusLabel->setText ("sending", juce::dontSendNotification);

    const auto completed = runJob (std::move (job), options);

    // A slot read back whole by the verify is shown at once; the others are read below.
    for (const auto& slot : jobOutcome().verifiedSlots)
        deviceSlots.setEntry (slot.number, slot.name, slot.version);

    rememberLoad (*lastReport);

    auto undoChosen = false;
    const auto word = reportOutcome (completed, offerUndo ? &undoChosen : nullptr);

    statusLabel->setText ("sending " + word, juce::dontSendNotification);
    deviceSlots.deselectAll();
    setJobProgress (1.0);
    showJobProgress();

    // The slots the job reached are read back, so the list shows what the device now holds:
    // also after a cancel or a failure, which can leave a slot holding part of a preset.
    if (! numbers.isEmpty())
        readListedNames();

    // Only once the list shows what the load left: the undo's question names those slots.
    if (undoChosen)
        undoLastLoad();
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

juce::String PresetLibrarianManager::reportOutcome (bool completed, bool* undoChosen)
{
    const auto word = completed ? TransferJobOutcome::wordFor (lastResult) : juce::String ("Canceled");
    const auto isLoad = jobOutcome().kind == TransferKind::Send;

    // A load that can be taken back says so even when it ended well: the notice is where its
    // "Undo" is offered.
    const auto thisLoad = isLoad && undoChosen != nullptr ? LoadUndo::ofLoad (*lastReport) : std::nullopt;
    const auto offerUndo = thisLoad.has_value() && thisLoad->isAvailable();

    // A failure that concerns one preset in particular names it below the word; files a load
    // could not read are named whatever became of the rest; a load that did not end well says
    // what it wrote, and where the slots' earlier presets were kept.
    juce::StringArray notices;

    // A cancelled arrangement tells what it did to leave no preset twice in the device.
    if ((completed || jobOutcome().kind == TransferKind::Arrange) && word != "done")
        notices.add (jobOutcome().failureNotice);

    notices.addArray (jobOutcome().unreadableFiles);

    if ((isLoad && (word != "done" || offerUndo)) ||
        (word != "done" && jobOutcome().kind == TransferKind::Arrange))
        notices.add (describeSlotsWritten (jobOutcome()));

    notices.removeEmptyStrings();

    if (word != "done")
        notices.insert (0, word);

    if (notices.isEmpty())
        return word;

    const auto message = notices.joinIntoString ("\n\n");

    if (! offerUndo)
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, message, "Ok");
        return word;
    }

    // "Ok" is what Escape answers: only a deliberate choice takes the load back, and the undo
    // asks once more before it sends anything.
    const auto icon = word == "done" && jobOutcome().unreadableFiles.isEmpty() ? Dialogs::Icon::info
                                                                               : Dialogs::Icon::warning;
    *undoChosen =
        services.dialogs.ask (icon, {}, message, { { undoText, undoAnswer }, { "Ok", 0 } }) == undoAnswer;
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
    // The job takes the selections as they are now: the lists themselves belong to the
    // message thread. A row stands for the slot it shows, whatever the filter hides above it.
    TransferSelection selected;

    for (const auto& slot : deviceSlots.getSelectedEntries())
        selected.slots.add ({ slot.number, slot.name, 0 });

    selected.fileNames = presetFiles.getSelectedFileNames();

    return selected;
}

bool PresetLibrarianManager::runJob (TransferKind jobKind, const TransferSelection& jobSelection)
{
    return runJob (makeJob (jobKind, jobSelection), chosenOptions());
}

TransferOptions PresetLibrarianManager::chosenOptions()
{
    return { settings.getKeepSnapshot(), settings.getVerifyAfterLoading() };
}

TransferJob PresetLibrarianManager::makeJob (TransferKind jobKind,
                                             const TransferSelection& jobSelection) const
{
    // Everything the job works from is taken here, on the message thread: the folder chooser
    // may announce a new folder while the progress window's modal loop runs, and the job goes on
    // with the one it started with.
    TransferJob job;
    job.kind = jobKind;
    job.name = jobNameOf (jobKind);
    job.selection = jobSelection;
    job.listedSlots = numbers;
    job.presetFolder = presetFiles.getFolder();
    job.snapshotsFolder = configuration.getSnapshotsFolder();
    return job;
}

bool PresetLibrarianManager::runJob (TransferJob job, const TransferOptions& options)
{
    // The user has chosen to quit: what the command meant to do after its job is not done.
    if (quitting)
        return false;

    job.deviceVersion = deviceVersion;
    controller->setOptions (options);
    lastReport = std::make_shared<const TransferReport>();

    // A window for each job: an idle window would keep its progress bar's timer running.
    progressWindow =
        std::make_unique<JobProgressWindow> (getName(), controller->getJobThread(), jobCancellable, *this);

    if (keysDuringJobs != nullptr)
        progressWindow->addKeyListener (keysDuringJobs);

    setJobWindowsActive (true);
    controller->start (std::move (job), [this] (TransferController::Report report) { jobEnded (report); });
    showJobProgress();
    startTimer (progressTimerId, progressPeriodMs);

    const auto completed = progressWindow->runUntilJobEnds();

    // The window also goes when it sees the thread return before the report's message came:
    // the report is then taken now.
    controller->finishNow();
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

    takeReport (*lastReport);
    showVersionTexts();
    return completed;
}

void PresetLibrarianManager::takeReport (const TransferReport& report)
{
    lastResult = report.outcome.result;

    for (const auto& header : report.headers)
        addDevicePreset (header.number, header.name, header.version);

    if (report.fileVersion.has_value())
        lastFileVersion = *report.fileVersion;

    if (report.outcome.kind == TransferKind::Send || report.outcome.kind == TransferKind::Arrange)
        numbers = report.outcome.slotsToReadBack;

    // What was read or sent is no longer what a comparison found.
    deviceSlots.clearMarks (report.slotsTouched());
}

juce::String PresetLibrarianManager::jobNameOf (TransferKind kind)
{
    switch (kind)
    {
        case TransferKind::ReadAndSave: return "Save";
        case TransferKind::Send: return "Load";
        case TransferKind::ReadSelectedNames:
        case TransferKind::ReadListedNames: return "Read names";
        case TransferKind::ReadWhole: return "Compare";
        case TransferKind::Arrange: return "Arrange";
        case TransferKind::none: break;
    }

    return {};
}

void PresetLibrarianManager::setJobWindowsActive (bool active)
{
    // A progress bar redraws itself on a timer for as long as it is visible, even at no size:
    // an idle program would keep waking up for it. So the panel's bar is visible only while a
    // job runs (the progress window is made for each job).
    progressBar->setVisible (active);
}

void PresetLibrarianManager::timerCallback (int timerID)
{
    if (timerID == progressTimerId)
        showJobProgress();
}

void PresetLibrarianManager::showJobProgress()
{
    if (progressWindow == nullptr)
        return;

    progress = controller->getProgress();
    progressWindow->setProgress (progress);
    progressWindow->setStatus (controller->getStatus());
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

    if (controller->isRunning())
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
    if (! controller->isRunning())
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
        controller->cancel();
}

void PresetLibrarianManager::jobEnded (TransferController::Report report)
{
    lastReport = std::move (report);

    if (progressWindow != nullptr)
        progressWindow->jobHasEnded();

    // Quitting unwinds every modal loop on the way out, the job's and any box's; it comes from
    // the message loop, after the command that ran the job has shown how it ended, also when
    // the report was taken in the middle of that command.
    if (quitAfterJob != nullptr)
        juce::MessageManager::callAsync ([quitNow = std::exchange (quitAfterJob, nullptr)] { quitNow(); });
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
    deviceSlots.merge (devicePresets);
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
        deviceSlots.merge (devicePresets);
    }

    jobCancellable = true;
}

void PresetLibrarianManager::updateButtonStates()
{
    // The lists report their selection from the moment they exist, before the device link does.
    if (controller == nullptr)
        return;

    // A device that has just come back is not used before the monitor has let it settle.
    const auto reachable = isConnected() && getPresetManager().isDeviceReachable();
    const auto deviceRowsSelected = deviceSlots.getNumSelected();
    const auto localRowsSelected = presetFiles.getNumSelected();

    // "Save >" stops short of all 99 slots: that job is "Save All >>".
    saveButton->setEnabled (reachable && deviceRowsSelected >= 1 && deviceRowsSelected < kPresetSlotCount);
    saveAllButton->setEnabled (reachable);
    loadButton->setEnabled (reachable && localRowsSelected > 0 && deviceRowsSelected > 0);
    loadAllButton->setEnabled (reachable && ! presetFiles.getEntries().isEmpty());

    // Without the device its slots are unknown: the list is emptied rather than left stale.
    if (! reachable)
        deviceSlots.clear();

    deviceList->setEnabled (reachable);
}

//==============================================================================
// Comparing the preset folder with the device.

namespace
{
    constexpr auto notConnectedText = "The Tonarel is not connected: there is no slot to compare with.";
}

std::vector<PresetData> PresetLibrarianManager::readWholeSlots (const juce::Array<int>& slots,
                                                                const juce::String& activity)
{
    TransferSelection toRead;

    for (const auto slot : slots)
        toRead.slots.add ({ slot, {}, 0 });

    setJobProgress (0.0);
    statusLabel->setText (activity, juce::dontSendNotification);

    const auto word = reportOutcome (runJob (TransferKind::ReadWhole, toRead));
    statusLabel->setText (activity + " " + word, juce::dontSendNotification);
    setJobProgress (1.0);
    showJobProgress();

    // A whole read tells the slot's name as well: the list shows it.
    for (const auto& preset : lastReport->wholePresets)
        deviceSlots.setEntry (preset.number, preset.name, preset.version);

    return lastReport->wholePresets;
}

void PresetLibrarianManager::showComparison (const juce::String& fileName, const PresetData& filePreset,
                                             const PresetData& slotPreset)
{
    if (comparisonWindow == nullptr)
        comparisonWindow = std::make_unique<PresetComparisonWindow> (*this);

    comparisonWindow->getView().show (fileName, filePreset, slotPreset.number, slotPreset);
    comparisonWindow->showInFront();
}

void PresetLibrarianManager::compareFileWithSlot (const juce::String& fileName)
{
    const auto filePreset = readPresetFile (presetFiles.getFolderPath(), fileName);

    if (! filePreset.has_value())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, "Unable to read preset...", "Ok");
        return;
    }

    if (! getPresetManager().isDeviceReachable())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notConnectedText, "Ok");
        return;
    }

    // Every slot is offered, with the name the list knows it by.
    juce::StringArray slotItems;

    for (int slot = kFirstPresetNumber; slot <= kLastPresetNumber; ++slot)
        slotItems.add (juce::String (slot));

    for (const auto& row : deviceSlots.getEntries())
        slotItems.set (row.number - kFirstPresetNumber, juce::String (row.number) + "  " + row.name);

    const auto slotInName = presetSlotFromFileName (fileName);
    const auto proposed = slotInName.has_value() ? *slotInName - kFirstPresetNumber : 0;
    const auto chosen = services.dialogs.chooseFromList (
        "Compare with Slot", "Compare " + fileName + " with the preset in slot:", slotItems, proposed,
        "Compare");

    if (! juce::isPositiveAndBelow (chosen, kPresetSlotCount))
        return;

    const auto read = readWholeSlots ({ chosen + kFirstPresetNumber });

    if (read.size() == 1)
        showComparison (fileName, *filePreset, read.front());
}

void PresetLibrarianManager::compareSlotWithFile (int slot)
{
    if (! getPresetManager().isDeviceReachable())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notConnectedText, "Ok");
        return;
    }

    // All files of the folder, also those the filter hides.
    juce::StringArray fileNames;
    auto proposed = -1;

    for (const auto& row : presetFiles.getEntries())
    {
        if (proposed < 0 && presetSlotFromFileName (row.fileName) == slot)
            proposed = fileNames.size();

        fileNames.add (row.fileName);
    }

    if (fileNames.isEmpty())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {},
                                      "There is no preset file in the preset folder to compare with.", "Ok");
        return;
    }

    const auto chosen = services.dialogs.chooseFromList (
        "Compare with File", "Compare preset " + juce::String (slot) + " with the file:", fileNames,
        juce::jmax (0, proposed), "Compare");

    if (! juce::isPositiveAndBelow (chosen, fileNames.size()))
        return;

    const auto fileName = fileNames[chosen];
    const auto filePreset = readPresetFile (presetFiles.getFolderPath(), fileName);

    if (! filePreset.has_value())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, "Unable to read preset...", "Ok");
        return;
    }

    const auto read = readWholeSlots ({ slot });

    if (read.size() == 1)
        showComparison (fileName, *filePreset, read.front());
}

void PresetLibrarianManager::compareDeviceWithFolder()
{
    if (! getPresetManager().isDeviceReachable())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, notConnectedText, "Ok");
        return;
    }

    // The files are read before the slots, each slot number with every file that stands for it:
    // a slot saved again under a new name has two, and matching either is no change.
    std::map<int, std::vector<PresetData>> filesBySlot;

    for (const auto& row : presetFiles.getEntries())
    {
        if (const auto slot = presetSlotFromFileName (row.fileName))
            if (auto preset = readPresetFile (presetFiles.getFolderPath(), row.fileName))
                filesBySlot[*slot].push_back (std::move (*preset));
    }

    juce::Array<int> allSlots;

    for (int slot = kFirstPresetNumber; slot <= kLastPresetNumber; ++slot)
        allSlots.add (slot);

    // Cancel leaves the slots read so far compared and marked.
    const auto read = readWholeSlots (allSlots);
    auto differing = 0;

    for (const auto& slotPreset : read)
    {
        const auto& files = filesBySlot[slotPreset.number];
        const auto matches = std::any_of (files.begin(), files.end(),
                                          [&slotPreset] (const PresetData& file)
                                          { return comparePresets (file, slotPreset).isEmpty(); });

        deviceSlots.setDiffersFromFolder (slotPreset.number, ! matches);
        differing += matches ? 0 : 1;
    }

    const auto readCount = (int) read.size();
    juce::String summary;

    if (readCount == kPresetSlotCount)
        summary = differing == 0 ? juce::String ("No preset in the Tonarel differs from the preset folder.")
                                 : juce::String (differing) + " of " + juce::String (kPresetSlotCount) +
                                       " presets in the Tonarel differ from the preset folder.";
    else
        summary = juce::String (differing) + " of the " + juce::String (readCount) +
                  " presets read differ from the preset folder.";

    services.dialogs.showMessage (Dialogs::Icon::info, "Compare Device with Folder", summary, "Ok");
}
