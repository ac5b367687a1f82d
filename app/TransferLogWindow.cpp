#include "app/TransferLogWindow.h"

namespace
{
    constexpr auto windowTitle = "Transfer Log";
    constexpr float textHeight = 13.0f;
    constexpr int margin = 10, buttonWidth = 110, buttonHeight = 28, buttonGap = 10;
    constexpr int detailHeight = 64, toggleWidth = 130, rowHeight = 20;
    constexpr int minimumWidth = 360, minimumHeight = 240;

    const juce::Colour textColour { 0xff000000 };
    const juce::Colour failureColour { 0xffc0221b };
    const juce::Colour notTheLogsColour { 0xff707070 };
    const juce::Colour selectedRowColour { 0xffadd8e6 };
    const juce::Colour oddRowColour { 0xffdfe1e6 };

    juce::Font monospaced()
    {
        return juce::Font (juce::Font::getDefaultMonospacedFontName(), textHeight, juce::Font::plain);
    }

    const juce::String& cellText (const TransferLogLine& line, int columnId)
    {
        switch (columnId)
        {
            case TransferLogView::timeColumn: return line.time;
            case TransferLogView::jobColumn: return line.job;
            case TransferLogView::exchangeColumn: return line.exchange;
            case TransferLogView::slotColumn: return line.slot;
            case TransferLogView::fileColumn: return line.file;
            case TransferLogView::attemptColumn: return line.attempt;
            case TransferLogView::outcomeColumn: return line.outcome;
            case TransferLogView::durationColumn: return line.duration;
            default: break;
        }

        static const juce::String none;
        return none;
    }
}

TransferLogView::TransferLogView (const juce::File& file, std::function<void()> openFolderFunction)
    : logFile (file), openFolder (std::move (openFolderFunction))
{
    auto& header = table.getHeader();
    const auto column = [&header] (const char* title, int id, int width)
    { header.addColumn (title, id, width, 30, 600, juce::TableHeaderComponent::notSortable); };

    // Wide enough for the log's own time stamps and outcome words in the monospaced font.
    column ("Time", timeColumn, 186);
    column ("Job", jobColumn, 80);
    column ("Exchange", exchangeColumn, 80);
    column ("Slot", slotColumn, 40);
    column ("File", fileColumn, 120);
    column ("Attempt", attemptColumn, 62);
    column ("Outcome", outcomeColumn, 110);
    column ("Duration", durationColumn, 76);
    table.setRowHeight (rowHeight);
    table.setColour (juce::ListBox::outlineColourId, juce::Colour (0xff808080));
    table.setOutlineThickness (1);
    addAndMakeVisible (table);

    detail.setMultiLine (true, true);
    detail.setReadOnly (true);
    detail.setScrollbarsShown (true);
    detail.setCaretVisible (false);
    detail.setFont (monospaced());
    addAndMakeVisible (detail);

    for (auto* button :
         std::initializer_list<juce::Button*> { &failuresOnlyButton, &copyButton, &openFolderButton })
    {
        addAndMakeVisible (*button);
        button->addListener (this);
    }
}

TransferLogView::~TransferLogView()
{
    table.setModel (nullptr);
}

void TransferLogView::reload()
{
    // A log that is being appended to is read as far as it has been written; the rolled-over
    // older file beside it is not shown here, "Open Folder" leads to it.
    hasLog = logFile.existsAsFile();
    lines = hasLog ? parseTransferLog (logFile.loadFileAsString()) : std::vector<TransferLogLine>();
    showLines (nullptr);

    // The newest line is what the user opened the window for.
    if (! shown.empty())
        table.scrollToEnsureRowIsOnscreen ((int) shown.size() - 1);
}

void TransferLogView::setFailuresOnly (bool failuresOnly)
{
    failuresOnlyButton.setToggleState (failuresOnly, juce::dontSendNotification);
    const auto selectedRow = table.getSelectedRow();
    const auto* selected =
        juce::isPositiveAndBelow (selectedRow, getNumShownRows()) ? &getShownLine (selectedRow) : nullptr;
    showLines (selected);
}

void TransferLogView::showLines (const TransferLogLine* toSelect)
{
    const auto failuresOnly = failuresOnlyButton.getToggleState();
    shown.clear();
    auto rowToSelect = -1;

    for (int i = 0; i < (int) lines.size(); ++i)
    {
        if (failuresOnly && ! lines[(size_t) i].isFailure())
            continue;

        if (toSelect == &lines[(size_t) i])
            rowToSelect = (int) shown.size();

        shown.push_back (i);
    }

    table.updateContent();

    if (rowToSelect >= 0)
    {
        table.selectRow (rowToSelect, false, true);
        table.scrollToEnsureRowIsOnscreen (rowToSelect);
    }
    else
    {
        table.deselectAllRows();
    }

    table.repaint();
    copyButton.setEnabled (! shown.empty());
    showDetail();
}

