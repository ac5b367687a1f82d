#pragma once

#include "presets/PresetListEntries.h"
#include "librarian/PresetListView.h"

/** The computer list: one row per preset file of the preset folder, in the order the folder
    scan found them. A pop-up click on a row offers "Get info", "Copy" and "Delete"; F5 scans
    the folder again. Owned by the librarian panel; used on the message thread only.
*/
class PresetLocal final : public PresetListView<LocalPresetEntry>
{
public:
    explicit PresetLocal (PresetLibrarianManager& owner);

    void cellClicked (int rowNumber, int columnId, const juce::MouseEvent&) override;

    /** Any change of the selection, by a click, a key, a rescan or a command, moves the buttons. */
    void selectedRowsChanged (int lastRowSelected) override;

    void addLocalPreset (const juce::String& name, const juce::String& fileName);

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
        deleteItem = 3
    };

private:
    juce::String getCellText (const LocalPresetEntry& row, int columnId) const override;
    void refreshRequested() override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetLocal)
};
