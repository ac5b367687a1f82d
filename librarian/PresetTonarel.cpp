#include "librarian/PresetTonarel.h"

#include "librarian/PresetLibrarianManager.h"
#include "librarian/PresetLocal.h"
#include "presets/PresetData.h"

PresetTonarel::PresetTonarel (PresetLibrarianManager& ownerPanel)
    : PresetListView (ownerPanel, "tonarel preset")
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

bool PresetTonarel::matchesFilter (const DevicePresetEntry& row, const juce::String& lowerCaseText) const
{
    return row.name.toLowerCase().contains (lowerCaseText);
}

void PresetTonarel::cellClicked (int rowNumber, int, const juce::MouseEvent& event)
{
    owner.updateButtonStates();

    // Only the right button: a control-click adds to the selection here.
    const auto* entry = getShownEntry (rowNumber);

    if (! event.mods.isRightButtonDown() || entry == nullptr)
        return;

    const auto slot = entry->number;

    showMenuWhenClickEnds (
        [this, slot]
        {
            if (owner.getDialogs().chooseFromMenu ({ compareWithFileText }) == compareWithFileItem)
                owner.compareSlotWithFile (slot);
        });
}

void PresetTonarel::selectedRowsChanged (int)
{
    owner.updateButtonStates();
}

void PresetTonarel::refreshRequested()
{
    owner.readSelectedDeviceNames();
}

void PresetTonarel::mergeDevicePresets()
{
    // Taken before the merge: a slot added above the selected ones moves them down a row.
    const auto selectedSlots = getSelectedKeys();

    for (const auto& entry : owner.getDevicePresets())
        mergeEntry (entry);

    sortAndUpdate (selectedSlots);
    repaint();
}

void PresetTonarel::setDiffersFromFolder (juce::int32 number, bool differs)
{
    for (auto& row : rows)
        if (row.number == number)
            row.differsFromFolder = differs;

    repaint();
}

void PresetTonarel::setDevicePreset (juce::int32 number, const juce::String& name, juce::int16 version)
{
    const auto selectedSlots = getSelectedKeys();
    mergeEntry ({ number, name, version });
    sortAndUpdate (selectedSlots);
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
    return isEnabled() && details.sourceComponent.get() == &owner.getLocalList().getTable();
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
    const auto fileRows = draggedRows (details.description);
    juce::int32 firstSlot = 0;
    juce::String name;

    // A drop below the last row or on the header lands on no slot.
    if (! getDevicePreset (row, firstSlot, name) || fileRows.isEmpty())
    {
        setDropHighlighted (false);
        return;
    }

    actOnDropLater ([fileRows, firstSlot] (PresetLibrarianManager& panel)
                    { panel.loadDroppedFiles (fileRows, firstSlot); });
}

void PresetTonarel::mergeEntry (const DevicePresetEntry& entry)
{
    // A row outside the device's slots is no slot at all: such an entry (a failed read records
    // slot 0) adds no row. A read of a slot takes away its mark: what was compared is gone.
    if (entry.number < kFirstPresetNumber || entry.number > kLastPresetNumber)
        return;

    bool found = false;

    for (auto& row : rows)
    {
        if (row.number == entry.number)
        {
            row.name = entry.name;
            row.version = entry.version;
            row.differsFromFolder = entry.differsFromFolder;
            found = true;
        }
    }

    if (! found)
        rows.add (entry);
}

void PresetTonarel::sortAndUpdate (const std::set<juce::String>& selectedSlots)
{
    std::stable_sort (rows.begin(), rows.end(),
                      [] (const auto& a, const auto& b) { return a.number < b.number; });

    // A name read may take a slot into the filter or out of it; the selection stays on its slots.
    refilter (selectedSlots);
}

juce::String PresetTonarel::selectionKeyOf (const DevicePresetEntry& row) const
{
    return juce::String (row.number);
}
