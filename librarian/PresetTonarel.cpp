#include "librarian/PresetTonarel.h"

#include "librarian/PresetLibrarianManager.h"
#include "librarian/PresetTableStyle.h"

namespace
{
    constexpr int firstSlot = 1, lastSlot = 99;
}

PresetTonarel::PresetTonarel (PresetLibrarianManager& ownerPanel) : owner (ownerPanel), table ({}, this)
{
    PresetTableStyle::setUp (table, "tonarel preset");

    auto& header = table.getHeader();
    header.addColumn ("Preset Number", numberColumn, 100, 100, 100, PresetTableStyle::fixedColumn);
    header.addColumn ("Name", nameColumn, 160, 160, 240, PresetTableStyle::resizableColumn);

    addAndMakeVisible (table);
    addKeyListener (this);
}

PresetTonarel::~PresetTonarel()
{
    removeKeyListener (this);
    rows.clear();
    rowCount = 0;
}

int PresetTonarel::getNumRows()
{
    return rowCount;
}

void PresetTonarel::paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height,
                                        bool rowIsSelected)
{
    PresetTableStyle::paintRowBackground (g, rowNumber, width, height, rowIsSelected);
}

void PresetTonarel::paintCell (juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool)
{
    if (! juce::isPositiveAndBelow (rowNumber, rows.size()))
        return;

    const auto& row = rows.getReference (rowNumber);
    const auto text = columnId == numberColumn ? juce::String (row.number) : row.name;
    PresetTableStyle::paintCellText (g, font, text, width, height);
}

void PresetTonarel::cellClicked (int, int, const juce::MouseEvent&)
{
    owner.updateButtonStates();
}

bool PresetTonarel::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    if (! PresetTableStyle::isRefreshKey (key))
        return false;

    owner.readSelectedDeviceNames();
    return true;
}

void PresetTonarel::resized()
{
    table.setBounds (getLocalBounds().reduced (PresetTableStyle::tableInset));
}

void PresetTonarel::mergeDevicePresets()
{
    for (const auto& entry : owner.getDevicePresets())
        mergeEntry (entry);

    sortAndUpdate();
    repaint();
}

void PresetTonarel::setDevicePreset (juce::int32 number, const juce::String& name, juce::int16 version)
{
    mergeEntry ({ number, name, version });
    sortAndUpdate();
}

void PresetTonarel::clearRows()
{
    rowCount = 0;
    rows.clear();
    table.updateContent();
}

bool PresetTonarel::getDevicePreset (int rowNumber, juce::int32& number, juce::String& name) const
{
    if (rowNumber >= lastSlot || ! juce::isPositiveAndBelow (rowNumber, rows.size()))
        return false;

    const auto& row = rows.getReference (rowNumber);
    number = row.number;
    name = row.name;
    return true;
}

void PresetTonarel::mergeEntry (const DevicePresetEntry& entry)
{
    // A row outside the device's slots would shift every row after it, and the transfer jobs
    // take a row's index plus 1 as its slot: such an entry (a failed read records slot 0) adds
    // no row.
    if (entry.number < firstSlot || entry.number > lastSlot)
        return;

    bool found = false;

    for (auto& row : rows)
    {
        if (row.number == entry.number)
        {
            row.name = entry.name;
            row.version = entry.version;
            found = true;
        }
    }

    if (! found)
    {
        rows.add (entry);
        ++rowCount;
    }
}

void PresetTonarel::sortAndUpdate()
{
    std::stable_sort (rows.begin(), rows.end(),
                      [] (const auto& a, const auto& b) { return a.number < b.number; });
    table.updateContent();
}
