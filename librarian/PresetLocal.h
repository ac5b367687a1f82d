#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/PresetListEntries.h"

class PresetLibrarianManager;

/** The computer list: one row per preset file of the preset folder, in the order the folder
    scan found them. A pop-up click on a row offers "Get info", "Copy" and "Delete"; F5 scans
    the folder again. Owned by the librarian panel; used on the message thread only.
*/
class PresetLocal final : public juce::Component, public juce::TableListBoxModel, public juce::KeyListener
{
public:
    explicit PresetLocal (PresetLibrarianManager& owner);
    ~PresetLocal() override;

    int getNumRows() override;
    void paintRowBackground (juce::Graphics&, int rowNumber, int width, int height,
                             bool rowIsSelected) override;
    void paintCell (juce::Graphics&, int rowNumber, int columnId, int width, int height,
                    bool rowIsSelected) override;
    void cellClicked (int rowNumber, int columnId, const juce::MouseEvent&) override;

    using juce::Component::keyPressed;
    /** F5 alone scans the preset folder again; every other key goes on. */
    bool keyPressed (const juce::KeyPress& key, juce::Component* originatingComponent) override;

    void resized() override;

    //==============================================================================
    void addLocalPreset (const juce::String& name, const juce::String& fileName);
    void clearRows();

    const juce::Array<LocalPresetEntry>& getRows() const noexcept { return rows; }

    /** The table, for its selection. */
    juce::TableListBox& getTable() noexcept { return table; }

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
    PresetLibrarianManager& owner;
    juce::TableListBox table;
    juce::Font font { 12.0f, juce::Font::plain };
    int rowCount = 0;
    juce::Array<LocalPresetEntry> rows;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetLocal)
};
