#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "device/TransferJob.h"
#include "device/TransferLog.h"
#include "librarian/AppServices.h"
#include "librarian/ConnectionMonitor.h"
#include "librarian/DeviceSlotsModel.h"
#include "librarian/Dialogs.h"
#include "librarian/LibrarianSettings.h"
#include "librarian/PresetFilesModel.h"
#include "librarian/TransferJobThread.h"
#include "presets/LibrarianConfiguration.h"
#include "presets/PresetData.h"
#include "presets/PresetListEntries.h"

#include <atomic>
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
    panel, which hears of what the user does in them through their callbacks.
    The panel owns the device link (PresetManager), runs the transfer jobs (the engine's
    TransferJobRunner, which it hosts) on a thread of its own (TransferJobThread) behind a modal
    progress window (JobProgressWindow), keeps
    the preset folder, its configuration file, its settings and the transfer log, and has the
    device's connection watched by a ConnectionMonitor, whose callbacks it answers.

    The class is one but its concerns are several, each in its own source file: the panel itself
    (LibrarianPanel.cpp), the preset folder, the lists' actions and drops onto the lists
    (PresetListActions.cpp), the buttons' commands (LibrarianCommands.cpp), comparing presets of
    the folder with the device's (PresetComparing.cpp) and the transfer worker (TransferWorker.cpp).

    Threads: everything runs on the message thread except runJobBody(), the transfer worker, which
    writes lastResult, jobOutcome, numbers, devicePresets, wholePresets, slotsTouched and
    deviceVersion while the progress window is up;
    the message thread reads them only once the job has ended. The worker reports its progress
    through an atomic that timer 1 carries into the progress bars on the message thread, and
    asks its questions through the dialogs on the message thread, waiting for the answer.

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
    bool isThreadRunning() const { return jobThread.isRunning(); }

    /** Asks the running job to end, as Cancel does, but leaves its window as it is. */
    void signalThreadShouldExit() { jobThread.askToEnd(); }

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

    /** Records a preset header read from the device. Called by the worker during a job. */
    void addDevicePreset (juce::int32 number, const juce::String& name, juce::int16 version);

    /** Reads the names of the slots in numbers and merges them into the device list. */
    void readListedNames();

    //==============================================================================
    // The preset folder.

    /** Remembers the chooser's folder and lists its preset files again. */
    void rescanPresetFolder();

    /** Copies a preset file of the folder under its copy name, then rescans. */
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

    /** The window of the last comparison of one file with one slot; nullptr before the first. */
    PresetComparisonWindow* getComparisonWindow() const noexcept { return comparisonWindow.get(); }

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
    const juce::Array<DevicePresetEntry>& getDevicePresets() const noexcept { return devicePresets; }
    Dialogs& getDialogs() const noexcept { return services.dialogs; }
    const LibrarianConfiguration& getConfiguration() const noexcept { return configuration; }
    LibrarianSettings& getSettings() noexcept { return settings; }

    PresetTonarel& getDeviceList() const noexcept { return *deviceList; }
    PresetLocal& getLocalList() const noexcept { return *localList; }
    DeviceSlotsModel& getDeviceSlots() noexcept { return deviceSlots; }
    PresetFilesModel& getPresetFiles() noexcept { return presetFiles; }
    PresetManager& getPresetManager() const noexcept { return *presetManager; }

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

    /** Called on the worker thread with each status line a job shows, so that a test can
        follow a job through its retries. Set it only while no job runs.
    */
    std::function<void (const juce::String&)> onStatusMessage;

    /** Sets the progress of the job, 0 to 1; from any thread. */
    void setJobProgress (double fraction) noexcept { jobProgress = fraction; }

    /** Sets the status line the progress window shows; from any thread. */
    void setJobStatus (const juce::String& status);

