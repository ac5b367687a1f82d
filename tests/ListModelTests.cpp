// The models behind the librarian's two lists, and a list drawing one: the selection follows the
// slots and files it stands for through merges, rescans and the filter, and the table and the
// model agree on it whichever side changed it.

#include "librarian/DeviceSlotsModel.h"
#include "librarian/PresetFilesModel.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"
#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    /** Counts what a model told its listeners. */
    struct ChangeCounter final : public ListModelListener
    {
        void listModelChanged (const ListModelChanges& changes) override
        {
            entries += changes.entries ? 1 : 0;
            selection += changes.selection ? 1 : 0;
            marks += changes.marks ? 1 : 0;
        }

        int entries = 0, selection = 0, marks = 0;
    };

    juce::Array<DevicePresetEntry> headers (std::initializer_list<int> slots)
    {
        juce::Array<DevicePresetEntry> read;

        for (const auto slot : slots)
            read.add ({ slot, "Slot " + juce::String (slot), 3 });

        return read;
    }

    juce::Array<int> shownSlots (const DeviceSlotsModel& model)
    {
        juce::Array<int> slots;

        for (int row = 0; row < model.getNumShown(); ++row)
            slots.add (model.getShownEntry (row)->number);

        return slots;
    }

    juce::Array<int> selectedRows (const juce::TableListBox& table)
    {
        juce::Array<int> rows;

        for (int i = 0; i < table.getNumSelectedRows(); ++i)
            rows.add (table.getSelectedRow (i));

        return rows;
    }

    juce::Array<int> markedSlots (const DeviceSlotsModel& model)
    {
        juce::Array<int> marked;

        for (const auto& entry : model.getEntries())
            if (entry.differsFromFolder)
                marked.add (entry.number);

        return marked;
    }
} // namespace

TEST (ListModels, SelectionStaysOnItsSlotWhenAMergeInsertsSlotsBeforeIt)
{
    DeviceSlotsModel slots;
    slots.merge (headers ({ 20, 30 }));
    slots.selectSlots ({ 30 });

    slots.merge (headers ({ 5, 10, 25, 0, 100 }));
    EXPECT_EQ (shownSlots (slots), (juce::Array<int> { 5, 10, 20, 25, 30 })) << "in slot order, 1 to 99 only";
    EXPECT_EQ (slots.getSelectedSlots(), juce::Array<int> { 30 });
    EXPECT_EQ (slots.getShownRowOf (30), 4);

    SCOPED_TRACE ("a read of the selected slot renames it and keeps it selected");
    slots.setEntry (30, "Renamed", 4);
    EXPECT_EQ (slots.nameOf (30), "Renamed");
    EXPECT_EQ (slots.getSelectedSlots(), juce::Array<int> { 30 });

    SCOPED_TRACE ("emptied when the device goes, the selection goes with the slots");
    slots.clear();
    EXPECT_EQ (slots.getNumSelected(), 0);
    slots.merge (headers ({ 30 }));
    EXPECT_EQ (slots.getNumSelected(), 0);
}

TEST (ListModels, FilterThatHidesASelectedEntryDeselectsIt)
{
    DeviceSlotsModel slots;
    slots.setEntry (1, "Warm Vox", 3);
    slots.setEntry (2, "Bright", 3);
    slots.setEntry (3, "Warm Pad", 3);
    slots.selectSlots ({ 1, 2 });
    ChangeCounter counter;
    slots.addListener (&counter);

    slots.setFilterText ("WARM");
    EXPECT_EQ (shownSlots (slots), (juce::Array<int> { 1, 3 }));
    EXPECT_EQ (slots.getSelectedSlots(), juce::Array<int> { 1 });
    EXPECT_EQ (counter.selection, 1) << "the listeners hear that the selection changed";

    SCOPED_TRACE ("what is hidden cannot be selected; showing it again does not select it");
    slots.selectSlots ({ 1, 2, 3 });
    EXPECT_EQ (slots.getSelectedSlots(), (juce::Array<int> { 1, 3 }));
    slots.setFilterText ({});
    EXPECT_EQ (slots.getSelectedSlots(), (juce::Array<int> { 1, 3 }));

    SCOPED_TRACE ("a name read that takes a selected slot out of the filter deselects it too");
    slots.setFilterText ("warm");
    slots.setEntry (3, "Cold Pad", 3);
    EXPECT_EQ (slots.getSelectedSlots(), juce::Array<int> { 1 });
    slots.removeListener (&counter);
}

TEST (ListModels, MarksGoFromTheSlotsAJobTouchedOnly)
{
    DeviceSlotsModel slots;
    slots.merge (headers ({ 1, 2, 3, 4 }));

    for (const auto slot : { 1, 2, 3, 4 })
        slots.setDiffersFromFolder (slot, true);

    ChangeCounter counter;
    slots.addListener (&counter);
    slots.clearMarks ({ 2, 4, 50 });
    EXPECT_EQ (markedSlots (slots), (juce::Array<int> { 1, 3 }));
    EXPECT_EQ (counter.marks, 1);

    SCOPED_TRACE ("a read of a slot takes its mark away as well");
    slots.merge (headers ({ 3 }));
    EXPECT_EQ (markedSlots (slots), juce::Array<int> { 1 });
    slots.removeListener (&counter);
}

