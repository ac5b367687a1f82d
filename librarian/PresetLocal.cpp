#include "librarian/PresetLocal.h"

#include "app/Dialogs.h"
#include "librarian/PresetLibrarianManager.h"
#include "librarian/PresetTableStyle.h"

PresetLocal::PresetLocal (PresetLibrarianManager& ownerPanel) : owner (ownerPanel), table ({}, this)
{
    PresetTableStyle::setUp (table, "local preset");

    auto& header = table.getHeader();
    header.addColumn ("Name", nameColumn, 120, 120, 200, PresetTableStyle::resizableColumn);
    header.addColumn ("File", fileColumn, 160, 120, 180, PresetTableStyle::resizableColumn);

    addAndMakeVisible (table);
    addKeyListener (this);
}

PresetLocal::~PresetLocal()
{
    removeKeyListener (this);
    rows.clear();
    rowCount = 0;
}

int PresetLocal::getNumRows()
{
    return rowCount;
}

void PresetLocal::paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height,
                                      bool rowIsSelected)
{
    PresetTableStyle::paintRowBackground (g, rowNumber, width, height, rowIsSelected);
}

void PresetLocal::paintCell (juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool)
{
    if (! juce::isPositiveAndBelow (rowNumber, rows.size()))
        return;

    const auto& row = rows.getReference (rowNumber);
    PresetTableStyle::paintCellText (g, font, columnId == nameColumn ? row.name : row.fileName, width,
                                     height);
}

void PresetLocal::cellClicked (int rowNumber, int, const juce::MouseEvent& event)
{
    owner.updateButtonStates();

    const auto isPopupClick = event.mods.isRightButtonDown() || event.mods.isCtrlDown();

    if (! isPopupClick || ! juce::isPositiveAndBelow (rowNumber, rows.size()))
        return;

    // Taken before the menu: the actions rescan the folder, which rebuilds the rows.
    const auto fileName = rows.getReference (rowNumber).fileName;

    switch (owner.getDialogs().chooseFromMenu ({ "Get info", "Copy", "Delete" }))
    {
        case getInfoItem:
            owner.showPresetInfo (fileName);
            table.selectRow (rowNumber);
            break;

        case copyItem:
            owner.copyLocalPreset (fileName);
            table.selectRow (rowNumber);
            break;

        case deleteItem: owner.deleteLocalPresets (fileName); break;

        default: break;
    }
}

bool PresetLocal::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    if (! PresetTableStyle::isRefreshKey (key))
        return false;

    owner.rescanPresetFolder();
    return true;
}

void PresetLocal::resized()
{
    table.setBounds (getLocalBounds().reduced (PresetTableStyle::tableInset));
}

void PresetLocal::addLocalPreset (const juce::String& name, const juce::String& fileName)
{
    rows.add ({ name, fileName });
    ++rowCount;
    table.updateContent();
}

void PresetLocal::clearRows()
{
    rowCount = 0;
    rows.clear();
    table.updateContent();
}
