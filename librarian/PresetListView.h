#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/FocusRing.h"
#include "librarian/ListModel.h"

#include <functional>
#include <set>
#include <utility>

/** What the device list and the computer list share: a table that draws the entries of a list
    model (ListModel) and reports what the user does with them, the rows' colours, the way a
    cell's text is drawn, the F5 key, the filter's field, and dragging rows from one list onto
    the other (a drag carries the keys of the entries it took: slot numbers or file names).

    The model holds the entries, the filter and the selection; the view shows them and keeps the
    table's selection and the model's in step both ways: a click in the table selects in the
    model, and a change of the model's selection (a command, a merge, a rescan, the filter)
    selects in the table. Every change of the selection, from either side, is told through
    onSelectionChanged.

    The filter: typing in the list, or Ctrl+F, shows a search field over the top of the list,
    and the table then shows only the entries whose text contains the field's, without regard
    to case; Escape, or emptying the field, shows them all again. The table's rows are therefore
    the entries shown, not the entries: getRows() holds them all, and getShownEntry() is the
    entry behind a row of the table.

    Derived lists say what a cell shows and what a click does. The table is never sorted:
    clicking a header leaves the rows in their order. Used on the message thread only.
*/
template <typename Entry, typename Key>
class PresetListView : public juce::Component,
                       public juce::TableListBoxModel,
                       public juce::KeyListener,
                       private ListModelListener
{
public:
    using Model = ListModel<Entry, Key>;

    ~PresetListView() override
    {
        model.removeListener (this);
        table.removeMouseListener (this);
        removeKeyListener (this);
    }

    /** F5 with no modifier keys. */
    std::function<void()> onRefresh;

    /** Any change of the selection, by a click, a key, a rescan or a command. */
    std::function<void()> onSelectionChanged;

    /** Return, or Delete and Backspace, pressed in the table with a row selected. In the
        filter's field they edit the filter instead and never come here.
    */
    std::function<void()> onReturnKey, onDeleteKey;

    void returnKeyPressed (int) override
    {
        if (onReturnKey != nullptr)
            onReturnKey();
    }

    void deleteKeyPressed (int) override
    {
        if (onDeleteKey != nullptr)
            onDeleteKey();
    }

    /** The rows of the table: the entries the filter shows. */
    int getNumRows() override { return model.getNumShown(); }

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
        const auto* entry = getShownEntry (rowNumber);

        if (entry == nullptr)
            return;

        g.setColour (textColour);
        g.setFont (font);
        g.drawText (getCellText (*entry, columnId), 5, 0, width - 5, height, juce::Justification::centredLeft,
                    true);
    }

    using juce::Component::keyPressed;

    /** F5 with no modifier keys refreshes the list; Ctrl+F, or a character typed with no
        modifier key, opens the filter's field (the character goes into it); every other key
        goes on to the framework.
    */
    bool keyPressed (const juce::KeyPress& key, juce::Component*) override
    {
        if (key == juce::KeyPress (juce::KeyPress::F5Key))
        {
            if (onRefresh != nullptr)
                onRefresh();

            return true;
        }

        if (key == juce::KeyPress ('f', juce::ModifierKeys::ctrlModifier, 0))
        {
            showFilterField ({});
            return true;
        }

        const auto character = key.getTextCharacter();
        const auto modifiers = key.getModifiers().withoutFlags (juce::ModifierKeys::shiftModifier);

        if (character >= ' ' && character != 0x7f && modifiers.getRawFlags() == 0)
        {
            showFilterField (juce::String::charToString (character));
            return true;
        }

        return false;
    }

    /** The end of a click in the table: shows a menu the click asked for. */
    void mouseUp (const juce::MouseEvent&) override
    {
        if (auto showMenu = std::exchange (menuAwaitingRelease, nullptr))
            showMenu();
    }

    void resized() override
    {
        table.setBounds (getLocalBounds().reduced (tableInset));

        // Over the right end of the header: the rows and everything around the list stay put.
        const auto fieldWidth = juce::jmin (filterFieldWidth, table.getWidth() - 2 * filterFieldMargin);
        filterField.setBounds (table.getRight() - fieldWidth - filterFieldMargin,
                               table.getY() + filterFieldMargin, fieldWidth, filterFieldHeight);
    }

    //==============================================================================
    /** The entry behind a row of the table, or nullptr for a row that is not there. */
    const Entry* getShownEntry (int tableRow) const { return model.getShownEntry (tableRow); }

    /** The filter of the model. */
    const juce::String& getFilterText() const noexcept { return model.getFilterText(); }

    /** Shows all entries again and takes the field away. */
    void clearFilter()
    {
        model.setFilterText ({});
        filterField.setVisible (false);
    }

    /** Brings up the filter's field with the keyboard focus, the typed text added to it. */
    void showFilterField (const juce::String& typed)
    {
        filterField.setVisible (true);
        filterField.toFront (true);
        filterField.moveCaretToEnd();
        filterField.insertTextAtCaret (typed);
    }

    juce::TextEditor& getFilterField() noexcept { return filterField; }

    /** A drag of rows carries the keys of their entries, in the order the rows show them. */
    juce::var getDragSourceDescription (const juce::SparseSet<int>& rowsToDrag) override
    {
        juce::Array<juce::var> dragged;

        for (int i = 0; i < rowsToDrag.size(); ++i)
            if (const auto* entry = getShownEntry (rowsToDrag[i]))
                dragged.add (model.keyOf (*entry));

        return dragged;
    }

    /** A change of the table's selection, by a click or a key, selects the same entries in the
        model; one the model itself made is already there.
    */
    void selectedRowsChanged (int) override
    {
        if (showingModel)
            return;

        std::set<Key> keys;
        const auto selected = table.getSelectedRows();

        for (int i = 0; i < selected.size(); ++i)
            if (const auto* entry = getShownEntry (selected[i]))
                keys.insert (model.keyOf (*entry));

        model.setSelection (keys);
    }

    /** The outline that shows where a drag being held over the list would land, and the ring
        round the table while it has the keyboard focus.
    */
    void paintOverChildren (juce::Graphics& g) override
    {
        if (table.hasKeyboardFocus (true))
        {
            // Outside the table, in the margin round it: the ring must stand out against the
            // metal behind the panel, and leave the rows and the drop outline alone.
            g.setColour (FocusRing::colour);
            g.drawRect (table.getBounds().expanded (focusRingGap + FocusRing::thickness),
                        FocusRing::thickness);
        }

        if (! dropHighlighted)
            return;

        g.setColour (dropOutlineColour);
        g.drawRect (table.getBounds(), dropOutlineThickness);
    }

    /** The table took or lost the focus: its ring follows. */
    void focusOfChildComponentChanged (FocusChangeType) override { repaint(); }

    /** All entries of the model, also those the filter hides. */
    const juce::Array<Entry>& getRows() const noexcept { return model.getEntries(); }

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

    PresetListView (Model& listModel, const juce::String& tableName) : model (listModel)
    {
        table.setName (tableName);
        table.setColour (juce::ListBox::outlineColourId, juce::Colour (0xff808080));
        table.setOutlineThickness (1);
        table.setAutoSizeMenuOptionShown (false);
        table.setMultipleSelectionEnabled (true);

        addAndMakeVisible (table);
        addKeyListener (this);

        // The rows' mouse-ups, for a menu that waits for the end of its click.
        table.addMouseListener (this, true);

        filterField.setTextToShowWhenEmpty ("Find", juce::Colours::grey);
        // Drawn over the header, it needs an edge of its own to stand out from it.
        filterField.setColour (juce::TextEditor::outlineColourId, dropOutlineColour);
        filterField.setColour (juce::TextEditor::focusedOutlineColourId, dropOutlineColour);
        filterField.setFont (font);
        filterField.setIndents (4, 3);
        filterField.setEscapeAndReturnKeysConsumed (true);
        filterField.onTextChange = [this] { model.setFilterText (filterField.getText()); };
        filterField.onEscapeKey = [this]
        {
            clearFilter();
            table.grabKeyboardFocus();
        };
        filterField.onReturnKey = [this] { table.grabKeyboardFocus(); };
        filterField.onFocusLost = [this]
        {
            // An empty field goes; one holding a filter stays, so that it shows what hides rows.
            if (model.getFilterText().isEmpty())
                filterField.setVisible (false);
        };
        addChildComponent (filterField);

        // Tab reaches the filter, while it is shown, before the rows it filters.
        filterField.setExplicitFocusOrder (1);
        table.setExplicitFocusOrder (2);

        model.addListener (this);
        showModel ({ true, true, true, true });
    }

    virtual juce::String getCellText (const Entry& row, int columnId) const = 0;

    /** The keys a drag of rows of this kind of list carries; none for any other description. */
    static juce::Array<juce::var> draggedKeys (const juce::var& description)
    {
        if (const auto* keys = description.getArray())
            return *keys;

        return {};
    }

    void setDropHighlighted (bool shouldHighlight)
    {
        if (dropHighlighted != shouldHighlight)
        {
            dropHighlighted = shouldHighlight;
            repaint();
        }
    }

    /** Shows a row's pop-up menu once the click that asked for it is over. A click on a row that
        is not selected yet reaches the list while the button is still down, and the window
        manager answers that press by raising the window: JUCE dismisses a pop-up menu whenever
        a window with a native title bar is moved or restacked under it, so a menu shown during
        the press was gone before the user saw it (the first right-click on a file after the
        start opened nothing). After the release the raise is over.
    */
    void showMenuWhenClickEnds (std::function<void()> showMenu)
    {
        if (juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown())
            menuAwaitingRelease = std::move (showMenu);
        else
            showMenu();
    }

    /** Hands a drop on once the event that delivered it is over. A drop arrives inside the
        drag's mouse-up (or the desktop's drop message), and what it stands for may ask
        questions and run a job behind a modal window; those wait until the drag has ended.
    */
    void actOnDropLater (std::function<void()> action)
    {
        setDropHighlighted (false);
        juce::MessageManager::callAsync (
            [list = juce::Component::SafePointer<PresetListView> (this), action = std::move (action)]
            {
                if (list != nullptr && action != nullptr)
                    action();
            });
    }

    Model& model;
    juce::TableListBox table { {}, this };
    juce::Font font { 12.0f, juce::Font::plain };

