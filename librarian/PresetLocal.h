#pragma once

#include "librarian/PresetFilesModel.h"
#include "librarian/PresetListView.h"

class Dialogs;

/** The computer list: draws the preset folder's files (PresetFilesModel), one row per preset
    file, in the order the folder scan found them.

    The list holds no reference to the panel: what the user asks of it goes out through its
    callbacks. A pop-up click on a row offers "Get info", "Copy", "Delete", "Compare with
    Slot…" and "Rename…" (onFileCommand); F5 is onRefresh; the filter looks at the preset's
    name and the file's. Slots of the device list dropped here are onSlotsDropped ("Save >");
    files dropped from the desktop are onDesktopFilesDropped. Owned by the librarian panel;
    used on the message thread only.
*/
class PresetLocal final : public PresetListView<LocalPresetEntry, juce::String>,
                          public juce::DragAndDropTarget,
                          public juce::FileDragAndDropTarget
{
public:
    /** The list of the files, with the dialogs its menu is shown through. */
    PresetLocal (PresetFilesModel& files, Dialogs& dialogs);

    /** The items of the pop-up menu, numbered from 1 as the menu returns them. */
    enum MenuItems
    {
        getInfoItem = 1,
        copyItem = 2,
        deleteItem = 3,
        compareWithSlotItem = 4,
        renameItem = 5
    };

    /** An item of the pop-up menu chosen on a file. */
    std::function<void (MenuItems item, const juce::String& fileName)> onFileCommand;

    /** Slots of the device list dropped here, once the drop's event is over. */
    std::function<void (const juce::Array<int>& slots)> onSlotsDropped;

    /** Files dropped from the desktop, once the drop's event is over. */
    std::function<void (const juce::StringArray& paths)> onDesktopFilesDropped;

    void cellClicked (int rowNumber, int columnId, const juce::MouseEvent&) override;

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

    static inline const juce::String compareWithSlotText { juce::CharPointer_UTF8 (
        "Compare with Slot\xe2\x80\xa6") };
    static inline const juce::String renameText { juce::CharPointer_UTF8 ("Rename\xe2\x80\xa6") };

private:
    juce::String getCellText (const LocalPresetEntry& row, int columnId) const override;
    void showFileMenu (int rowNumber, const juce::String& fileName);

    Dialogs& dialogs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetLocal)
};
