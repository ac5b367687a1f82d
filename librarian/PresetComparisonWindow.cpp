#include "librarian/PresetComparisonWindow.h"

#include "device/SysexFrame.h"

namespace
{
    enum ColumnIds
    {
        whatColumn = 1,
        fileColumn = 2,
        slotColumn = 3
    };

    constexpr int margin = 10, headlineHeight = 30, rowHeight = 22;
    constexpr int minimumWidth = 360, minimumHeight = 220;
    constexpr float headlineFontHeight = 18.0f, cellFontHeight = 13.0f;

    const juce::Colour textColour { 0xff000000 };
    const juce::Colour differsColour { 0xffc0221b };
    const juce::Colour oddRowColour { 0xffdfe1e6 };
}

PresetComparisonView::PresetComparisonView()
{
    headline.setFont (juce::Font (headlineFontHeight, juce::Font::bold));
    headline.setJustificationType (juce::Justification::centredLeft);
    addAndMakeVisible (headline);

    auto& header = table.getHeader();
    header.addColumn ({}, whatColumn, 130, 80, 200, juce::TableHeaderComponent::notSortable);
    header.addColumn ("File", fileColumn, 150, 80, 400, juce::TableHeaderComponent::notSortable);
    header.addColumn ("Slot", slotColumn, 150, 80, 400, juce::TableHeaderComponent::notSortable);
    header.setStretchToFitActive (true);
    table.setRowHeight (rowHeight);
    table.setColour (juce::ListBox::outlineColourId, juce::Colour (0xff808080));
    table.setOutlineThickness (1);
    addAndMakeVisible (table);
}

PresetComparisonView::~PresetComparisonView()
{
    table.setModel (nullptr);
}

void PresetComparisonView::show (const juce::String& fileName, const PresetData& filePreset, int slot,
                                 const PresetData& slotPreset)
{
    differences = comparePresets (filePreset, slotPreset);

    // The file's name as the device would store it: a name the wire shortens is no difference.
    rows.clear();
    rows.push_back ({ "Preset", fileName, "Slot " + juce::String (slot), false });
    rows.push_back ({ "Name", toDeviceName (filePreset.name), slotPreset.name, differences.nameDiffers });
    rows.push_back ({ "Version", juce::String (filePreset.version), juce::String (slotPreset.version),
                      differences.versionDiffers });

    for (const auto& parameter : differences.parameters)
        rows.push_back ({ "Parameter " + juce::String (parameter.index), valueText (parameter.expected),
                          valueText (parameter.actual), true });

    juce::StringArray parts;

    if (differences.nameDiffers)
        parts.add ("the name");

    if (differences.versionDiffers)
        parts.add ("the version");

    if (! differences.parameters.empty())
    {
        const auto count = (int) differences.parameters.size();
        parts.add (juce::String (count) + (count == 1 ? " parameter" : " parameters"));
    }

    headline.setText (differences.isEmpty() ? juce::String (identicalText)
                                            : "Differs: " + parts.joinIntoString (", "),
                      juce::dontSendNotification);
    headline.setColour (juce::Label::textColourId, differences.isEmpty() ? textColour : differsColour);

    table.updateContent();
    table.scrollToEnsureRowIsOnscreen (0);
    table.repaint();
}

juce::StringArray PresetComparisonView::describeRows() const
{
    juce::StringArray lines;

    for (const auto& row : rows)
        lines.add (row.what + " | " + row.fileValue + " | " + row.slotValue);

    return lines;
}

void PresetComparisonView::resized()
{
    auto area = getLocalBounds().reduced (margin);
    headline.setBounds (area.removeFromTop (headlineHeight));
    area.removeFromTop (margin / 2);
    table.setBounds (area);
}

void PresetComparisonView::paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height, bool)
{
    if (rowNumber % 2 == 0)
        return;

    g.setColour (oddRowColour);
    g.fillRect (0, 0, width, height);
}

void PresetComparisonView::paintCell (juce::Graphics& g, int rowNumber, int columnId, int width, int height,
                                      bool)
{
    if (! juce::isPositiveAndBelow (rowNumber, (int) rows.size()))
        return;

    const auto& row = rows[(size_t) rowNumber];
    const auto& text = columnId == whatColumn   ? row.what
                       : columnId == fileColumn ? row.fileValue
                                                : row.slotValue;

    g.setColour (row.differs && columnId != whatColumn ? differsColour : textColour);
    g.setFont (juce::Font (cellFontHeight, columnId == whatColumn ? juce::Font::plain : juce::Font::bold));
    g.drawText (text, 5, 0, width - 5, height, juce::Justification::centredLeft, true);
}

//==============================================================================
PresetComparisonWindow::PresetComparisonWindow (juce::Component& librarianPanel)
    : SecondaryWindow (windowTitle), panel (librarianPanel)
{
    holdView (view, minimumWidth, minimumHeight);
}

PresetComparisonWindow::~PresetComparisonWindow()
{
    // The view is a member: it has to leave the window before it is destroyed.
    clearContentComponent();
}

void PresetComparisonWindow::showInFront()
{
    // Each comparison is a new answer to the user's question: it comes up where the user looks,
    // over the librarian, wherever the main window has gone since.
    showInFrontOf (*panel.getTopLevelComponent(), panel, defaultWidth, defaultHeight,
                   Placement::centredEveryTime);
}

juce::ApplicationCommandTarget* PresetComparisonWindow::getNextCommandTarget()
{
    return panel.findParentComponentOfClass<juce::ApplicationCommandTarget>();
}
