// Snapshot folders through the command line: pruning the oldest must never take what the user
// keeps there, nor the folder a restore reads from, nor follow a link out of the folder.

#include "presets/SnapshotFolders.h"
#include "tests/CommandLineRunner.h"

class SnapshotSafety : public CommandLineRunner
{
protected:
    /** Folders named as snapshot folders are, each holding a preset of the user's, as a folder
        made by hand or by a version of the program that kept no record looks.
    */
    juce::Array<juce::File> makeFoldersByHand (const juce::StringArray& names)
    {
        juce::Array<juce::File> folders;

        for (const auto& name : names)
        {
            const auto folder = snapshotsFolder().getChildFile (name);
            auto preset = device->getSlot (1 + folders.size() % kPresetSlotCount);
            preset.name = "Mine " + juce::String (folders.size());
            writePresetFile (folder, preset);
            folders.add (folder);
        }

        return folders;
    }

    std::map<juce::String, std::map<juce::String, juce::MemoryBlock>>
    contentsOf (const juce::Array<juce::File>& folders)
    {
        std::map<juce::String, std::map<juce::String, juce::MemoryBlock>> contents;

        for (const auto& folder : folders)
            contents[folder.getFullPathName()] = filesIn (folder);

        return contents;
    }

    /** Gives every slot of the device another name and sound. */
    void changeEverySlot (const juce::String& prefix)
    {
        for (int slot = 1; slot <= kPresetSlotCount; ++slot)
        {
            auto changed = device->getSlot (slot);
            changed.name = prefix + " " + juce::String (slot);
            changed.parameters[0].value += 1;
            device->setSlot (slot, changed);
        }
    }
};

TEST_F (SnapshotSafety, FoldersMadeByHandNamedLikeSnapshotsAreNeverEmptied)
{
    plugInDevice();
    juce::StringArray names { "0000-00-00 00-00-00", "2026-10-02 09-00-00" };

    for (int i = 0; names.size() < SnapshotFolders::foldersKept; ++i)
        names.add ("2001-01-01 00-00-" + juce::String (i).paddedLeft ('0', 2));

    const auto handMade = makeFoldersByHand (names);
    const auto before = contentsOf (handMade);
    ASSERT_EQ (run ({ "backup", folder ("Set").getFullPathName(), "--slots", "1-3" }),
               TonarelCommandLine::success)
        << err.str();

    for (int restore = 0; restore < 3; ++restore)
        ASSERT_EQ (run ({ "restore", folder ("Set").getFullPathName(), "--slots", "1-3" }),
                   TonarelCommandLine::success)
            << err.str();

    EXPECT_EQ (contentsOf (handMade), before);
    EXPECT_EQ (snapshotsFolder().getNumberOfChildFiles (juce::File::findDirectories),
               SnapshotFolders::foldersKept + 3)
        << "the restores' own folders are kept beside them";
}

TEST_F (SnapshotSafety, RestoreFromTheOldestOfFiftySnapshotFoldersSendsEveryFile)
{
    plugInDevice();
    const auto set = folder ("Set").getFullPathName();
    ASSERT_EQ (run ({ "backup", set }), TonarelCommandLine::success) << err.str();

    // The first restore keeps all 99 slots; 49 more of one slot each make 50 folders.
    changeEverySlot ("Kept");
    std::vector<PresetData> kept;

    for (int slot = 1; slot <= kPresetSlotCount; ++slot)
        kept.push_back (device->getSlot (slot));

    ASSERT_EQ (run ({ "restore", set }), TonarelCommandLine::success) << err.str();

    for (int restore = 1; restore < SnapshotFolders::foldersKept; ++restore)
        ASSERT_EQ (run ({ "restore", set, "--slots", "1" }), TonarelCommandLine::success) << err.str();

    const auto folders = snapshotsFolder().findChildFiles (juce::File::findDirectories, false);
    ASSERT_EQ (folders.size(), SnapshotFolders::foldersKept);
    const auto* oldest =
        std::find_if (folders.begin(), folders.end(),
                      [] (const juce::File& f) {
                          return f.getNumberOfChildFiles (juce::File::findFiles, "*.tnl") == kPresetSlotCount;
                      });
    ASSERT_NE (oldest, folders.end());
    const auto oldestFiles = filesIn (*oldest);

    changeEverySlot ("Changed again");
    EXPECT_EQ (run ({ "restore", oldest->getFullPathName() }), TonarelCommandLine::success) << err.str();

    for (int slot = 1; slot <= kPresetSlotCount; ++slot)
    {
        EXPECT_EQ (device->getSlot (slot).name, kept[(size_t) slot - 1].name) << "slot " << slot;
        EXPECT_EQ (device->getSlot (slot).parameters, kept[(size_t) slot - 1].parameters) << "slot " << slot;
    }

    EXPECT_EQ (filesIn (*oldest), oldestFiles) << "the folder read from is left as it was";
    EXPECT_EQ (snapshotsFolder().getNumberOfChildFiles (juce::File::findDirectories),
               SnapshotFolders::foldersKept)
        << "another folder went instead";
}

