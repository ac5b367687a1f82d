// Saves that the disk refuses: a full disk, a read-only folder, a move over the old file that
// fails and a folder in the way. Each must leave the old file as it was and be reported as a
// failed save.
//
// Full and read-only disks are small tmpfs mounts made for the test, which needs root (CI runs
// as root); without the right to mount, those cases are skipped and say so. They are Linux's
// alone: Windows has no disk a test could make and fill.

#include "tests/LibrarianFixture.h"
#include "tests/PinnedFile.h"

#if ! JUCE_WINDOWS
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace
{
#if ! JUCE_WINDOWS
    /** A tmpfs mounted on a folder for as long as this lives. */
    class ScratchDisk
    {
    public:
        ScratchDisk (const juce::File& mountPoint, const char* options) : folder (mountPoint)
        {
            folder.createDirectory();

            if (::mount ("tonarel-test", path(), "tmpfs", 0, options) == 0)
                mounted = true;
            else
                failure = std::strerror (errno);
        }

        ~ScratchDisk()
        {
            if (mounted)
                ::umount2 (path(), MNT_DETACH);
        }

        bool isMounted() const noexcept { return mounted; }

        juce::String whyNotMounted() const
        {
            return "cannot mount a tmpfs here (" + failure +
                   "); full and read-only disks need the right to mount, as root has";
        }

        bool remountReadOnly()
        {
            return ::mount (nullptr, path(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
        }

        /** Takes every byte still free with one file, written directly: the point is that the
            disk is full, not how a stream behaves on the way there.
        */
        bool fillUp() const
        {
            const auto filler = folder.getChildFile ("filler");
            const auto fd = ::open (filler.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

            if (fd < 0)
                return false;

            const std::vector<char> block (4096, 'x');
            auto written = ::write (fd, block.data(), block.size());

            while (written > 0)
                written = ::write (fd, block.data(), block.size());

            const auto full = written < 0 && errno == ENOSPC;
            ::close (fd);
            return full;
        }

        const juce::File folder;

    private:
        const char* path() const { return folder.getFullPathName().toRawUTF8(); }

        bool mounted = false;
        juce::String failure;
    };
#endif

    juce::MemoryBlock contentOf (const juce::File& file)
    {
        juce::MemoryBlock bytes;
        file.loadFileAsData (bytes);
        return bytes;
    }

    juce::StringArray entriesOf (const juce::File& folder)
    {
        juce::StringArray names;

        for (const auto& entry : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
            names.add (entry.getFileName());

        names.sort (false);
        return names;
    }

    PresetData presetWithParameters (int count)
    {
        PresetData preset { 7, "Warm Vox", 3, {} };

        for (int i = 0; i < count; ++i)
            preset.parameters.push_back ({ (juce::int16) i, i * 1001 });

        return preset;
    }
} // namespace

//==============================================================================
/** Preset files saved into folders of a temporary folder. */
class DiskFaultWrites : public ::testing::Test
{
protected:
    /** Saves the old preset into folder, then tries to save a larger one over it (and, where
        the whole disk is spoilt, as a copy) once spoil has done its work: the saves must fail,
        and the folder must hold what it did.
    */
    template <typename Spoil>
    void expectRefusedSave (const juce::File& folder, bool copyRefusedToo, Spoil&& spoil)
    {
        ASSERT_TRUE (folder.createDirectory());
        const auto path = folder.getFullPathName();
        ASSERT_TRUE (writePresetFile (path, presetWithParameters (3), PresetWriteMode::Overwrite));
        const auto target = folder.getChildFile (presetFileName (presetWithParameters (3)));
        const auto oldContent = contentOf (target);

        ASSERT_TRUE (spoil (target));
        const auto entriesBefore = entriesOf (folder);

        const auto larger = presetWithParameters (175);
        EXPECT_FALSE (writePresetFile (path, larger, PresetWriteMode::Overwrite));

        if (copyRefusedToo)
        {
            EXPECT_FALSE (writePresetFile (path, larger, PresetWriteMode::CreateCopy));
        }

        EXPECT_EQ (contentOf (target), oldContent);
        EXPECT_EQ (entriesOf (folder), entriesBefore) << "no temporary file or half copy is left";
    }

    TemporaryFolder temporary;
};

TEST_F (DiskFaultWrites, FullReadOnlyAndPinnedTargetsKeepTheOldFile)
{
#if ! JUCE_WINDOWS
    ScratchDisk full (temporary.root.getChildFile ("full"), "size=256k");
    ScratchDisk readOnly (temporary.root.getChildFile ("read-only"), "size=256k");

    if (! full.isMounted() || ! readOnly.isMounted())
        GTEST_SKIP() << (full.isMounted() ? readOnly : full).whyNotMounted();

    {
        SCOPED_TRACE ("a full disk");
        expectRefusedSave (full.folder, true, [&] (const juce::File&) { return full.fillUp(); });
    }

    {
        SCOPED_TRACE ("a read-only folder, which root cannot write to either");
        expectRefusedSave (readOnly.folder, true,
                           [&] (const juce::File&) { return readOnly.remountReadOnly(); });
    }
#endif

    {
        SCOPED_TRACE ("the old file cannot be replaced, so the move fails");
        std::unique_ptr<PinnedFile> pin;
        expectRefusedSave (temporary.root.getChildFile ("pinned"), false,
                           [&] (const juce::File& target)
                           {
                               pin = std::make_unique<PinnedFile> (target);
                               return pin->pinned;
                           });
    }
}

//==============================================================================
/** The same through the librarian: "Save >" of slot 3 whose file cannot be written. */
class DiskFaultSaves : public LibrarianFixture
{
protected:
    /** Saves slot 3, answering "Overwrite" if asked, and checks that the job failed as a save. */
    void expectSaveFailed()
    {
        dialogs.boxes.clear();
        dialogs.answers = { 1 };
        auto& table = panel->getDeviceList().getTable();
        table.selectRow (2);
        panel->buttonClicked (&panel->getSaveButton());

        ASSERT_FALSE (dialogs.boxes.empty());
        const auto& message = dialogs.boxes.back().message;
        EXPECT_TRUE (message.startsWith ("Save failed\n\n") && message.contains (" could not be saved in "))
            << "the word, then which file and why: " << message;
        EXPECT_EQ (panel->getStatusLabel().getText(), "reading and saving Save failed");
    }
};

TEST_F (DiskFaultSaves, FolderInTheWayOfTheFileIsLeftAsItWas)
{
    plugInDevice();
    const auto inTheWay = defaultPresetFolder().getChildFile (presetFileName (device->getSlot (3)));
    ASSERT_TRUE (inTheWay.getChildFile ("notes.txt").create());
    openPanel();

    expectSaveFailed();
    EXPECT_TRUE (inTheWay.getChildFile ("notes.txt").existsAsFile());
    EXPECT_EQ (entriesOf (defaultPresetFolder()), juce::StringArray { inTheWay.getFileName() });
}
