// The snapshot folders themselves: which go when there are too many, and what of them goes.

#include "presets/PresetFileName.h"
#include "presets/SnapshotFolders.h"
#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    PresetData presetOfSlot (int slot, const juce::String& name)
    {
        return { (juce::int16) slot, name, 3, { { 0, slot }, { 1, 7 } } };
    }

    juce::StringArray namesIn (const juce::File& folder)
    {
        juce::StringArray names;

        for (const auto& entry : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
            names.add (entry.getFileName());

        names.sort (false);
        return names;
    }
} // namespace

class SnapshotFolderPruning : public ::testing::Test
{
protected:
    juce::File make (juce::Time when, const juce::File& inUse = {})
    {
        const auto folder = SnapshotFolders::create (snapshots, when, inUse);
        EXPECT_TRUE (folder.isDirectory());
        return folder;
    }

    /** Snapshot folders made in order, a minute apart from start on, each with one preset. */
    juce::Array<juce::File> makeMany (int count, juce::Time start)
    {
        juce::Array<juce::File> folders;

        for (int i = 0; i < count; ++i)
        {
            folders.add (make (start + juce::RelativeTime::minutes (i)));
            EXPECT_TRUE (SnapshotFolders::savePreset (folders.getLast(), presetOfSlot (1 + i % 99, "Old")));
        }

        return folders;
    }

    int countLeft (const juce::Array<juce::File>& folders) const
    {
        return (int) std::count_if (folders.begin(), folders.end(),
                                    [] (const juce::File& f) { return f.exists(); });
    }

    TemporaryFolder temporary;
    const juce::File snapshots = temporary.root.getChildFile ("Snapshots");
    const juce::Time start { 2026, 11, 8, 14, 5, 31 };
};

TEST_F (SnapshotFolderPruning, OldestByTheirRecordGoFirstAndOnlyWhatWasWritten)
{
    // Twelve jobs in one second: the order is " (2)" … " (12)", never " (10)" before " (2)".
    auto folders = makeMany (1, start);

    for (int i = 0; i < 11; ++i)
        folders.add (make (start));

    EXPECT_EQ (folders[0].getFileName(), "2026-12-08 14-05-31");
    EXPECT_EQ (folders[1].getFileName(), "2026-12-08 14-05-31 (2)");
    EXPECT_EQ (folders[9].getFileName(), "2026-12-08 14-05-31 (10)");

    // The oldest holds a file the user put there beside the one written, and a file written
    // there that the user has since replaced with one of their own.
    ASSERT_TRUE (SnapshotFolders::savePreset (folders[0], presetOfSlot (2, "Written")));
    folders[0].getChildFile ("notes.txt").replaceWithText ("mine");
    folders[0].getChildFile ("002_Written.tnl").replaceWithText ("<preset>mine</preset>");

    folders.addArray (
        makeMany (SnapshotFolders::foldersKept - folders.size(), start + juce::RelativeTime::hours (1)));
    ASSERT_EQ (countLeft (folders), SnapshotFolders::foldersKept);

    make (start + juce::RelativeTime::days (1));
    EXPECT_EQ (namesIn (folders[0]), (juce::StringArray { "002_Written.tnl", "notes.txt" }))
        << "of the oldest, only the files still as written go, and the record";
    EXPECT_TRUE (folders[1].exists());

    make (start + juce::RelativeTime::days (2));
    EXPECT_FALSE (folders[1].exists()) << "\" (2)\" went next";
    EXPECT_TRUE (folders[9].exists());
    EXPECT_EQ (namesIn (folders[0]), (juce::StringArray { "002_Written.tnl", "notes.txt" }))
        << "a folder left without its record is the user's";
}

#if ! JUCE_WINDOWS
// Linux only: it needs symbolic links, which on Windows only a user with a privilege few have
// can make (and Wine makes none for a program).
TEST_F (SnapshotFolderPruning, NeitherTheNewFolderNorTheOneInUseNorLinksNorFoldersWithoutARecordGo)
{
    // A clock set back: the program's own earlier folders are dated a year ahead.
    const auto future = makeMany (SnapshotFolders::foldersKept, start + juce::RelativeTime::days (365));
    const auto inUse = future[0];
    const auto made = make (start, inUse);

    EXPECT_TRUE (made.isDirectory()) << "the new folder is never the one that goes";
    EXPECT_TRUE (inUse.exists()) << "nor the one a job reads from";
    EXPECT_FALSE (future[1].exists()) << "folders dated ahead were made before all the same, and go first";

    // A folder made by hand with the name of a snapshot, a folder copied under another name
    // with its record, and a link to a program-made folder outside, named like a snapshot.
    const auto byHand = snapshots.getChildFile ("0000-00-00 00-00-00");
    ASSERT_TRUE (byHand.getChildFile ("001_Mine.tnl").create());
    const auto copied = snapshots.getChildFile ("1990-01-01 00-00-00");
    ASSERT_TRUE (future[2].copyDirectoryTo (copied));
    const auto copiedNames = namesIn (copied);

    const auto outsideSnapshots = temporary.root.getChildFile ("Elsewhere");
    const auto outside = SnapshotFolders::create (outsideSnapshots, start - juce::RelativeTime::days (9000));
    ASSERT_TRUE (SnapshotFolders::savePreset (outside, presetOfSlot (5, "Outside")));
    ASSERT_TRUE (outside.createSymbolicLink (snapshots.getChildFile ("1980-01-01 00-00-00"), false));

    // A link inside a recorded folder, where a file written there was.
    const auto target = temporary.root.getChildFile ("target.tnl");
    ASSERT_TRUE (target.replaceWithText ("kept"));
    const auto linked = future[3].getChildFile (presetFileName (presetOfSlot (4, "Old")));
    ASSERT_TRUE (linked.deleteFile());
    ASSERT_TRUE (target.createSymbolicLink (linked, false));

    for (int day = 1; day <= 3; ++day)
        make (start + juce::RelativeTime::days (day), inUse);

    EXPECT_FALSE (future[4].exists());
    EXPECT_TRUE (made.exists());

    EXPECT_TRUE (byHand.getChildFile ("001_Mine.tnl").existsAsFile());
    EXPECT_EQ (namesIn (copied), copiedNames) << "a copy under another name is the user's";
    EXPECT_EQ (outside.getNumberOfChildFiles (juce::File::findFiles), 2) << "the link is never followed";
    EXPECT_TRUE (linked.isSymbolicLink());
    EXPECT_EQ (target.loadFileAsString(), "kept");
    EXPECT_TRUE (inUse.exists());
}
#endif
