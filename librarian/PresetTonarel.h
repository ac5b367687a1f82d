#pragma once

#include "presets/PresetListEntries.h"
#include "librarian/PresetListView.h"

/** The device list: one row per device slot, sorted by slot number.

    After a full read the list holds slots 1 to 99 in order, so a row's index plus 1 is its slot;
    the transfer jobs rely on that. The rows come from the panel's devicePresets; the list holds
    no device logic of its own. F5 reads the selected slots' names again. Rows of the computer
    list dropped onto a slot are "< Load To" that slot and the ones after it. Owned by the
    librarian panel; used on the message thread only.
*/
class PresetTonarel final : public PresetListView<DevicePresetEntry>, public juce::DragAndDropTarget
{
public:
    explicit PresetTonarel (PresetLibrarianManager& owner);

    void cellClicked (int rowNumber, int columnId, const juce::MouseEvent&) override;

    /** Any change of the selection, by a click, a key, a rescan or a command, moves the buttons. */
    void selectedRowsChanged (int lastRowSelected) override;

    /** Merges the owner's devicePresets into the rows: a slot's row takes the entry's name and
        version, or a new row is added. Entries outside slots 1 to 99 are left out.
    */
    void mergeDevicePresets();

    /** The same merge for one entry. */
    void setDevicePreset (juce::int32 number, const juce::String& name, juce::int16 version);

    /** The slot number and name of a row; false for a row that does not exist or lies beyond
        the 99 slots.
    */
    bool getDevicePreset (int rowNumber, juce::int32& number, juce::String& name) const;

    /** Only rows of the computer list, and only while the device can be reached. */
    bool isInterestedInDragSource (const SourceDetails& details) override;
    void itemDragEnter (const SourceDetails&) override;
    void itemDragExit (const SourceDetails&) override;

    /** Loads the dragged files into the slot under the pointer and the ones after it. */
    void itemDropped (const SourceDetails& details) override;

    enum ColumnIds
    {
        numberColumn = 1,
        nameColumn = 2
    };

private:
    juce::String getCellText (const DevicePresetEntry& row, int columnId) const override;
    void refreshRequested() override;
    void mergeEntry (const DevicePresetEntry& entry);
    void sortAndUpdate();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetTonarel)
};
