#include "librarian/PresetLocal.h"

#include "librarian/Dialogs.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetData.h"

PresetLocal::PresetLocal (PresetFilesModel& presetFiles, Dialogs& menuDialogs)
    : PresetListView (presetFiles, "local preset"), dialogs (menuDialogs)
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
    const auto item =
        dialogs.chooseFromMenu ({ "Get info", "Copy", "Delete", compareWithSlotText, renameText });

    if (item < getInfoItem || item > renameItem || onFileCommand == nullptr)
        return;

    onFileCommand ((MenuItems) item, fileName);

    // The row clicked is selected alone afterwards; after a copy the copy is, which the panel
    // selects itself.
    if (item == getInfoItem)
        table.selectRow (rowNumber);
}

bool PresetLocal::isInterestedInDragSource (const SourceDetails& details)
{
    const auto* source = dynamic_cast<juce::TableListBox*> (details.sourceComponent.get());
    return source != nullptr && dynamic_cast<PresetTonarel*> (source->getModel()) != nullptr;
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
    juce::Array<int> slots;

    for (const auto& key : draggedKeys (details.description))
        if (key.isInt())
            slots.add ((int) key);

    if (slots.isEmpty())
    {
        setDropHighlighted (false);
        return;
    }

    actOnDropLater (
        [this, slots]
        {
            if (onSlotsDropped != nullptr)
                onSlotsDropped (slots);
        });
}

bool PresetLocal::isInterestedInFileDrag (const juce::StringArray& paths)
{
    for (const auto& path : paths)
        if (path.endsWithIgnoreCase (kPresetFileExtension))
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

void PresetLocal::filesDropped (const juce::StringArray& paths, int, int)
{
    actOnDropLater (
        [this, paths]
        {
            if (onDesktopFilesDropped != nullptr)
                onDesktopFilesDropped (paths);
        });
}
