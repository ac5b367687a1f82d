#include "librarian/DeviceSlotsModel.h"

#include "presets/PresetData.h"

#include <algorithm>

bool DeviceSlotsModel::matchesFilter (const DevicePresetEntry& entry, const juce::String& lowerCaseText) const
{
    return entry.name.toLowerCase().contains (lowerCaseText);
}

void DeviceSlotsModel::merge (const juce::Array<DevicePresetEntry>& headers)
{
    auto changed = false;

    for (const auto& header : headers)
        changed = mergeEntry (header) || changed;

    if (! changed)
        return;

    // A read takes the marks of the slots it read: the last one gone, the whole list shows again.
    showOnlyDiffering = showOnlyDiffering && hasMarks();

    auto& entries = entriesToChange();
    std::stable_sort (entries.begin(), entries.end(),
                      [] (const auto& a, const auto& b) { return a.number < b.number; });

    // A name read may take a slot into the filter or out of it; the selection stays on its slots.
    entriesChanged();
}

void DeviceSlotsModel::setEntry (int slot, const juce::String& name, juce::int16 version)
{
    merge ({ DevicePresetEntry { slot, name, version } });
}

bool DeviceSlotsModel::mergeEntry (const DevicePresetEntry& header)
{
    if (header.number < kFirstPresetNumber || header.number > kLastPresetNumber)
        return false;

    // A read of a slot takes away its mark: what was compared is gone.
    for (auto& entry : entriesToChange())
    {
        if (entry.number == header.number)
        {
            entry.name = header.name;
            entry.version = header.version;
            entry.differsFromFolder = header.differsFromFolder;
            return true;
        }
    }

    entriesToChange().add (header);
    return true;
}

void DeviceSlotsModel::setDiffersFromFolder (int slot, bool differs)
{
    for (auto& entry : entriesToChange())
    {
        if (entry.number == slot && entry.differsFromFolder != differs)
        {
            entry.differsFromFolder = differs;
            marksUpdated();
            return;
        }
    }
}

void DeviceSlotsModel::clearMarks (const juce::Array<int>& slots)
{
    auto changed = false;

    for (auto& entry : entriesToChange())
    {
        if (entry.differsFromFolder && slots.contains (entry.number))
        {
            entry.differsFromFolder = false;
            changed = true;
        }
    }

    if (changed)
        marksUpdated();
}

bool DeviceSlotsModel::hasMarks() const
{
    return std::any_of (getEntries().begin(), getEntries().end(),
                        [] (const DevicePresetEntry& entry) { return entry.differsFromFolder; });
}

void DeviceSlotsModel::setShowOnlyDiffering (bool onlyDiffering)
{
    onlyDiffering = onlyDiffering && hasMarks();

    if (onlyDiffering == showOnlyDiffering)
        return;

    showOnlyDiffering = onlyDiffering;
    ListModelChanges changes;
    changes.filter = true;
    refilterNow (changes);
}

bool DeviceSlotsModel::passesOwnFilter (const DevicePresetEntry& entry) const
{
    return ! showOnlyDiffering || entry.differsFromFolder;
}

void DeviceSlotsModel::marksUpdated()
{
    if (! showOnlyDiffering)
    {
        marksChanged();
        return;
    }

    showOnlyDiffering = hasMarks();
    ListModelChanges changes;
    changes.marks = true;
    changes.filter = true;
    refilterNow (changes);
}

juce::String DeviceSlotsModel::nameOf (int slot) const
{
    for (const auto& entry : getEntries())
        if (entry.number == slot)
            return entry.name;

    return {};
}

void DeviceSlotsModel::selectSlots (const juce::Array<int>& slots)
{
    setSelection (std::set<int> (slots.begin(), slots.end()));
}

juce::Array<int> DeviceSlotsModel::getSelectedSlots() const
{
    juce::Array<int> slots;

    for (const auto slot : getSelection())
        slots.add (slot);

    return slots;
}
