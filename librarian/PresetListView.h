#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class PresetLibrarianManager;

/** What the device list and the computer list share: a table of rows of Entry that this object
    models, the rows' colours, the way a cell's text is drawn, the F5 key, and dragging rows from
    one list onto the other (a drag carries the indices of the rows it took).

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

    /** A drag of rows carries their indices, in ascending order. */
    juce::var getDragSourceDescription (const juce::SparseSet<int>& rowsToDrag) override
    {
        juce::Array<juce::var> dragged;

        for (int i = 0; i < rowsToDrag.size(); ++i)
            dragged.add (rowsToDrag[i]);

        return dragged;
    }

    /** The row indices a drag of this kind of list carries; none for any other description. */
    static juce::Array<int> draggedRows (const juce::var& description)
    {
        juce::Array<int> dragged;

        if (const auto* indices = description.getArray())
            for (const auto& index : *indices)
                if (index.isInt())
                    dragged.add ((int) index);

        return dragged;
    }

    /** The outline that shows where a drag being held over the list would land. */
    void paintOverChildren (juce::Graphics& g) override
    {
        if (! dropHighlighted)
            return;

        g.setColour (dropOutlineColour);
        g.drawRect (table.getBounds(), dropOutlineThickness);
    }

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
    static inline const juce::Colour dropOutlineColour { 0xff1e6fd9 };

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

    void setDropHighlighted (bool shouldHighlight)
    {
        if (dropHighlighted != shouldHighlight)
        {
            dropHighlighted = shouldHighlight;
            repaint();
        }
    }

    /** Hands a drop to the panel once the event that delivered it is over. A drop arrives inside
        the drag's mouse-up (or the desktop's drop message), and what it stands for may ask
        questions and run a job behind a modal window; those wait until the drag has ended.
    */
    void actOnDropLater (std::function<void (PresetLibrarianManager&)> action)
    {
        setDropHighlighted (false);
        juce::MessageManager::callAsync (
            [list = juce::Component::SafePointer<PresetListView> (this), action = std::move (action)]
            {
                if (list != nullptr)
                    action (list->owner);
            });
    }

    PresetLibrarianManager& owner;
    juce::TableListBox table { {}, this };
    juce::Font font { 12.0f, juce::Font::plain };
    int rowCount = 0;
    juce::Array<Entry> rows;

private:
    static constexpr int tableInset = 8;
    static constexpr int dropOutlineThickness = 2;
    bool dropHighlighted = false;

    JUCE_DECLARE_NON_COPYABLE (PresetListView)
};
