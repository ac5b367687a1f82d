#include "librarian/PresetLocal.h"

#include "librarian/Dialogs.h"
#include "librarian/PresetLibrarianManager.h"

PresetLocal::PresetLocal (PresetLibrarianManager& ownerPanel) : PresetListView (ownerPanel, "local preset")
{
    auto& header = table.getHeader();
    header.addColumn ("Name", nameColumn, 120, 120, 200, resizableColumn);
    header.addColumn ("File", fileColumn, 160, 120, 180, resizableColumn);
}

juce::String PresetLocal::getCellText (const LocalPresetEntry& row, int columnId) const
{
    return columnId == nameColumn ? row.name : row.fileName;
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

void PresetLocal::selectedRowsChanged (int)
{
    owner.updateButtonStates();
}

void PresetLocal::refreshRequested()
{
    owner.rescanPresetFolder();
}

void PresetLocal::addLocalPreset (const juce::String& name, const juce::String& fileName)
{
    rows.add ({ name, fileName });
    ++rowCount;
    table.updateContent();
}
