#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "device/TransferLogLines.h"
#include "librarian/SecondaryWindow.h"

#include <functional>

/** What the transfer log window shows: the log as a table, one row per line (time, job,
    exchange, slot, file, attempt, outcome, duration), the newest at the bottom and in view, with
    "Failures Only" to show only the exchanges and jobs that did not end "done". Below the table,
    the selected row in full: for a failure the frames sent and received around it, for a line
    the table cannot split into its fields the line as it stands. "Copy" puts the rows shown on
    the clipboard, as the log's own lines; "Open Folder" opens the folder the log is in, through
    the desktop, handed in as a function so that the view knows nothing of how.

    The log is read from the file whenever reload() is called: the window calls it when it comes
    to the front, so a log that grew while it stood behind is shown whole. Nothing polls the
    file. Message thread only.
*/
class TransferLogView final : public juce::Component,
                              private juce::TableListBoxModel,
                              private juce::Button::Listener
{
public:
    TransferLogView (const juce::File& logFile, std::function<void()> openFolder);
    ~TransferLogView() override;

    /** Reads the log again and scrolls to its end; without a log, says there is none. */
    void reload();

    /** Shows only the rows of failures, or all of them; the selected line stays selected where
        it is still shown.
    */
    void setFailuresOnly (bool failuresOnly);

    /** The lines the table shows, oldest first. */
    int getNumShownRows() const noexcept { return (int) shown.size(); }
    const TransferLogLine& getShownLine (int row) const;

    /** The rows shown as the log's own lines, one per row, as "Copy" copies them. */
    juce::String getShownText() const;

    /** What the pane below the table says of the selected row (or that there is no log). */
    juce::String getDetailText() const { return detail.getText(); }

    void resized() override;

    juce::TableListBox& getTable() noexcept { return table; }
    juce::ToggleButton& getFailuresOnlyButton() noexcept { return failuresOnlyButton; }
    juce::TextButton& getCopyButton() noexcept { return copyButton; }
    juce::TextButton& getOpenFolderButton() noexcept { return openFolderButton; }

    /** What the window shows while no job has written the log. */
    static constexpr const char* noLogText = "No transfer has been logged yet.";

    /** What the pane says while "Failures Only" finds none. */
    static constexpr const char* noFailureText = "No failure in the log.";

    enum ColumnIds
    {
        timeColumn = 1,
        jobColumn,
        exchangeColumn,
        slotColumn,
        fileColumn,
        attemptColumn,
        outcomeColumn,
        durationColumn
    };

private:
    int getNumRows() override { return getNumShownRows(); }
    void paintRowBackground (juce::Graphics&, int rowNumber, int width, int height, bool selected) override;
    void paintCell (juce::Graphics&, int rowNumber, int columnId, int width, int height,
                    bool selected) override;
    void selectedRowsChanged (int lastRowSelected) override;
    void buttonClicked (juce::Button* button) override;

    /** The shown rows from the lines and the switch; then the table, the buttons and the pane. */
    void showLines (const TransferLogLine* toSelect);
    void showDetail();

    const juce::File logFile;
    std::function<void()> openFolder;
    std::vector<TransferLogLine> lines;

    // The indices into lines of the rows shown, in order.
    std::vector<int> shown;
    bool hasLog = false;

    juce::TableListBox table { "transfer log", this };
    juce::TextEditor detail;
    juce::ToggleButton failuresOnlyButton { "Failures Only" };
    juce::TextButton copyButton { "Copy", "copies the rows shown to the clipboard" };
    juce::TextButton openFolderButton { "Open Folder", "opens the folder that holds the log" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TransferLogView)
};

/** The window of the transfer log: a TransferLogView that reloads as the window comes to the
    front. Closing only hides it. Owned by the content component, which shows it again on the next
    "Show Transfer Log". Commands go on to the main window's content.
*/
class TransferLogWindow final : public SecondaryWindow
{
public:
    TransferLogWindow (const juce::File& logFile, std::function<void()> openFolder,
                       juce::ApplicationCommandTarget& commandTarget);
    ~TransferLogWindow() override;

    /** Shows the window centred over the given component, in front, with the log read afresh. */
    void showOver (juce::Component& mainWindow);

    void activeWindowStatusChanged() override;

    TransferLogView& getView() noexcept { return view; }

    juce::ApplicationCommandTarget* getNextCommandTarget() override { return &nextCommandTarget; }

    static constexpr int defaultWidth = 780, defaultHeight = 460;

private:
    void becomingVisible() override { view.reload(); }

    TransferLogView view;
    juce::ApplicationCommandTarget& nextCommandTarget;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TransferLogWindow)
};