TEST (ListModels, ShowOnlyDifferingShowsTheMarkedSlotsTheTypedFilterAlsoShowsUntilTheLastMarkGoes)
{
    DeviceSlotsModel slots;
    slots.merge (juce::Array<DevicePresetEntry> {
        DevicePresetEntry { 1, "Lead Dry", 3 }, DevicePresetEntry { 2, "Lead Wet", 3 },
        DevicePresetEntry { 3, "Choir", 3 }, DevicePresetEntry { 4, "Lead Hall", 3 } });

    SCOPED_TRACE ("nothing marked: it stays off");
    slots.setShowOnlyDiffering (true);
    EXPECT_FALSE (slots.isShowingOnlyDiffering());
    EXPECT_EQ (slots.getNumShown(), 4);

    SCOPED_TRACE ("the marked slots alone; a selected slot that is hidden is deselected");
    for (const auto slot : { 2, 3, 4 })
        slots.setDiffersFromFolder (slot, true);
    slots.selectSlots ({ 1, 3 });
    slots.setShowOnlyDiffering (true);
    EXPECT_TRUE (slots.isShowingOnlyDiffering());
    EXPECT_EQ (shownSlots (slots), (juce::Array<int> { 2, 3, 4 }));
    EXPECT_EQ (slots.getSelectedSlots(), juce::Array<int> { 3 });

    SCOPED_TRACE ("with a typed filter: the marked slots whose names hold the text");
    slots.setFilterText ("lead");
    EXPECT_EQ (shownSlots (slots), (juce::Array<int> { 2, 4 }));
    slots.setFilterText ({});

    SCOPED_TRACE ("a slot that loses its mark leaves the list; after the last one, all show");
    slots.clearMarks ({ 2 });
    EXPECT_EQ (shownSlots (slots), (juce::Array<int> { 3, 4 }));
    slots.setEntry (3, "Choir", 3);
    EXPECT_EQ (shownSlots (slots), juce::Array<int> { 4 });
    slots.setDiffersFromFolder (4, false);
    EXPECT_FALSE (slots.isShowingOnlyDiffering());
    EXPECT_EQ (slots.getNumShown(), 4);
}

TEST (ListModels, FilesStaySelectedByNameThroughARescanThatReordersThem)
{
    TemporaryFolder folder;
    const auto write = [&folder] (const PresetData& preset)
    {
        EXPECT_TRUE (writePresetFile (folder.root.getFullPathName(), preset, PresetWriteMode::Overwrite));
        return presetFileName (preset);
    };
    const auto warm = write ({ 7, "Warm Vox", 3, { { 0, 1 } } });
    const auto bright = write ({ 12, "Bright", 3, { { 0, 2 } } });

    PresetFilesModel files;
    ChangeCounter counter;
    files.addListener (&counter);
    EXPECT_EQ (files.scan (folder.root), std::optional<juce::int16> (3));
    EXPECT_EQ (counter.entries, 1) << "a scan is one change, whatever the number of files";
    files.selectFiles ({ bright });

    SCOPED_TRACE ("a file listed above the selected one");
    const auto first = write ({ 1, "First", 3, { { 0, 3 } } });
    files.scan (folder.root);
    EXPECT_EQ (files.getAllFileNames(), (juce::StringArray { first, warm, bright }));
    EXPECT_EQ (files.getSelectedFileNames(), juce::StringArray { bright });
    EXPECT_EQ (counter.entries, 2);

    SCOPED_TRACE ("the selected file deleted: nothing selected");
    folder.root.getChildFile (bright).deleteFile();
    files.scan (folder.root);
    EXPECT_EQ (files.getNumSelected(), 0);

    SCOPED_TRACE ("another folder's file of the same name is another file");
    files.selectFiles ({ warm });
    TemporaryFolder other;
    folder.root.getChildFile (warm).copyFileTo (other.root.getChildFile (warm));
    files.scan (other.root);
    EXPECT_EQ (files.getAllFileNames(), juce::StringArray { warm });
    EXPECT_EQ (files.getNumSelected(), 0);
    EXPECT_EQ (files.getFolder(), other.root);
    files.removeListener (&counter);
}

TEST (ListModels, TableAndModelSelectTheSameSlotsWhicheverSideChangedIt)
{
    ScriptedDialogs dialogs;
    DeviceSlotsModel slots;
    slots.merge (headers ({ 20, 30, 40 }));
    PresetTonarel list (slots, dialogs);
    auto& table = list.getTable();
    auto selectionReports = 0;
    list.onSelectionChanged = [&selectionReports] { ++selectionReports; };

    SCOPED_TRACE ("a click in the table selects in the model");
    table.selectRow (1);
    EXPECT_EQ (slots.getSelectedSlots(), juce::Array<int> { 30 });
    EXPECT_EQ (selectionReports, 1);

    SCOPED_TRACE ("a merge that adds slots above moves the table's selection with its slot");
    slots.merge (headers ({ 1, 2, 3 }));
    ASSERT_EQ (table.getNumSelectedRows(), 1);
    EXPECT_EQ (table.getSelectedRow (0), 4);
    EXPECT_EQ (list.getShownEntry (table.getSelectedRow (0))->number, 30);

    SCOPED_TRACE ("a command's selection in the model shows in the table, and is reported");
    slots.selectSlots ({ 2, 40 });
    EXPECT_EQ (selectedRows (table), (juce::Array<int> { 1, 5 }));
    EXPECT_EQ (selectionReports, 2);

    SCOPED_TRACE ("the filter, typed or cleared by a command, shows in the table and the field");
    slots.setFilterText ("slot 4");
    EXPECT_EQ (list.getNumRows(), 1);
    EXPECT_EQ (selectedRows (table), juce::Array<int> { 0 });
    EXPECT_EQ (list.getFilterField().getText(), "slot 4");
    list.clearFilter();
    EXPECT_EQ (list.getNumRows(), 6);
    EXPECT_EQ (list.getFilterField().getText(), "");
    EXPECT_FALSE (list.getFilterField().isVisible());
    EXPECT_EQ (slots.getSelectedSlots(), juce::Array<int> { 40 });
}
