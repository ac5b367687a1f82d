#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <set>
#include <utility>

class PresetLibrarianManager;

/** What the device list and the computer list share: a table of rows of Entry that this object
    models, the rows' colours, the way a cell's text is drawn, the F5 key, the filter, and
    dragging rows from one list onto the other (a drag carries the indices of the rows it took).

    The filter: typing in the list, or Ctrl+F, shows a search field over the top of the list,
    and the table then shows only the entries whose text contains the field's, without regard
    to case; Escape, or emptying the field, shows them all again. The table's rows are therefore
    the entries shown, not the entries: getRows() holds them all, and getShownEntry() is the
    entry behind a row of the table. Entries hidden by the filter are never selected.

    Derived lists say what a cell shows, what the filter looks at, what a click does and what
    F5 refreshes. The table is never sorted: clicking a header leaves the rows in their order.
    Used on the message thread only.
*/
template <typename Entry>
class PresetListView : public juce::Component, public juce::TableListBoxModel, public juce::KeyListener
{
public:
    ~PresetListView() override
    {
        table.removeMouseListener (this);
        removeKeyListener (this);
        rows.clear();
        shown.clear();
    }

    /** The rows of the table: the entries the filter shows. */
    int getNumRows() override { return shown.size(); }

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
            refreshRequested();
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
    const Entry* getShownEntry (int tableRow) const
    {
        if (! juce::isPositiveAndBelow (tableRow, shown.size()))
            return nullptr;

        return &rows.getReference (shown.getUnchecked (tableRow));
    }

    /** The table row that shows an entry of getRows(), or -1 while the filter hides it. */
    int getTableRowOf (int entryIndex) const { return shown.indexOf (entryIndex); }

    /** The keys (selectionKeyOf) of the selected entries: the selection as what it stands for,
        which survives any change of the rows that a selection of row indices would not.
    */
    std::set<juce::String> getSelectedKeys() const
    {
        std::set<juce::String> keys;
        const auto selected = table.getSelectedRows();

        for (int i = 0; i < selected.size(); ++i)
            if (const auto* entry = getShownEntry (selected[i]))
                keys.insert (selectionKeyOf (*entry));

        return keys;
    }

    /** Selects exactly the entries shown whose keys are given. */
    void selectKeys (const std::set<juce::String>& keys) { refilter (keys); }

    /** Shows only the entries that match text (all of them for an empty text), keeping those
        selected that stay shown.
    */
    void setFilterText (const juce::String& text)
    {
        if (filterText == text)
            return;

        filterText = text;

        if (filterField.getText() != text)
            filterField.setText (text, false);

        refilter();

        if (text.isEmpty() && ! filterField.hasKeyboardFocus (false))
            filterField.setVisible (false);
    }

    const juce::String& getFilterText() const noexcept { return filterText; }

    /** Shows all entries again and takes the field away. */
    void clearFilter()
    {
        setFilterText ({});
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
        rows.clear();
        shown.clear();
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

        // The rows' mouse-ups, for a menu that waits for the end of its click.
        table.addMouseListener (this, true);

        filterField.setTextToShowWhenEmpty ("Find", juce::Colours::grey);
        // Drawn over the header, it needs an edge of its own to stand out from it.
        filterField.setColour (juce::TextEditor::outlineColourId, dropOutlineColour);
        filterField.setColour (juce::TextEditor::focusedOutlineColourId, dropOutlineColour);
        filterField.setFont (font);
        filterField.setIndents (4, 3);
        filterField.setEscapeAndReturnKeysConsumed (true);
        filterField.onTextChange = [this] { setFilterText (filterField.getText()); };
        filterField.onEscapeKey = [this]
        {
            clearFilter();
            table.grabKeyboardFocus();
        };
        filterField.onReturnKey = [this] { table.grabKeyboardFocus(); };
        filterField.onFocusLost = [this]
        {
            // An empty field goes; one holding a filter stays, so that it shows what hides rows.
            if (filterText.isEmpty())
                filterField.setVisible (false);
        };
        addChildComponent (filterField);
    }

    virtual juce::String getCellText (const Entry& row, int columnId) const = 0;
    virtual void refreshRequested() = 0;

    /** Whether the filter shows an entry: the lower-case text is in what the list shows of it. */
    virtual bool matchesFilter (const Entry& row, const juce::String& lowerCaseText) const = 0;

    /** Adds an entry at the end, shown when it matches the filter. */
    void appendRow (const Entry& entry)
    {
        rows.add (entry);

        if (matches (entry))
            shown.add (rows.size() - 1);

        table.updateContent();
    }

    /** Works out again which entries are shown after the filter changed, keeping selected the
        entries that were selected and are still shown. The rows must be the ones the table
        showed until now; after the rows themselves changed, use the overload with keys.
    */
    void refilter() { refilter (getSelectedKeys()); }

    /** Works out again which entries are shown, and selects exactly those shown whose keys are
        given: taken by getSelectedKeys() before the rows changed, they follow the slots and files
        they stand for wherever a sort or a rescan has moved them.
    */
    void refilter (const std::set<juce::String>& selectedKeys)
    {
        shown.clearQuick();

        for (int i = 0; i < rows.size(); ++i)
            if (matches (rows.getReference (i)))
                shown.add (i);

        table.updateContent();

        juce::SparseSet<int> stillSelected;

        for (int row = 0; row < shown.size(); ++row)
            if (selectedKeys.count (selectionKeyOf (rows.getReference (shown.getUnchecked (row)))) != 0)
                stillSelected.addRange ({ row, row + 1 });

        if (stillSelected != table.getSelectedRows())
            table.setSelectedRows (stillSelected);

        table.repaint();
    }

    /** What an entry stands for, which no sort or rescan changes: the selection is kept by it. */
    virtual juce::String selectionKeyOf (const Entry& entry) const = 0;

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
    juce::Array<Entry> rows;

private:
    bool matches (const Entry& entry) const
    {
        return filterText.isEmpty() || matchesFilter (entry, filterText.toLowerCase());
    }

    static constexpr int tableInset = 8;
    static constexpr int dropOutlineThickness = 2;
    static constexpr int filterFieldWidth = 150, filterFieldHeight = 22, filterFieldMargin = 3;
    bool dropHighlighted = false;

    // The indices into rows of the entries the table shows, in order: row r of the table is
    // rows[shown[r]].
    juce::Array<int> shown;
    juce::String filterText;
    juce::TextEditor filterField { "find" };
    std::function<void()> menuAwaitingRelease;

    JUCE_DECLARE_NON_COPYABLE (PresetListView)
};