const TransferLogLine& TransferLogView::getShownLine (int row) const
{
    jassert (juce::isPositiveAndBelow (row, getNumShownRows()));
    return lines[(size_t) shown[(size_t) row]];
}

juce::String TransferLogView::getShownText() const
{
    juce::String text;

    for (const auto index : shown)
        text << lines[(size_t) index].raw << "\n";

    return text;
}

void TransferLogView::showDetail()
{
    const auto row = table.getSelectedRow();
    juce::String text;

    if (! hasLog)
        text = noLogText;
    else if (shown.empty())
        text = failuresOnlyButton.getToggleState() ? noFailureText : noLogText;
    else if (juce::isPositiveAndBelow (row, getNumShownRows()))
    {
        const auto& line = getShownLine (row);

        if (! line.wellFormed)
            text = "Not a line of the log's own: " + line.raw;
        else if (! line.frames.isEmpty())
            text = "Frames around the failure, oldest first:\n" + line.frames.joinIntoString ("\n");
        else
            text = line.raw.replace ("\t", "   ");
    }

    detail.setText (text, false);
}

void TransferLogView::selectedRowsChanged (int)
{
    showDetail();
}

void TransferLogView::paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height,
                                          bool selected)
{
    if (selected || rowNumber % 2 != 0)
    {
        g.setColour (selected ? selectedRowColour : oddRowColour);
        g.fillRect (0, 0, width, height);
    }

    // A line the table cannot split shows whole, across the row, in grey (the cells are each
    // clipped to their column); the pane below holds it too when the row is selected.
    if (juce::isPositiveAndBelow (rowNumber, getNumShownRows()) && ! getShownLine (rowNumber).wellFormed)
    {
        g.setColour (notTheLogsColour);
        g.setFont (monospaced());
        g.drawText (getShownLine (rowNumber).raw, 4, 0, width - 6, height, juce::Justification::centredLeft,
                    true);
    }
}

void TransferLogView::paintCell (juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool)
{
    if (! juce::isPositiveAndBelow (rowNumber, getNumShownRows()))
        return;

    const auto& line = getShownLine (rowNumber);

    if (! line.wellFormed)
        return;

    g.setColour (line.isFailure() && columnId == outcomeColumn ? failureColour : textColour);
    g.setFont (monospaced());
    g.drawText (cellText (line, columnId), 4, 0, width - 6, height, juce::Justification::centredLeft, true);
}

void TransferLogView::resized()
{
    auto area = getLocalBounds().reduced (margin);
    auto buttons = area.removeFromBottom (buttonHeight);
    area.removeFromBottom (margin);
    detail.setBounds (area.removeFromBottom (detailHeight));
    area.removeFromBottom (margin / 2);
    table.setBounds (area);

    failuresOnlyButton.setBounds (buttons.removeFromLeft (toggleWidth));
    openFolderButton.setBounds (buttons.removeFromRight (buttonWidth));
    buttons.removeFromRight (buttonGap);
    copyButton.setBounds (buttons.removeFromRight (buttonWidth));
}

void TransferLogView::buttonClicked (juce::Button* button)
{
    if (button == &failuresOnlyButton)
        setFailuresOnly (failuresOnlyButton.getToggleState());
    else if (button == &copyButton)
        juce::SystemClipboard::copyTextToClipboard (getShownText());
    else if (button == &openFolderButton && openFolder != nullptr)
        openFolder();
}

//==============================================================================
TransferLogWindow::TransferLogWindow (const juce::File& logFile, std::function<void()> openFolder,
                                      juce::ApplicationCommandTarget& commandTarget)
    : SecondaryWindow (windowTitle), view (logFile, std::move (openFolder)), nextCommandTarget (commandTarget)
{
    holdView (view, minimumWidth, minimumHeight);
}

TransferLogWindow::~TransferLogWindow()
{
    // The view is a member: it has to leave the window before it is destroyed.
    clearContentComponent();
}

void TransferLogWindow::showOver (juce::Component& mainWindow)
{
    showInFrontOf (mainWindow, mainWindow, defaultWidth, defaultHeight);
}

void TransferLogWindow::activeWindowStatusChanged()
{
    if (isVisible() && isActiveWindow())
        view.reload();
}
