#pragma once

#include "librarian/DeviceSlotsModel.h"
#include "librarian/PresetListView.h"

class Dialogs;

/** The device list: draws the device's slots (DeviceSlotsModel), one row per slot, in slot
    order.

    A row is known by the slot number it holds, never by its place: the filter may hide any
    slot. The list holds no device logic of its own and no reference to the panel: what the
    user asks of it goes out through its callbacks. F5 is onRefresh; the right button offers
    "Compare with File…" (onCompareWithFile) and "Rename…" (onRenameSlot). Rows of the
    computer list dropped onto a slot are onFilesDropped, for "< Load To" that slot and the ones
    after it; the list's own rows dropped onto a slot are onSlotsMoved, to move their presets
    there. A slot that "Compare Device with Folder" found different from the preset folder shows
    a dot after its name until the slot is next read or sent. Owned by the librarian panel; used
    on the message thread only.
*/
class PresetTonarel final : public PresetListView<DevicePresetEntry, int>, public juce::DragAndDropTarget
{
public:
    /** The list of the slots, with the dialogs its menu is shown through. */
    PresetTonarel (DeviceSlotsModel& slots, Dialogs& dialogs);

    /** "Compare with File…" chosen on a slot. */
    std::function<void (int slot)> onCompareWithFile;

    /** "Rename…" chosen on a slot. */
    std::function<void (int slot)> onRenameSlot;

    /** Files of the computer list dropped onto a slot, once the drop's event is over. */
    std::function<void (const juce::StringArray& fileNames, int firstSlot)> onFilesDropped;

    void cellClicked (int rowNumber, int columnId, const juce::MouseEvent&) override;

    /** The slot number and name of a row of the table; false for a row that is not there. */
    bool getDevicePreset (int rowNumber, juce::int32& number, juce::String& name) const;

    /** Slots of this list dropped onto a slot (landingSlot, as the slot number the row shows,
        whatever the filter hides), once the drop's event is over.
    */
    std::function<void (const juce::Array<int>& slots, int landingSlot)> onSlotsMoved;

    /** Rows of the computer list or of this list, and only while the device can be reached. */
    bool isInterestedInDragSource (const SourceDetails& details) override;
    void itemDragEnter (const SourceDetails&) override;
    void itemDragExit (const SourceDetails&) override;

    /** Loads the dragged files into the slot under the pointer and the ones after it, or moves
        the dragged slots' presets there.
    */
    void itemDropped (const SourceDetails& details) override;

    enum ColumnIds
    {
        numberColumn = 1,
        nameColumn = 2
    };

    /** The items of the pop-up menu, numbered from 1 as the menu returns them. */
    static constexpr int compareWithFileItem = 1, renameItem = 2;
    static inline const juce::String compareWithFileText { juce::CharPointer_UTF8 (
        "Compare with File\xe2\x80\xa6") };
    static inline const juce::String renameText { juce::CharPointer_UTF8 ("Rename\xe2\x80\xa6") };

    /** What follows the name of a slot that differs from the preset folder. */
    static inline const juce::String differsMark { juce::CharPointer_UTF8 (" \xe2\x80\xa2") };

private:
    /** The list's own slots dropped onto row: handed on as onSlotsMoved. */
    void moveDroppedSlots (const SourceDetails& details, int row);

    juce::String getCellText (const DevicePresetEntry& row, int columnId) const override;

    Dialogs& dialogs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetTonarel)
};
