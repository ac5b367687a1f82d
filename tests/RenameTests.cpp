// Renaming a preset in a file of the preset folder and in a device slot: the name the device can
// hold, the file renamed by the save rule and never over another, the slot sent back whole.

#include "presets/PresetFileRename.h"
#include "tests/LibrarianFixture.h"

#include <filesystem>

namespace
{
    /** A small preset of version 3 for the file-level renames. */
    PresetData presetOf (int number, const juce::String& name, std::vector<PresetParameter> parameters)
    {
        PresetData preset;
        preset.number = (juce::int16) number;
        preset.name = name;
        preset.version = 3;
        preset.parameters = std::move (parameters);
        return preset;
    }
} // namespace

class RenamePreset : public LibrarianFixture
{
protected:
    juce::MemoryBlock bytesOf (const juce::String& fileName) const
    {
        juce::MemoryBlock content;
        presetFolder().getChildFile (fileName).loadFileAsData (content);
        return content;
    }
};

TEST_F (RenamePreset, FileTakesTheNewNameInsideAndByTheSaveRuleAndOnlyWhatTheDeviceHolds)
{
    openConnectedPanel();
    const auto fileName = addFileOfSlot (7, "Warm Vox");
    ASSERT_EQ (fileName, "007_WarmVox.tnl");
    const auto original = readPresetFile (presetFolder().getFullPathName(), fileName);

    SCOPED_TRACE ("a character the wire cannot carry is refused, and the field says why");
    dialogs.typedTexts = { juce::String (juce::CharPointer_UTF8 ("Caf\xc3\xa9 Lead")) };
    panel->renameLocalPreset (fileName);
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.textFields.back().initialText, "Warm Vox");
    EXPECT_TRUE (dialogs.textFields.back().refusal.contains (juce::CharPointer_UTF8 ("\"\xc3\xa9\"")))
        << dialogs.textFields.back().refusal;

    EXPECT_FALSE (presetFolder().getChildFile (fileName).exists());
    juce::String desc;
    const auto renamed = readPresetFile (presetFolder().getFullPathName(), "007_CafLead.tnl", &desc);
    ASSERT_TRUE (renamed.has_value());
    EXPECT_EQ (renamed->name, "Caf Lead");
    EXPECT_EQ (renamed->version, original->version);
    EXPECT_TRUE (renamed->parameters == original->parameters);
    EXPECT_EQ (desc, "7");
    EXPECT_EQ (panel->getPresetFiles().getSelectedFileNames(), juce::StringArray { "007_CafLead.tnl" });

    SCOPED_TRACE ("a name longer than the device holds is cut at 20, with the reason");
    dialogs.boxes.clear();
    dialogs.typedTexts = { juce::String ("Lead Vocal Hall Long Tail") };
    panel->renameLocalPreset ("007_CafLead.tnl");
    EXPECT_EQ (dialogs.textFields.back().refusal, "A preset name holds at most 20 characters.");
    EXPECT_TRUE (presetFolder().getChildFile ("007_LeadVocalHallLong.tnl").existsAsFile());

    SCOPED_TRACE ("a file of the new name is there: nothing changes, and the user is told");
    const auto other = addFileOfSlot (7, "Other");
    const auto otherBytes = bytesOf (other);
    const auto renamedBytes = bytesOf ("007_LeadVocalHallLong.tnl");
    dialogs.boxes.clear();
    dialogs.typedTexts = { juce::String ("Other") };
    panel->renameLocalPreset ("007_LeadVocalHallLong.tnl");
    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[1].message,
               "007_LeadVocalHallLong.tnl was not renamed: 007_Other.tnl is there already.");
    EXPECT_EQ (bytesOf (other), otherBytes);
    EXPECT_EQ (bytesOf ("007_LeadVocalHallLong.tnl"), renamedBytes);

    SCOPED_TRACE ("Cancel, or an empty name, changes nothing");
    dialogs.typedTexts = { std::nullopt, juce::String() };
    panel->renameLocalPreset (other);
    panel->renameLocalPreset (other);
    EXPECT_EQ (bytesOf (other), otherBytes);
    EXPECT_EQ (listedFileNames().size(), 2);
}

