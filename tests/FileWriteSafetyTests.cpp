// Saves, copies and deletions where the disk does not do all that is asked: a folder that cannot
// be flushed, a name in the way, a file that cannot be removed, and the partial files of saves
// that were cut short.

#include "tests/CommandLineRunner.h"
#include "tests/PinnedFile.h"

#include "presets/TemporaryWriteFile.h"

#if ! JUCE_WINDOWS
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
#if ! JUCE_WINDOWS
    /** The test works as an ordinary user for as long as this lives. A folder without the right
        to read it can be written into but not opened, so it cannot be flushed either; root
        could open it all the same.
    */
    struct OrdinaryUser
    {
        OrdinaryUser()
        {
            if (::geteuid() == 0)
                switched = ::seteuid (nobody) == 0;
        }

        ~OrdinaryUser()
        {
            if (switched)
                EXPECT_EQ (::seteuid (0), 0);
        }

        static constexpr uid_t nobody = 65534;
        bool switched = false;
    };

    bool makeUnreadableFolder (const juce::File& folder)
    {
        return folder.createDirectory() && ::chmod (folder.getFullPathName().toRawUTF8(), 0333) == 0;
    }

    /** Holds a partial file as another process's save at work holds it, until this goes. */
    struct SaveAtWork
    {
        explicit SaveAtWork (const juce::File& file)
            : writer (::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CLOEXEC))
        {
            holding = writer >= 0 && ::flock (writer, LOCK_EX) == 0;
        }

        ~SaveAtWork()
        {
            if (writer >= 0)
                ::close (writer);
        }

        const int writer;
        bool holding = false;
    };
#else
    /** Holds a partial file as another process's save at work holds it, until this goes: the
        file is made again as a save makes it.
    */
    struct SaveAtWork
    {
        explicit SaveAtWork (const juce::File& file)
        {
            juce::String failure;
            holding = file.deleteFile() && save.create (file, failure) == TemporaryWriteFile::Made::ok;
        }

        TemporaryWriteFile save;
        bool holding = false;
    };
#endif
} // namespace

class FileWriteSafety : public CommandLineRunner
{
};

#if ! JUCE_WINDOWS
// Linux only: Windows cannot flush a folder, and does not need to; the move that replaces a file
// there is written through to the disk, folder entry and all.
TEST_F (FileWriteSafety, SaveIntoAFolderThatCannotBeFlushedIsNoFailedSave)
{
    plugInDevice();
    ASSERT_EQ (::chmod (documents.root.getFullPathName().toRawUTF8(), 0777), 0);
    const auto unflushable = folder ("Unflushable");
    ASSERT_TRUE (makeUnreadableFolder (unflushable));

    int status = -1;
    {
        const OrdinaryUser user;
        status = run ({ "backup", unflushable.getFullPathName(), "--slots", "1-3" });
    }

    EXPECT_EQ (status, TonarelCommandLine::success) << err.str();
    EXPECT_TRUE (unflushable.getChildFile (presetFileName (device->getSlot (3))).existsAsFile());
    EXPECT_EQ (unflushable.getNumberOfChildFiles (juce::File::findFiles), 3) << "and no copies";
    EXPECT_TRUE (transferLog().contains ("could not be synced")) << transferLog();
}
#endif

TEST_F (FileWriteSafety, LeftoverPartialFilesGoAtTheNextBackupThereButNotOnesBeingWritten)
{
    plugInDevice();
    const auto set = folder ("Set");
    ASSERT_TRUE (set.createDirectory());

    const auto makeFile = [&] (const juce::String& name)
    {
        const auto file = set.getChildFile (name);
        EXPECT_TRUE (file.replaceWithText ("<preset>"));
        return file;
    };

    const auto leftover = makeFile (".001_Old.tnl.9f3c2a77d0e1b245.tonarel-partial");
    const auto beingWritten = makeFile (".002_New.tnl.4d2.tonarel-partial");
    const auto notOurs = makeFile (".notes.tonarel-partial");
    const auto notHidden = makeFile ("001_Old.tnl.9f3c2a77d0e1b245.tonarel-partial");

    // Another process saving into the folder at this moment holds its partial file locked.
    auto writer = std::make_unique<SaveAtWork> (beingWritten);
    ASSERT_TRUE (writer->holding);

    const auto status = run ({ "backup", set.getFullPathName(), "--slots", "1" });
    writer.reset();

    EXPECT_EQ (status, TonarelCommandLine::success) << err.str();
    EXPECT_FALSE (leftover.exists());
    EXPECT_TRUE (beingWritten.exists()) << "another process is writing it";
    EXPECT_TRUE (notOurs.exists());
    EXPECT_TRUE (notHidden.exists());
    EXPECT_TRUE (err.str().find ("1 partial file") != std::string::npos) << err.str();
}

//==============================================================================
/** The librarian's Copy and Delete from the computer list's menu. */
class CopyAndDelete : public LibrarianFixture
{
protected:
    juce::String addFile()
    {
        const auto fileName = writePresetFile (presetFolder(), PresetData { 7, "Warm Vox", 3, { { 0, 1 } } });
        panel->rescanPresetFolder();
        return fileName;
    }
};

TEST_F (CopyAndDelete, FailuresAreToldNamingTheFileAndWhy)
{
    openPanel();
    const auto fileName = addFile();

    SCOPED_TRACE ("a folder in the way of the copy's name");
    ASSERT_TRUE (presetFolder().getChildFile ("copy1_" + fileName).createDirectory());
    panel->copyLocalPreset (fileName);

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes.back().icon, Dialogs::Icon::warning);
    EXPECT_TRUE (dialogs.boxes.back().message.contains (fileName)) << dialogs.boxes.back().message;
    EXPECT_TRUE (dialogs.boxes.back().message.contains ("directory")) << dialogs.boxes.back().message;
    EXPECT_EQ (listedFileNames(), juce::StringArray { fileName });

    SCOPED_TRACE ("a file that cannot be removed");
    const PinnedFile pinned (presetFolder().getChildFile (fileName));

    if (! pinned.pinned)
        GTEST_SKIP() << "pinning a file needs the right to mount, as root has";

    dialogs.boxes.clear();
    dialogs.answers = { 1 };
    panel->getLocalList().getTable().selectRow (0);
    panel->deleteLocalPresets (fileName);

    ASSERT_EQ (dialogs.boxes.size(), 2u) << "the question, then the notice";
    EXPECT_EQ (dialogs.boxes.back().icon, Dialogs::Icon::warning);
    EXPECT_TRUE (dialogs.boxes.back().message.contains (fileName)) << dialogs.boxes.back().message;
#if ! JUCE_WINDOWS
    // In the system's words, which are Windows' own there ("being used by another process").
    EXPECT_TRUE (dialogs.boxes.back().message.contains ("busy")) << dialogs.boxes.back().message;
#endif
    EXPECT_EQ (listedFileNames(), juce::StringArray { fileName });
}
