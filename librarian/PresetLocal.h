#pragma once

#include "presets/PresetListEntries.h"
#include "librarian/PresetListView.h"

/** The computer list: one row per preset file of the preset folder, in the order the folder
    scan found them. A pop-up click on a row offers "Get info", "Copy", "Delete" and "Compare
    with Slot…"; F5 scans the folder again; the filter looks at the preset's name and the file's. Slots of the
   device list dropped here are "Save >"; preset files dropped from the desktop are copied into the folder.
   Owned by the librarian panel; used on the message thread only.
*/
class PresetLocal final : public PresetListView<LocalPresetEntry>,
                          public juce::DragAndDropTarget,
                          public juce::FileDragAndDropTarget
{
public:
    explicit PresetLocal (PresetLibrarianManager& owner);

    void cellClicked (int rowNumber, int columnId, const juce::MouseEvent&) override;

    /** Any change of the selection, by a click, a key, a rescan or a command, moves the buttons. */
    void selectedRowsChanged (int lastRowSelected) override;

    void addLocalPreset (const juce::String& name, const juce::String& fileName);

    /** Only rows of the device list. */
    bool isInterestedInDragSource (const SourceDetails& details) override;
    void itemDragEnter (const SourceDetails&) override;
    void itemDragExit (const SourceDetails&) override;

    /** Saves the dragged slots into the preset folder. */
    void itemDropped (const SourceDetails& details) override;

    /** Any drag of files that holds at least one preset file (by its extension). */
    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void fileDragEnter (const juce::StringArray&, int, int) override;
    void fileDragExit (const juce::StringArray&) override;

    /** Copies the dropped preset files into the preset folder; other files are passed over. */
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    enum ColumnIds
    {
        nameColumn = 1,
        fileColumn = 2
    };

    /** The items of the pop-up menu, numbered from 1 as the menu returns them. */
    enum MenuItems
    {
        getInfoItem = 1,
        copyItem = 2,
        deleteItem = 3,
        compareWithSlotItem = 4
    };

    static inline const juce::String compareWithSlotText { juce::CharPointer_UTF8 (
        "Compare with Slot\xe2\x80\xa6") };

private:
    juce::String getCellText (const LocalPresetEntry& row, int columnId) const override;
    bool matchesFilter (const LocalPresetEntry& row, const juce::String& lowerCaseText) const override;
    void refreshRequested() override;
    juce::String selectionKeyOf (const LocalPresetEntry& row) const override;
    void showFileMenu (int rowNumber, const juce::String& fileName);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetLocal)
};
