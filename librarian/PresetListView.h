#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class PresetLibrarianManager;

/** What the device list and the computer list share: a table of rows of Entry that this object
    models, the rows' colours, the way a cell's text is drawn, and the F5 key.

    Derived lists say what a cell shows, what a click does and what F5 refreshes. The table is
    never sorted: clicking a header leaves the rows in their order. Used on the message thread
    only.
*/
template <typename Entry>
class PresetListView : public juce::Component, public juce::TableListBoxModel, public juce::KeyListener
{
public:
    ~PresetListView() override
    {
        removeKeyListener (this);
        rows.clear();
        rowCount = 0;
    }

    int getNumRows() override { return rowCount; }

    /** Selected rows light blue, odd rows striped, even rows left to the table's background. */
    void paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height,
                             bool rowIsSelected) override
    {
        if (rowIsSelected)
            g.setColour (selectedRowColour);
        else if (rowNumber % 2 != 0)
            g.setColour (oddRowColour);
        else
            return;

        g.fillRect (0, 0, width, height);
    }

    /** Black text from 5 pixels in, vertically centred, shortened with an ellipsis. */
    void paintCell (juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool) override
    {
        if (! juce::isPositiveAndBelow (rowNumber, rows.size()))
            return;

        g.setColour (textColour);
        g.setFont (font);
        g.drawText (getCellText (rows.getReference (rowNumber), columnId), 5, 0, width - 5, height,
                    juce::Justification::centredLeft, true);
    }

    using juce::Component::keyPressed;

    /** F5 with no modifier keys refreshes the list; every other key goes on to the framework. */
    bool keyPressed (const juce::KeyPress& key, juce::Component*) override
    {
        if (key != juce::KeyPress (juce::KeyPress::F5Key))
            return false;

        refreshRequested();
        return true;
    }

    void resized() override { table.setBounds (getLocalBounds().reduced (tableInset)); }

    void clearRows()
    {
        rowCount = 0;
        rows.clear();
        table.updateContent();
    }

    const juce::Array<Entry>& getRows() const noexcept { return rows; }

    /** The table, for its selection and for enabling it. */
    juce::TableListBox& getTable() noexcept { return table; }

    static inline const juce::Colour selectedRowColour { 0xffadd8e6 };
    static inline const juce::Colour oddRowColour { 0xffdfe1e6 };
    static inline const juce::Colour textColour { 0xff000000 };

protected:
    /** Columns can be hidden and dragged, some resized, none sorted. */
    static constexpr int fixedColumn = juce::TableHeaderComponent::notResizableOrSortable;
    static constexpr int resizableColumn = juce::TableHeaderComponent::notSortable;

    PresetListView (PresetLibrarianManager& ownerPanel, const juce::String& tableName) : owner (ownerPanel)
    {
        table.setName (tableName);
        table.setColour (juce::ListBox::outlineColourId, juce::Colour (0xff808080));
        table.setOutlineThickness (1);
        table.setAutoSizeMenuOptionShown (false);
        table.setMultipleSelectionEnabled (true);

        addAndMakeVisible (table);
        addKeyListener (this);
    }

    virtual juce::String getCellText (const Entry& row, int columnId) const = 0;
    virtual void refreshRequested() = 0;

    PresetLibrarianManager& owner;
    juce::TableListBox table { {}, this };
    juce::Font font { 12.0f, juce::Font::plain };
    int rowCount = 0;
    juce::Array<Entry> rows;

private:
    static constexpr int tableInset = 8;

    JUCE_DECLARE_NON_COPYABLE (PresetListView)
};