#if ! JUCE_WINDOWS
// Linux only: it needs symbolic links, which on Windows only a user with a privilege few have
// can make (and Wine makes none for a program).
TEST_F (SnapshotSafety, LinkNamedLikeASnapshotAndFutureDatedFoldersLeaveEveryFileWhereItWas)
{
    plugInDevice();
    const auto set = folder ("Set").getFullPathName();
    ASSERT_EQ (run ({ "backup", set, "--slots", "1-5" }), TonarelCommandLine::success) << err.str();

    const auto outside = folder ("Outside");
    writePresetFile (outside, device->getSlot (7));
    writePresetFile (outside, device->getSlot (8));
    ASSERT_TRUE (snapshotsFolder().createDirectory());
    const auto link = snapshotsFolder().getChildFile ("1999-01-01 00-00-00");
    ASSERT_TRUE (outside.createSymbolicLink (link, false));

    // Folders dated in the future: a clock set back, or folders copied from another computer.
    juce::StringArray names;

    for (int i = 0; names.size() < SnapshotFolders::foldersKept; ++i)
        names.add ("2099-12-31 23-59-" + juce::String (i).paddedLeft ('0', 2));

    auto watched = makeFoldersByHand (names);
    watched.add (outside);
    const auto before = contentsOf (watched);

    EXPECT_EQ (run ({ "restore", set, "--slots", "1-5" }), TonarelCommandLine::success) << err.str();
    EXPECT_EQ (run ({ "restore", set, "--slots", "1-5" }), TonarelCommandLine::success) << err.str();

    EXPECT_EQ (contentsOf (watched), before);
    EXPECT_TRUE (link.isSymbolicLink());
}
#endif

TEST_F (SnapshotSafety, LoadAllFromTheOldestSnapshotFolderInTheLibrarianSendsEveryFile)
{
    openConnectedPanel();
    const juce::Time longAgo (2026, 0, 5, 10, 0, 0);
    const auto oldest = SnapshotFolders::create (snapshotsFolder(), longAgo);
    std::vector<PresetData> kept;

    for (int slot = 1; slot <= kPresetSlotCount; ++slot)
    {
        kept.push_back (device->getSlot (slot));
        ASSERT_TRUE (SnapshotFolders::savePreset (oldest, kept.back()));
    }

    for (int minute = 1; minute < SnapshotFolders::foldersKept; ++minute)
        ASSERT_TRUE (
            SnapshotFolders::create (snapshotsFolder(), longAgo + juce::RelativeTime::minutes (minute))
                .isDirectory());

    const auto oldestFiles = filesIn (oldest);
    changeEverySlot ("Changed");
    panel->getFolderChooser().setCurrentFile (oldest, true, juce::sendNotificationSync);
    ASSERT_EQ (panel->getLocalList().getNumRows(), kPresetSlotCount);

    dialogs.answers = { 1 };
    panel->buttonClicked (&panel->getLoadAllButton());

    for (int slot = 1; slot <= kPresetSlotCount; ++slot)
        EXPECT_EQ (device->getSlot (slot).parameters, kept[(size_t) slot - 1].parameters) << "slot " << slot;

    EXPECT_EQ (filesIn (oldest), oldestFiles) << "the folder read from is left as it was";
    EXPECT_EQ (snapshotsFolder().getNumberOfChildFiles (juce::File::findDirectories),
               SnapshotFolders::foldersKept);
}
