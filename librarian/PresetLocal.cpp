#include "librarian/PresetLocal.h"

#include "librarian/Dialogs.h"
#include "librarian/PresetLibrarianManager.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetData.h"

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

bool PresetLocal::matchesFilter (const LocalPresetEntry& row, const juce::String& lowerCaseText) const
{
    return row.name.toLowerCase().contains (lowerCaseText) ||
           row.fileName.toLowerCase().contains (lowerCaseText);
}

juce::String PresetLocal::selectionKeyOf (const LocalPresetEntry& row) const
{
    return row.fileName;
}

void PresetLocal::cellClicked (int rowNumber, int, const juce::MouseEvent& event)
{
    owner.updateButtonStates();

    const auto isPopupClick = event.mods.isRightButtonDown() || event.mods.isCtrlDown();

    const auto* entry = getShownEntry (rowNumber);

    if (! isPopupClick || entry == nullptr)
        return;

    // Taken before the menu: the actions rescan the folder, which rebuilds the rows.
    const auto fileName = entry->fileName;
    showMenuWhenClickEnds ([this, rowNumber, fileName] { showFileMenu (rowNumber, fileName); });
}

void PresetLocal::showFileMenu (int rowNumber, const juce::String& fileName)
{
    switch (owner.getDialogs().chooseFromMenu ({ "Get info", "Copy", "Delete", compareWithSlotText }))
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
        case compareWithSlotItem: owner.compareFileWithSlot (fileName); break;

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
    appendRow ({ name, fileName });
}

bool PresetLocal::isInterestedInDragSource (const SourceDetails& details)
{
    return details.sourceComponent.get() == &owner.getDeviceList().getTable();
}

void PresetLocal::itemDragEnter (const SourceDetails&)
{
    setDropHighlighted (true);
}

void PresetLocal::itemDragExit (const SourceDetails&)
{
    setDropHighlighted (false);
}

void PresetLocal::itemDropped (const SourceDetails& details)
{
    const auto slotRows = draggedRows (details.description);

    if (slotRows.isEmpty())
    {
        setDropHighlighted (false);
        return;
    }

    actOnDropLater ([slotRows] (PresetLibrarianManager& panel) { panel.saveDroppedSlots (slotRows); });
}

bool PresetLocal::isInterestedInFileDrag (const juce::StringArray& files)
{
    for (const auto& file : files)
        if (file.endsWithIgnoreCase (kPresetFileExtension))
            return true;

    return false;
}

void PresetLocal::fileDragEnter (const juce::StringArray&, int, int)
{
    setDropHighlighted (true);
}

void PresetLocal::fileDragExit (const juce::StringArray&)
{
    setDropHighlighted (false);
}

void PresetLocal::filesDropped (const juce::StringArray& files, int, int)
{
    actOnDropLater ([files] (PresetLibrarianManager& panel) { panel.copyDroppedFiles (files); });
}
