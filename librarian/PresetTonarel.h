#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/PresetListEntries.h"

class PresetLibrarianManager;

/** The device list: one row per device slot, sorted by slot number.

    After a full read the list holds slots 1 to 99 in order, so a row's index plus 1 is its slot;
    the transfer jobs rely on that. The rows come from the panel's devicePresets; the list holds
    no device logic of its own. Owned by the librarian panel; used on the message thread only.
*/
class PresetTonarel final : public juce::Component, public juce::TableListBoxModel, public juce::KeyListener
{
public:
    explicit PresetTonarel (PresetLibrarianManager& owner);
    ~PresetTonarel() override;

    int getNumRows() override;
    void paintRowBackground (juce::Graphics&, int rowNumber, int width, int height,
                             bool rowIsSelected) override;
    void paintCell (juce::Graphics&, int rowNumber, int columnId, int width, int height,
                    bool rowIsSelected) override;
    void cellClicked (int rowNumber, int columnId, const juce::MouseEvent&) override;

    using juce::Component::keyPressed;
    /** F5 alone reads the selected slots' names again; every other key goes on. */
    bool keyPressed (const juce::KeyPress& key, juce::Component* originatingComponent) override;

    void resized() override;

    //==============================================================================
    /** Merges the owner's devicePresets into the rows: a slot's row takes the entry's name and
        version, or a new row is added. Entries outside slots 1 to 99 are left out.
    */
    void mergeDevicePresets();

    /** The same merge for one entry. */
    void setDevicePreset (juce::int32 number, const juce::String& name, juce::int16 version);

    void clearRows();

    /** The slot number and name of a row; false for a row that does not exist or lies beyond
        the 99 slots.
    */
    bool getDevicePreset (int rowNumber, juce::int32& number, juce::String& name) const;

    const juce::Array<DevicePresetEntry>& getRows() const noexcept { return rows; }

    /** The table, for its selection and for enabling it. */
    juce::TableListBox& getTable() noexcept { return table; }

    enum ColumnIds
    {
        numberColumn = 1,
        nameColumn = 2
    };

private:
    void mergeEntry (const DevicePresetEntry& entry);
    void sortAndUpdate();

    PresetLibrarianManager& owner;
    juce::TableListBox table;
    juce::Font font { 12.0f, juce::Font::plain };
    int rowCount = 0;
    juce::Array<DevicePresetEntry> rows;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetTonarel)
};
