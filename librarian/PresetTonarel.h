#pragma once

#include "presets/PresetListEntries.h"
#include "librarian/PresetListView.h"

/** The device list: one row per device slot, sorted by slot number.

    A row is known by the slot number it holds, never by its place: the filter may hide any
    slot. The rows come from the panel's devicePresets; the list holds no device logic of its
    own. F5 reads the selected slots' names again; the right button offers "Compare with
    File…". Rows of the computer list dropped onto a slot are "< Load To" that slot and the ones
    after it. A slot that "Compare Device with Folder" found different from the preset folder
    shows a dot after its name until the slot is next read or sent. Owned by the librarian
    panel; used on the message thread only.
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

    /** Marks a slot as differing from the preset folder, or takes the mark away. */
    void setDiffersFromFolder (juce::int32 number, bool differs);

    /** The slot number and name of a row of the table; false for a row that is not there. */
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

    /** The item of the pop-up menu, numbered from 1 as the menu returns it. */
    static constexpr int compareWithFileItem = 1;
    static inline const juce::String compareWithFileText { juce::CharPointer_UTF8 (
        "Compare with File\xe2\x80\xa6") };

    /** What follows the name of a slot that differs from the preset folder. */
    static inline const juce::String differsMark { juce::CharPointer_UTF8 (" \xe2\x80\xa2") };

private:
    juce::String getCellText (const DevicePresetEntry& row, int columnId) const override;
    bool matchesFilter (const DevicePresetEntry& row, const juce::String& lowerCaseText) const override;
    void refreshRequested() override;
    void mergeEntry (const DevicePresetEntry& entry);
    void sortAndUpdate (const std::set<juce::String>& selectedSlots);
    juce::String selectionKeyOf (const DevicePresetEntry& row) const override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetTonarel)
};
