#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "device/LoadUndo.h"
#include "device/TransferController.h"
#include "device/TransferJob.h"
#include "librarian/AppServices.h"
#include "librarian/ConnectionMonitor.h"
#include "librarian/DeviceSlotsModel.h"
#include "librarian/Dialogs.h"
#include "librarian/LibrarianSettings.h"
#include "librarian/PanelCommand.h"
#include "librarian/PresetFilesModel.h"
#include "presets/LibrarianConfiguration.h"
#include "presets/PresetData.h"
#include "presets/PresetListEntries.h"
#include "resources/Artwork.h"

#include <optional>
#include <vector>

class JobProgressWindow;
class PresetComparisonWindow;
struct SlotFilePairing;
class PresetLocal;
class PresetManager;
class PresetTonarel;

/** The librarian: the one screen of the program, and the owner of everything the user works with.

    On the left the presets in the device (PresetTonarel), on the right the preset files of the
    preset folder (PresetLocal) under a folder chooser, and between them the transfer buttons.
    The two lists draw models the panel owns (DeviceSlotsModel, PresetFilesModel), and the
    commands take their slots and files from those models; the lists hold no reference to the
    panel, which hears of what the user does in them through their callbacks. The panel owns the
    transfer controller (TransferController: the device link, the transfer log and the thread
    the jobs run on), stands a modal progress window (JobProgressWindow) over each job it runs,
    keeps the preset folder, its configuration file and its settings, and has the device's
    connection watched by a ConnectionMonitor, whose callbacks it answers.

    The class is one but its concerns are several, in three source files: the panel itself
    (LibrarianPanel.cpp), the buttons' commands and the comparisons (LibrarianCommands.cpp),
    and the preset folder, the lists' actions and drops onto the lists (PresetListActions.cpp).

    Threads: everything of the panel runs on the message thread. A job runs on the controller's
    thread and writes nothing of the panel: what it did comes back as one TransferReport, on the
    message thread, once its thread has returned. Timer 1 carries the job's status and progress
    from the controller into the progress bars, and the job's questions are asked through the
    dialogs on the message thread.

    Created by the content component's "Preset Librarian" command, which owns it.
*/
class PresetLibrarianManager final : public juce::Component,
                                     public juce::DragAndDropContainer,
                                     public juce::FilenameComponentListener,
                                     public juce::Button::Listener,
                                     public juce::KeyListener,
                                     public juce::MultiTimer
{
public:
    /** Builds the panel, finds the device and, when it is there, reads its 99 slot names. May
        hold the message thread in modal boxes and the progress window while it runs.
    */
    explicit PresetLibrarianManager (AppServices& services);
    ~PresetLibrarianManager() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;
    void filenameComponentChanged (juce::FilenameComponent* chooser) override;

    using juce::Component::keyPressed;
    /** Ctrl+F outside the lists opens the computer list's filter; every other key goes on to
        the framework's other handlers.
    */
    bool keyPressed (const juce::KeyPress& key, juce::Component* originatingComponent) override;

    void timerCallback (int timerID) override;

    //==============================================================================
    // The running job.

    /** Whether a transfer job runs. */
    bool isThreadRunning() const { return controller != nullptr && controller->isRunning(); }

    /** Asks the running job to end, as Cancel does, but leaves its window as it is. */
    void signalThreadShouldExit() { controller->cancel(); }

    /** The running job's progress window; nullptr while no job runs. */
    juce::AlertWindow* getAlertWindow() const noexcept;

    /** The program is asked to close. With no job running quitNow is called at once; while one
        runs the user is asked whether to cancel it and quit, and on yes the job is cancelled as
        its Cancel button does and quitNow is called once it has ended by itself. From then on
        no job starts.
    */
    void closeRequested (std::function<void()> quitNow);

    /** Keys pressed in a job's progress window go on to this listener too (the window's
        commands, such as Quit, while the window is blocked). It must outlive the panel.
    */
    void setKeysDuringJobs (juce::KeyListener* listener) noexcept { keysDuringJobs = listener; }

    //==============================================================================
    /** With read, reads the names of all 99 slots again; without, merges devicePresets into
        the device list again. The progress window shows no Cancel button meanwhile.
    */
    void refresh (bool read);

    /** Enables the transfer buttons and the device list from the device's state and the two
        selections.
    */
    void updateButtonStates();

    /** Records a preset header read from the device, to be merged into the device list. */
    void addDevicePreset (juce::int32 number, const juce::String& name, juce::int16 version);

    /** Reads the names of the slots in numbers and merges them into the device list. */
    void readListedNames();

    //==============================================================================
    // The preset folder.

    /** Remembers the chooser's folder and lists its preset files again. */
    void rescanPresetFolder();

    /** Asks for the name of a new set ("Set 2", or the first number free), makes its folder
        beside the preset folder and opens it as the chooser's Browse would.
    */
    void createNewSet();

    /** Copies a preset file of the folder under its copy name, then rescans; the copy is
        selected and scrolled into view.
    */
    void copyLocalPreset (const juce::String& fileName);

    //==============================================================================
    // Actions of the two lists.

    /** Shows a file's name, version and slot in an information box. */
    void showPresetInfo (const juce::String& fileName);

    /** Asks, then deletes the clicked file (one row selected) or the selected files (several). */
    void deleteLocalPresets (const juce::String& fileName);

    /** Reads the headers of the selected device slots again. */
    void readSelectedDeviceNames();

    //==============================================================================
    // Comparing the folder's presets with the device's: each reads slots whole behind the
    // progress window and writes nothing, neither to the device nor to a file.

    /** Asks which slot (proposing the one the file's name begins with), reads it and shows how
        the file differs from it in the comparison window.
    */
    void compareFileWithSlot (const juce::String& fileName);

    /** Asks which file (proposing the first whose name begins with the slot's number), reads the
        slot and shows how the file differs from it in the comparison window.
    */
    void compareSlotWithFile (int slot);

    /** Reads all 99 slots whole and marks in the device list each one that differs from every
        file of its number in the preset folder, or has none; then says how many differ.
    */
    void compareDeviceWithFolder();

    /** Whether "Show Only Differing" can be switched on or off: a slot is marked, or only the
        marked slots are shown.
    */
    bool canShowOnlyDiffering() const { return deviceSlots.hasMarks() || isShowingOnlyDiffering(); }
    bool isShowingOnlyDiffering() const noexcept { return deviceSlots.isShowingOnlyDiffering(); }

    /** Shows only the slots the last comparison marked (those the typed filter shows too), or all
        of them again.
    */
    void setShowOnlyDiffering (bool onlyDiffering) { deviceSlots.setShowOnlyDiffering (onlyDiffering); }

    /** The window of the last comparison of one file with one slot; nullptr before the first. */
    PresetComparisonWindow* getComparisonWindow() const noexcept { return comparisonWindow.get(); }

    //==============================================================================
    // Taking back the last load of this run, and renaming a preset in a file or in a slot.

    /** True while the last load of this run can be taken back: it kept a snapshot of the slots
        it wrote, and that folder is still there with their files.
    */
    bool canUndoLastLoad() const;

    /** Asks once, naming how many slots, then sends the last load's snapshot back into exactly
        the slots it wrote, keeping a snapshot of what they hold now (so that the undo is the
        last load from then on, and can be undone in turn), and reads their names back.
    */
    void undoLastLoad();

    /** Asks for a new name for the file's preset, writes it into the file and renames the file
        by the save rule; a file of the new name is never replaced.
    */
    void renameLocalPreset (const juce::String& fileName);

    /** Reads the slot whole, asks for a new name and sends the preset back under it, with the
        snapshot and verify settings of a load; then reads its name back.
    */
    void renameDeviceSlot (int slot);

    //==============================================================================
    // Drops onto the two lists: each is the command it stands for, on the rows it names.

    /** Selects the files and the slots from firstSlot on, one per file (up to slot 99), then
        does what "< Load To" does, questions included.
    */
    void loadDroppedFiles (const juce::StringArray& fileNames, int firstSlot);

    /** Selects the slots, then does what "Save >" does ("Save All >>" for all 99). */
    void saveDroppedSlots (const juce::Array<int>& slots);

    /** Copies the preset files among the paths into the preset folder, asking on a clash as a
        save does, then lists the folder again. Files that are not preset files are left out;
        those named as preset files that do not read as one are named in a notice.
    */
    void copyDroppedFiles (const juce::StringArray& paths);

    //==============================================================================
    // Arranging the device's slots: each asks once, then moves the presets behind the progress
    // window, one cycle of slots at a time (see ArrangeSlotsJob.cpp).

    /** Moves the presets of the slots as a playlist moves its entries: they land together, the
        first in landingSlot, and the slots between shift to make room. The slots are those of
        the device, also where the filter hides some.
    */
    void moveSlots (const juce::Array<int>& slots, int landingSlot);

    /** Swaps the presets of the two slots selected. */
    void swapSelectedSlots();

    /** Whether "Swap Two Slots" can run: exactly two slots selected, the device reachable. */
    bool canSwapSelectedSlots() const;

    // The keyboard.

    /** Whether the command can run now: a button's as its button is enabled, a file command
        with the files it acts on selected (one file for Get info and Copy), the filter always.
        None while a job or a box holds the panel.
    */
    bool canRun (PanelCommand command) const;

    /** Runs the command as its button or the computer list's menu item does, on the files
        selected; nothing when it cannot run now.
    */
    void run (PanelCommand command);

    /** Adds each transfer button's key, and Refresh's, to its tooltip: keyTextOf gives the key
        of the command that bears a button's caption, or an empty text. Called once, by the
        window's content, which knows the keys.
    */
    void showKeysInTooltips (const std::function<juce::String (const juce::String& caption)>& keyTextOf);

    //==============================================================================
    const juce::Array<DevicePresetEntry>& getDevicePresets() const noexcept { return devicePresets; }
    Dialogs& getDialogs() const noexcept { return services.dialogs; }
    const LibrarianConfiguration& getConfiguration() const noexcept { return configuration; }
    LibrarianSettings& getSettings() noexcept { return settings; }

    PresetTonarel& getDeviceList() const noexcept { return *deviceList; }
    PresetLocal& getLocalList() const noexcept { return *localList; }
    DeviceSlotsModel& getDeviceSlots() noexcept { return deviceSlots; }
    PresetFilesModel& getPresetFiles() noexcept { return presetFiles; }
    PresetManager& getPresetManager() const noexcept { return controller->getPresetManager(); }
    TransferController& getTransferController() const noexcept { return *controller; }

    juce::FilenameComponent& getFolderChooser() const noexcept { return *folderChooser; }
    juce::Label& getStatusLabel() const noexcept { return *statusLabel; }
    juce::Label& getDeviceLabel() const noexcept { return *deviceLabel; }

    juce::TextButton& getSaveButton() const noexcept { return *saveButton; }
    juce::TextButton& getSaveAllButton() const noexcept { return *saveAllButton; }
    juce::TextButton& getLoadButton() const noexcept { return *loadButton; }
    juce::TextButton& getLoadAllButton() const noexcept { return *loadAllButton; }
    juce::TextButton& getHelpButton() const noexcept { return *helpButton; }
    juce::TextButton& getRefreshButton() const noexcept { return *refreshButton; }

    /** Whether the device is shown connected, as the connection monitor found it. */
    bool isConnected() const noexcept { return monitor->isConnected(); }

    ConnectionMonitor& getConnectionMonitor() const noexcept { return *monitor; }
    int getLastResult() const noexcept { return lastResult; }

    /** The timer that shows a running job's progress. */
    static constexpr int progressTimerId = 1;

    /** Shows a fraction of a job done, 0 to 1, in the panel's progress bar until the running
        job's own progress is shown.
    */
    void setJobProgress (double fraction) noexcept { progress = fraction; }

private:
    //==============================================================================
    std::unique_ptr<juce::TextButton> createButton (const juce::String& text, const juce::String& tooltip,
                                                    bool enabled);
    void paintCaptions (juce::Graphics& g);

    /** The monitor, with the panel's answers to what it finds. */
    std::unique_ptr<ConnectionMonitor> createConnectionMonitor();

    /** The progress bar, the status label and the device label. */
    void createStatusDisplays();

    /** Shows the device's version in the device label, and warns when the last preset file's
        differs from it.
    */
    void showVersionTexts();
    void showDeviceConnected (bool shownConnected);

    //==============================================================================
    // The commands.

    /** Runs a job behind the progress window on the lists' selections; false when the
        user cancelled.
    */
    bool runJob (TransferKind jobKind);

    /** The same on a selection of the caller's. */
    bool runJob (TransferKind jobKind, const TransferSelection& jobSelection);

    /** A job of the kind on the selection, with the preset folder and the snapshots folder. */
    TransferJob makeJob (TransferKind jobKind, const TransferSelection& jobSelection) const;

    /** Runs a job behind the progress window with the options; false when the user cancelled. */
    bool runJob (TransferJob job, const TransferOptions& options);

    /** The snapshot and verify choices of the Functions menu. */
    TransferOptions chosenOptions();

    /** Runs a load (a send job) with the options and tells how it ended, with offerUndo also
        when it ended well and with "Undo" on its notice; then reads back the names of the slots
        it reached, and undoes it when asked to.
    */
    void runLoad (TransferJob job, const TransferOptions& options, bool offerUndo = true);

    /** Sends a preset read whole back into its slot under a new name, as a load. */
    void sendRenamedPreset (PresetData preset, const juce::String& newName);

    /** Remembers a load that reached a slot as the one "Undo Last Load" takes back. */
    void rememberLoad (const TransferReport& report);

    /** Asks headline over the list of the moves, with the buttons verb and "Cancel", moves the
        presets, reads the slots' names back and selects the slots where followedSlots' presets
        landed.
    */
    void arrangeSlots (const std::vector<SlotMove>& moves, const juce::Array<int>& followedSlots,
                       const juce::String& headline, const juce::String& verb);

    /** The slots and files selected in the lists, in the order the lists show them. */
    TransferSelection selectedInLists() const;

    /** Reads the slots whole behind the progress window and shows their names in the list; the
        presets read, fewer than asked for when the job was cancelled or failed (its outcome is
        then told).
    */
    std::vector<PresetData> readWholeSlots (const juce::Array<int>& slots,
                                            const juce::String& activity = "comparing");

    /** Shows how a file's preset differs from a slot's in the comparison window. */
    void showComparison (const juce::String& fileName, const PresetData& filePreset,
                         const PresetData& slotPreset);

    /** Runs a job that reads slot names and puts its outcome in the status label. */
    void runNameReadingJob (TransferKind jobKind);

    /** Carries the running job's status and progress into the progress window and the panel's
        bar.
    */
    void showJobProgress();

    /** Takes in what a job's report tells the panel: its outcome, the headers read, the
        versions, the slots to read back and the comparison marks to clear.
    */
    void takeReport (const TransferReport& report);

    /** Readies the progress window and the two progress bars for a job, or lets them rest. */
    void setJobWindowsActive (bool active);

    void saveSelectedPresets();
    void loadSelectedPresets();
    void loadAllPresets();
    void sendSelectedPresets();
    void sendPresets (const TransferSelection& selection);

    /** The slots, known by the names the device list shows, with the k-th file for the k-th. */
    TransferSelection selectionOfSlots (const juce::Array<int>& slots,
                                        const juce::StringArray& fileNames) const;

    /** Names the files "<< Load All" left out, and why, when there are any. */
    void showFilesLeftOut (const SlotFilePairing& pairing);
    void openHelp();

    /** Hands the lists' callbacks their commands. */
    void connectLists();

    /** Selects the copies ("copy1_…") a save's Create Copy made: the files listed now under a
        copy's name that were not among filesBefore.
    */
    void selectCopiesMadeSince (const juce::StringArray& filesBefore);

    /** Every slot in the device list again: the typed filter and "Show Only Differing" off. */
    void showAllSlots();

    /** Selects files just made in the preset folder (copies), alone, and scrolls the first into
        view; a filter that would hide one of them is cleared.
    */
    void selectNewFiles (const juce::StringArray& fileNames);

    /** The order Tab takes through the lists, the buttons and the chooser, and the lists'
        Return and Delete keys.
    */
    void setUpKeyboard();

    /** Return in a list: the selection goes over to the other side, as a drag would take it. */
    void returnInDeviceList();

    /** What F2 renames: the one file or the one slot selected in the list the keyboard is in. */
    enum class RenameTarget
    {
        none,
        file,
        slot
    };

    RenameTarget renameTarget() const;
    void returnInComputerList();

    /** What an item of the computer list's menu stands for. */
    void runFileCommand (int menuItem, const juce::String& fileName);

    /** The outcome word of a transfer job, and its notice when it is not a success. With
        undoChosen, a load that can be taken back has a notice also when it ended well, saying how
        many slots it wrote, with an "Undo" button; undoChosen tells whether it was chosen.
    */
    juce::String reportOutcome (bool completed, bool* undoChosen = nullptr);

    /** How the job that ran last ended. */
    const TransferJobOutcome& jobOutcome() const noexcept { return lastReport->outcome; }

    /** On the message thread with the running job's report, once its thread has returned. */
    void jobEnded (TransferController::Report report);

    /** The job's name in the transfer log. */
    static juce::String jobNameOf (TransferKind kind);

    //==============================================================================
    AppServices& services;
    const LibrarianConfiguration configuration;
    LibrarianSettings settings;

    // The lists' state, which the lists draw: made before them and gone after them.
    DeviceSlotsModel deviceSlots;
    PresetFilesModel presetFiles;

    std::unique_ptr<PresetTonarel> deviceList;
    std::unique_ptr<PresetLocal> localList;
    std::unique_ptr<juce::TextButton> saveButton;
    std::unique_ptr<juce::TextButton> saveAllButton;
    std::unique_ptr<juce::TextButton> loadButton;
    std::unique_ptr<juce::TextButton> loadAllButton;
    std::unique_ptr<juce::TextButton> helpButton;
    std::unique_ptr<juce::TextButton> refreshButton;
    std::unique_ptr<juce::FilenameComponent> folderChooser;
    std::unique_ptr<juce::ProgressBar> progressBar;
    std::unique_ptr<juce::Label> statusLabel;
    std::unique_ptr<juce::Label> deviceLabel;
    std::unique_ptr<TransferController> controller;
    std::unique_ptr<JobProgressWindow> progressWindow;
    juce::KeyListener* keysDuringJobs = nullptr;

    // A refresh shows no Cancel: the device list would be left half read.
    bool jobCancellable = true;

    // Set once the user has chosen to quit: no job starts after that, and the one that runs
    // calls quitAfterJob when it has ended.
    bool quitting = false;
    bool closeQuestionOpen = false;
    std::function<void()> quitAfterJob;

    double progress = 0.0;
    int lastResult = 0;
    juce::Array<int> numbers;

    // The report of the job that ran last, delivered as it ended; an empty one while the next
    // runs, and when a job was not started.
    TransferController::Report lastReport = std::make_shared<const TransferReport>();

    // The device's version as the last header that told one gave it.
    juce::int16 deviceVersion = 0;

    // The version of the preset file read last, by the folder scan or by a send; the panel
    // warns when it differs from the device's.
    juce::int16 lastFileVersion = 0;

    Artwork::ScaledPicture headerConnectedImage;
    Artwork::ScaledPicture headerDisconnectedImage;
    Artwork::ScaledPicture headerRightImage;
    Artwork::ScaledPicture headerFillImage;
    Artwork::ScaledPicture headerCapImage;

    juce::Array<DevicePresetEntry> devicePresets;

    std::unique_ptr<PresetComparisonWindow> comparisonWindow;

    // The last load of this run that reached a slot, while it kept a snapshot to undo it with.
    std::optional<LoadUndo> lastLoad;

    // Made first and taken down first: its callbacks reach into everything above.
    std::unique_ptr<ConnectionMonitor> monitor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetLibrarianManager)
};
