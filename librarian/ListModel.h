#pragma once

#include <juce_events/juce_events.h>

#include <set>
#include <vector>

/** What a change of a list model touched, handed to its listeners. */
struct ListModelChanges
{
    bool entries = false;
    bool marks = false;
    bool filter = false;
    bool selection = false;

    bool any() const noexcept { return entries || marks || filter || selection; }
};

/** Told of every change of a list model, synchronously, on the message thread. */
class ListModelListener
{
public:
    virtual ~ListModelListener() = default;
    virtual void listModelChanged (const ListModelChanges& changes) = 0;
};

/** The state of one of the librarian's lists, without any view: its entries, the filter that
    decides which of them are shown, and the selection.

    The selection is a set of keys (keyOf: what an entry stands for, a slot number or a file
    name), never of row indices, so that it follows its slots and files through a sort, a
    merge or a rescan. It only ever holds entries the filter shows: a filter that hides a
    selected entry deselects it, as a user who can no longer see a row would expect.

    Owned by the librarian panel; the list views observe it. Used on the message thread only.
*/
template <typename Entry, typename Key>
class ListModel
{
public:
    using EntryType = Entry;
    using KeyType = Key;

    virtual ~ListModel() = default;

    void addListener (ListModelListener* listener) { listeners.add (listener); }
    void removeListener (ListModelListener* listener) { listeners.remove (listener); }

    //==============================================================================
    /** All entries, also those the filter hides, in the list's order. */
    const juce::Array<Entry>& getEntries() const noexcept { return entries; }

    /** The number of entries the filter shows: the rows of the list. */
    int getNumShown() const noexcept { return (int) shown.size(); }

    /** The entry shown at a row, or nullptr for a row that is not there. */
    const Entry* getShownEntry (int row) const
    {
        if (! juce::isPositiveAndBelow (row, getNumShown()))
            return nullptr;

        return &entries.getReference (shown[(size_t) row]);
    }

    /** The row that shows the entry of a key, or -1 while it is hidden or not there. */
    int getShownRowOf (const Key& key) const
    {
        for (size_t row = 0; row < shown.size(); ++row)
            if (keyOf (entries.getReference (shown[row])) == key)
                return (int) row;

        return -1;
    }

    //==============================================================================
    const juce::String& getFilterText() const noexcept { return filterText; }

    /** Shows only the entries that match text, all of them for an empty one; what it hides is
        deselected.
    */
    void setFilterText (const juce::String& text)
    {
        if (filterText == text)
            return;

        filterText = text;
        ListModelChanges changes;
        changes.filter = true;
        refilter (changes);
    }

    //==============================================================================
    const std::set<Key>& getSelection() const noexcept { return selection; }
    int getNumSelected() const noexcept { return (int) selection.size(); }
    bool isSelected (const Key& key) const { return selection.count (key) != 0; }

    /** Selects exactly the shown entries among the keys; hidden or unknown keys are passed over. */
    void setSelection (const std::set<Key>& keys)
    {
        auto kept = keys;
        keepShownOnly (kept);

        if (kept == selection)
            return;

        selection = std::move (kept);
        ListModelChanges changes;
        changes.selection = true;
        notify (changes);
    }

    void selectAllShown()
    {
        std::set<Key> all;

        for (const auto index : shown)
            all.insert (keyOf (entries.getReference (index)));

        setSelection (all);
    }

    void deselectAll() { setSelection ({}); }

    /** The selected entries, in the order the list shows them. */
    juce::Array<Entry> getSelectedEntries() const
    {
        juce::Array<Entry> selected;

        for (const auto index : shown)
            if (isSelected (keyOf (entries.getReference (index))))
                selected.add (entries.getReference (index));

        return selected;
    }

    /** Takes every entry away. */
    void clear()
    {
        if (entries.isEmpty())
            return;

        replaceEntries ({});
    }

    /** What an entry stands for, which no sort or rescan changes. */
    virtual Key keyOf (const Entry& entry) const = 0;

protected:
    /** Whether the filter shows an entry: the lower-case text is in what the list shows of it. */
    virtual bool matchesFilter (const Entry& entry, const juce::String& lowerCaseText) const = 0;

    /** A filter of a derived model's own, beside the text: an entry is shown only when both let
        it through. Call refilterNow() when what it lets through changes.
    */
    virtual bool passesOwnFilter (const Entry&) const { return true; }

    /** Works out again which entries are shown, and tells the listeners of the changes. */
    void refilterNow (ListModelChanges changes) { refilter (changes); }

    /** Puts the entries in place of the old ones in one go: the listeners hear of it once. The
        selection stays on the keys that are still there and shown, unless the keys now mean
        other things (another folder's files) and it is not to be kept.
    */
    void replaceEntries (juce::Array<Entry> newEntries, bool keepSelection = true)
    {
        entries = std::move (newEntries);
        ListModelChanges changes;
        changes.entries = true;

        if (! keepSelection && ! selection.empty())
        {
            selection.clear();
            changes.selection = true;
        }

        refilter (changes);
    }

    /** For changes made in place; call entriesChanged() or marksChanged() after. */
    juce::Array<Entry>& entriesToChange() noexcept { return entries; }

    void entriesChanged()
    {
        ListModelChanges changes;
        changes.entries = true;
        refilter (changes);
    }

    void marksChanged()
    {
        ListModelChanges changes;
        changes.marks = true;
        notify (changes);
    }

private:
    void refilter (ListModelChanges changes)
    {
        shown.clear();
        const auto lowerCaseText = filterText.toLowerCase();

        for (int i = 0; i < entries.size(); ++i)
            if ((filterText.isEmpty() || matchesFilter (entries.getReference (i), lowerCaseText)) &&
                passesOwnFilter (entries.getReference (i)))
                shown.push_back (i);

        const auto before = selection.size();
        keepShownOnly (selection);
        changes.selection = changes.selection || selection.size() != before;
        notify (changes);
    }

    void keepShownOnly (std::set<Key>& keys) const
    {
        if (keys.empty())
            return;

        std::set<Key> kept;

        for (const auto index : shown)
            if (const auto key = keyOf (entries.getReference (index)); keys.count (key) != 0)
                kept.insert (key);

        keys = std::move (kept);
    }

    void notify (const ListModelChanges& changes)
    {
        if (changes.any())
            listeners.call ([&changes] (ListModelListener& l) { l.listModelChanged (changes); });
    }

    juce::Array<Entry> entries;

    // The indices into entries of those the filter shows, in order: row r is entries[shown[r]].
    std::vector<int> shown;
    juce::String filterText;
    std::set<Key> selection;
    juce::ListenerList<ListModelListener> listeners;
};