TEST (PresetFileRenaming, NeverReplacesAnEntryAndKeepsWhatTheFileRecords)
{
    TemporaryFolder temporary;
    const auto folder = temporary.root.getFullPathName();
    auto preset = presetOf (5, "A", { { 0, 12 }, { 1, -5 } });
    ASSERT_TRUE (writePresetFile (folder, preset, PresetWriteMode::Overwrite));
    ASSERT_TRUE (writePresetFile (folder, preset, PresetWriteMode::CreateCopy));

    SCOPED_TRACE ("a link or a file of the new name is not written over, nor what a link points to");
    const auto inTheWay = temporary.root.getChildFile ("005_B.tnl");
#if JUCE_WINDOWS
    // Windows makes symbolic links for administrators only: an ordinary file stands in the way.
    const auto pointedAt = inTheWay;
    ASSERT_TRUE (pointedAt.replaceWithText ("mine"));
#else
    const auto pointedAt = temporary.root.getChildFile ("elsewhere.txt");
    ASSERT_TRUE (pointedAt.replaceWithText ("mine"));
    std::filesystem::create_symlink (pointedAt.getFullPathName().toStdString(),
                                     inTheWay.getFullPathName().toStdString());
#endif
    const auto refused = renamePresetFile (folder, "005_A.tnl", "B");
    EXPECT_TRUE (refused.result.failed());
    EXPECT_EQ (pointedAt.loadFileAsString(), "mine");
    EXPECT_EQ (readPresetFile (folder, "005_A.tnl")->name, "A");

    SCOPED_TRACE ("a name that differs in blanks only keeps the file's name");
    const auto spaced = renamePresetFile (folder, "005_A.tnl", "A ");
    ASSERT_TRUE (spaced.result.wasOk()) << spaced.result.getErrorMessage();
    EXPECT_EQ (spaced.newFileName, "005_A.tnl");
    EXPECT_EQ (readPresetFile (folder, "005_A.tnl")->name, "A ");

    SCOPED_TRACE ("a copy's name begins with no slot: the slot it records gives the new name");
    juce::String desc;
    const auto copy = renamePresetFile (folder, "copy1_005_A.tnl", "C");
    ASSERT_TRUE (copy.result.wasOk()) << copy.result.getErrorMessage();
    EXPECT_EQ (copy.newFileName, "005_C.tnl");
    const auto read = readPresetFile (folder, "005_C.tnl", &desc);
    ASSERT_TRUE (read.has_value());
    EXPECT_TRUE (read->parameters == preset.parameters);
    EXPECT_EQ (desc, "5");
    EXPECT_FALSE (temporary.root.getChildFile ("copy1_005_A.tnl").exists());

    SCOPED_TRACE ("a file that stands for no slot is left as it is");
    preset.number = 0;
    ASSERT_TRUE (
        temporary.root.getChildFile ("loose.tnl")
            .replaceWithData (presetFileContent (preset).getData(), presetFileContent (preset).getSize()));
    EXPECT_TRUE (renamePresetFile (folder, "loose.tnl", "D").result.failed());
    EXPECT_EQ (readPresetFile (folder, "loose.tnl")->name, "A");
}

TEST (PresetFileRenaming, ANameThatDiffersInCaseOnlyIsTakenAlsoWhereTheFileSystemIgnoresCase)
{
    // On Windows the new spelling reaches the file itself, which must not be taken for another
    // file of that name, nor the move be left a no-op.
    TemporaryFolder temporary;
    const auto folder = temporary.root.getFullPathName();
    const auto preset = presetOf (2, "Radio Voice", { { 0, 7 } });
    ASSERT_TRUE (writePresetFile (folder, preset, PresetWriteMode::Overwrite));

    const auto renamed = renamePresetFile (folder, "002_RadioVoice.tnl", "RADIO VOICE");
    ASSERT_TRUE (renamed.result.wasOk()) << renamed.result.getErrorMessage();
    EXPECT_EQ (renamed.newFileName, "002_RADIOVOICE.tnl");

    juce::StringArray names;
    for (const auto& entry : juce::RangedDirectoryIterator (temporary.root, false, "*", juce::File::findFilesAndDirectories))
        names.add (entry.getFile().getFileName());

    EXPECT_EQ (names, juce::StringArray { "002_RADIOVOICE.tnl" }) << "spelt anew, and nothing left beside it";
    const auto read = readPresetFile (folder, "002_RADIOVOICE.tnl");
    ASSERT_TRUE (read.has_value());
    EXPECT_EQ (read->name, "RADIO VOICE");
    EXPECT_TRUE (read->parameters == preset.parameters);
}

TEST_F (RenamePreset, SlotIsReadWholeRenamedAndSentBackWithItsSnapshotAndVerify)
{
    openConnectedPanel();
    panel->getSettings().setVerifyAfterLoading (true);
    const auto before = device->getSlot (5);

    dialogs.typedTexts = { juce::String ("Renamed Five") };
    panel->renameDeviceSlot (5);

    ASSERT_EQ (dialogs.boxes.size(), 1u) << "only the name was asked: " << dialogs.boxes.back().message;
    EXPECT_EQ (dialogs.textFields.back().initialText, before.name);
    const auto after = device->getSlot (5);
    EXPECT_EQ (after.name, "Renamed Five");
    EXPECT_EQ (after.version, before.version);
    EXPECT_TRUE (after.parameters == before.parameters);
    EXPECT_EQ (panel->getDeviceSlots().nameOf (5), "Renamed Five");

    const auto snapshots =
        applicationFolder().getChildFile ("Snapshots").findChildFiles (juce::File::findDirectories, false);
    ASSERT_EQ (snapshots.size(), 1);
    EXPECT_EQ (readPresetFile (snapshots[0].getFullPathName(), presetFileName (before))->name, before.name);

    SCOPED_TRACE ("the rename is the last write: Undo Last Load takes it back");
    dialogs.answers = { 1 };
    panel->undoLastLoad();
    EXPECT_EQ (device->getSlot (5).name, before.name);
    EXPECT_EQ (panel->getDeviceSlots().nameOf (5), before.name);
}
