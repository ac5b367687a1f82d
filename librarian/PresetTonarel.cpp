#include "librarian/PresetTonarel.h"

#include "librarian/Dialogs.h"
#include "librarian/PresetLocal.h"

PresetTonarel::PresetTonarel (DeviceSlotsModel& slots, Dialogs& menuDialogs)
    : PresetListView (slots, "tonarel preset"), dialogs (menuDialogs)
{
    auto& header = table.getHeader();
    header.addColumn ("Preset Number", numberColumn, 100, 100, 100, fixedColumn);
    header.addColumn ("Name", nameColumn, 160, 160, 240, resizableColumn);
}

juce::String PresetTonarel::getCellText (const DevicePresetEntry& row, int columnId) const
{
    if (columnId == numberColumn)
        return juce::String (row.number);

    return row.differsFromFolder ? row.name + differsMark : row.name;
}

void PresetTonarel::cellClicked (int rowNumber, int, const juce::MouseEvent& event)
{
    // Only the right button: a control-click adds to the selection here.
    const auto* entry = getShownEntry (rowNumber);

    if (! event.mods.isRightButtonDown() || entry == nullptr)
        return;

    const auto slot = entry->number;

    showMenuWhenClickEnds (
        [this, slot]
        {
            const auto item = dialogs.chooseFromMenu ({ compareWithFileText, renameText });

            if (item == compareWithFileItem && onCompareWithFile != nullptr)
                onCompareWithFile (slot);
            else if (item == renameItem && onRenameSlot != nullptr)
                onRenameSlot (slot);
        });
}

bool PresetTonarel::getDevicePreset (int rowNumber, juce::int32& number, juce::String& name) const
{
    const auto* row = getShownEntry (rowNumber);

    if (row == nullptr)
        return false;

    number = row->number;
    name = row->name;
    return true;
}

bool PresetTonarel::isInterestedInDragSource (const SourceDetails& details)
{
    const auto* source = dynamic_cast<juce::TableListBox*> (details.sourceComponent.get());
    return isEnabled() && source != nullptr &&
           (dynamic_cast<PresetLocal*> (source->getModel()) != nullptr || source == &table);
}

void PresetTonarel::itemDragEnter (const SourceDetails&)
{
    setDropHighlighted (true);
}

void PresetTonarel::itemDragExit (const SourceDetails&)
{
    setDropHighlighted (false);
}

void PresetTonarel::itemDropped (const SourceDetails& details)
{
    const auto at = table.getLocalPoint (this, details.localPosition);
    const auto row = table.getRowContainingPosition (at.x, at.y);

    if (details.sourceComponent.get() == &table)
    {
        moveDroppedSlots (details, row);
        return;
    }

    juce::StringArray fileNames;

    for (const auto& key : draggedKeys (details.description))
        if (key.isString())
            fileNames.add (key.toString());

    juce::int32 firstSlot = 0;
    juce::String name;

    // A drop below the last row or on the header lands on no slot.
    if (! getDevicePreset (row, firstSlot, name) || fileNames.isEmpty())
    {
        setDropHighlighted (false);
        return;
    }

    actOnDropLater (
        [this, fileNames, firstSlot]
        {
            if (onFilesDropped != nullptr)
                onFilesDropped (fileNames, firstSlot);
        });
}

void PresetTonarel::moveDroppedSlots (const SourceDetails& details, int row)
{
    juce::Array<int> slots;

    for (const auto& key : draggedKeys (details.description))
        if (key.isInt())
            slots.add (static_cast<int> (key));

    juce::int32 landingSlot = 0;
    juce::String name;

    if (! getDevicePreset (row, landingSlot, name) || slots.isEmpty())
    {
        setDropHighlighted (false);
        return;
    }

    actOnDropLater (
        [this, slots, landingSlot]
        {
            if (onSlotsMoved != nullptr)
                onSlotsMoved (slots, landingSlot);
        });
}