private:
    //==============================================================================
    std::unique_ptr<juce::TextButton> createButton (const juce::String& text, const juce::String& tooltip,
                                                    bool enabled);
    void paintCaptions (juce::Graphics& g);

    /** The monitor, with the panel's answers to what it finds. */
    std::unique_ptr<ConnectionMonitor> createConnectionMonitor();

    /** Shows the device's version in the device label, and warns when the last preset file's
        differs from it.
    */
    void showVersionTexts();
    void showDeviceConnected (bool shownConnected);

    //==============================================================================
    // The commands.

    /** Runs the worker behind the progress window on the lists' selections; false when the
        user cancelled.
    */
    bool runJob (TransferKind jobKind);

    /** The same on a selection of the caller's. */
    bool runJob (TransferKind jobKind, const TransferSelection& jobSelection);

    /** The slots and files selected in the lists, in the order the lists show them. */
    TransferSelection selectedInLists() const;

    /** Reads the slots whole behind the progress window and shows their names in the list; the
        presets read, fewer than asked for when the job was cancelled or failed (its outcome is
        then told).
    */
    std::vector<PresetData> readWholeSlots (const juce::Array<int>& slots);

    /** Shows how a file's preset differs from a slot's in the comparison window. */
    void showComparison (const juce::String& fileName, const PresetData& filePreset,
                         const PresetData& slotPreset);

    /** Runs a job that reads slot names and puts its outcome in the status label. */
    void runNameReadingJob (TransferKind jobKind);

    /** Carries the job's progress into the progress window and the panel's bar. */
    void showJobProgress();

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

    /** What an item of the computer list's menu stands for. */
    void runFileCommand (int menuItem, const juce::String& fileName);

    /** The outcome word of a transfer job, and its notice when it is not a success. */
    juce::String reportOutcome (bool completed);

    //==============================================================================
    // The transfer worker, on its own thread.

    class WorkerHost;

    /** The job itself, on the job's thread. */
    void runJobBody();

    /** On the message thread once the job's thread has returned. */
    void jobEnded();

    /** The job's name in the transfer log. */
    static juce::String jobNameOf (TransferKind kind);

    /** Shows a question on the message thread and waits for the answer. */
    int askFromWorker (const TransferQuestion& question);

    //==============================================================================
    /** Wakes the worker's wait for an exchange when the job is told to end (Cancel, or the
        panel going away), so that it ends the exchange at once instead of at its next look.
    */
    struct CancelWake final : public juce::Thread::Listener
    {
        explicit CancelWake (PresetLibrarianManager& p) : panel (p) {}

        void exitSignalSent() override;

        PresetLibrarianManager& panel;
    };

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
    std::unique_ptr<PresetManager> presetManager;
    CancelWake cancelWake { *this };
    TransferJobThread jobThread;
    std::unique_ptr<JobProgressWindow> progressWindow;
    juce::KeyListener* keysDuringJobs = nullptr;

    // Written by the worker, read by the progress timer.
    juce::CriticalSection jobStatusLock;
    juce::String jobStatus;

    // A refresh shows no Cancel: the device list would be left half read.
    bool jobCancellable = true;

    // Set once the user has chosen to quit: no job starts after that, and the one that runs
    // calls quitAfterJob when it has ended.
    bool quitting = false;
    bool closeQuestionOpen = false;
    std::function<void()> quitAfterJob;
    TransferLog transferLog { configuration.getTransferLogFile() };

    double progress = 0.0;
    std::atomic<double> jobProgress { 0.0 };
    int lastResult = 0;
    juce::Array<int> numbers;

    // The job is set by the message thread as it starts; the worker writes the outcome while it
    // runs, and the message thread reads that once it has ended.
    TransferJob job;
    TransferJobOutcome jobOutcome;

    // Written by the worker and read when the panel paints, also while a job runs.
    std::atomic<juce::int16> deviceVersion { 0 };

    // The version of the preset file read last, by the folder scan or by a send; the panel
    // warns when it differs from the device's.
    std::atomic<juce::int16> lastFileVersion { 0 };

    juce::Image headerConnectedImage;
    juce::Image headerDisconnectedImage;
    juce::Image headerRightImage;
    juce::Image headerFillImage;
    juce::Image headerCapImage;

    juce::Array<DevicePresetEntry> devicePresets;

    // Written by the worker during a job: the presets a ReadWhole job read, and the slots a job
    // read or sent successfully, whose comparison marks go once it has ended.
    std::vector<PresetData> wholePresets;
    juce::Array<int> slotsTouched;

    std::unique_ptr<PresetComparisonWindow> comparisonWindow;

    // Made first and taken down first: its callbacks reach into everything above.
    std::unique_ptr<ConnectionMonitor> monitor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetLibrarianManager)
};