private:
    void listModelChanged (const ListModelChanges& changes) override { showModel (changes); }

    /** Brings the table, its selection and the filter's field in line with the model. */
    void showModel (const ListModelChanges& changes)
    {
        if (changes.filter)
            showFilterText();

        {
            const juce::ScopedValueSetter<bool> fromModel (showingModel, true);

            if (changes.entries || changes.filter)
                table.updateContent();

            const auto selected = selectedRowsOfModel();

            if (selected != table.getSelectedRows())
                table.setSelectedRows (selected, juce::dontSendNotification);
        }

        table.repaint();

        if (changes.selection && onSelectionChanged != nullptr)
            onSelectionChanged();
    }

    /** The rows of the table that show the entries the model has selected. */
    juce::SparseSet<int> selectedRowsOfModel() const
    {
        juce::SparseSet<int> rows;

        if (model.getNumSelected() == 0)
            return rows;

        for (int row = 0; row < model.getNumShown(); ++row)
            if (model.isSelected (model.keyOf (*model.getShownEntry (row))))
                rows.addRange ({ row, row + 1 });

        return rows;
    }

    /** The field shows the model's filter; a filter emptied by a command takes the field away,
        one emptied by the user in the field leaves it while it has the focus.
    */
    void showFilterText()
    {
        const auto& text = model.getFilterText();
        const auto typedInField = filterField.getText() == text;

        if (! typedInField)
            filterField.setText (text, false);

        if (text.isEmpty() && ! (typedInField && filterField.hasKeyboardFocus (false)))
            filterField.setVisible (false);
    }

    static constexpr int tableInset = 8;
    static constexpr int dropOutlineThickness = 2;
    static constexpr int focusRingGap = 1;
    static constexpr int filterFieldWidth = 150, filterFieldHeight = 22, filterFieldMargin = 3;
    bool dropHighlighted = false;

    // While the view follows the model: the table's own notifications are not news for it.
    bool showingModel = false;
    juce::TextEditor filterField { "find" };
    std::function<void()> menuAwaitingRelease;

    JUCE_DECLARE_NON_COPYABLE (PresetListView)
};
