#pragma once

#include "librarian/ListModel.h"
#include "presets/PresetListEntries.h"

/** The device's slots as the librarian knows them: one entry per slot read, in slot order,
    each with the comparison mark "Compare Device with Folder" may have set, the filter on the
    slots' names and the slots selected, kept by slot number.

    Entries come from reads merged in: a read of a slot replaces what was known of it and takes
    its mark away. Owned by the librarian panel, drawn by the device list (PresetTonarel). Used
    on the message thread only.
*/
class DeviceSlotsModel final : public ListModel<DevicePresetEntry, int>
{
public:
    DeviceSlotsModel() = default;

    /** Merges headers read from the device: a known slot takes the header's name and version,
        an unknown one is added in its place by number. Headers outside slots 1 to 99 (a failed
        read records slot 0) are left out.
    */
    void merge (const juce::Array<DevicePresetEntry>& headers);

    /** The same merge for one header. */
    void setEntry (int slot, const juce::String& name, juce::int16 version);

    /** Marks a slot as differing from the preset folder, or takes the mark away. */
    void setDiffersFromFolder (int slot, bool differs);

    /** Takes the marks away from slots that have been read or sent since they were compared. */
    void clearMarks (const juce::Array<int>& slots);

    /** Whether any slot carries the mark. */
    bool hasMarks() const;

    /** Shows only the marked slots (those the typed filter also shows), or all of them again.
        It can only be switched on while a slot is marked, and it goes off by itself when the
        last mark goes (a read or a send of that slot): a list of no slots would hide the device.
        A marked slot that a read or send takes the mark from leaves the list then.
    */
    void setShowOnlyDiffering (bool onlyDiffering);
    bool isShowingOnlyDiffering() const noexcept { return showOnlyDiffering; }

    /** The name the list knows a slot by; empty for a slot not read. */
    juce::String nameOf (int slot) const;

    /** Selects exactly the slots given that are listed and shown. */
    void selectSlots (const juce::Array<int>& slots);

    /** The slot numbers selected, in slot order. */
    juce::Array<int> getSelectedSlots() const;

    int keyOf (const DevicePresetEntry& entry) const override { return entry.number; }

private:
    bool matchesFilter (const DevicePresetEntry& entry, const juce::String& lowerCaseText) const override;
    bool passesOwnFilter (const DevicePresetEntry& entry) const override;

    /** Tells of changed marks; with only the differing slots shown, the rows change with them. */
    void marksUpdated();

    bool showOnlyDiffering = false;

    /** Puts one header into the entries; whether any entry changed. */
    bool mergeEntry (const DevicePresetEntry& header);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceSlotsModel)
};
