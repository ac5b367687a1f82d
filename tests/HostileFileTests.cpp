// Files and names the librarian does not control: whatever lies in the preset folder is scanned
// without harm and only real presets are listed, and whatever a device calls its presets ends up
// as a file inside the preset folder.

#include "tests/LibrarianFixture.h"

#if ! JUCE_WINDOWS
#include <fcntl.h>
#include <unistd.h>
#endif

namespace
{
    juce::MemoryBlock bytesOf (const juce::String& text)
    {
        return juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8());
    }

#if ! JUCE_WINDOWS
    /** Writes a file under a name given as raw bytes, which need not be UTF-8. */
    bool writeRawNamedFile (const juce::File& folder, const char* rawName, const juce::MemoryBlock& content)
    {
        const auto path = folder.getFullPathName().toStdString() + "/" + rawName;
        const auto fd = ::open (path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

        if (fd < 0)
            return false;

        const auto written = ::write (fd, content.getData(), content.getSize());
        ::close (fd);
        return written == (ssize_t) content.getSize();
    }
#endif

    /** "<preset><name>Huge</name>", blanks up to the size asked for, "</preset>". */
    bool writeHugeFile (const juce::File& file, juce::int64 bytes)
    {
        juce::FileOutputStream out (file);
        juce::MemoryBlock spaces (1 << 20);
        spaces.fillWith (' ');

        out << "<preset><name>Huge</name>";

        for (auto left = bytes; left > 0; left -= (juce::int64) spaces.getSize())
            out.write (spaces.getData(), (size_t) juce::jmin (left, (juce::int64) spaces.getSize()));

        out << "</preset>";
        out.flush();
        return out.getStatus().wasOk();
    }

    const PresetData warmVox { 7, "Warm Vox", 3, { { 0, 100 }, { 1, -5 } } };
    const PresetData bright { 12, "Bright", 3, { { 0, 5 } } };
} // namespace

using HostileFiles = LibrarianFixture;

#if ! JUCE_WINDOWS
// Linux only: a name of raw bytes that are not UTF-8, and links to a device and to themselves,
// are what a Linux folder can hold; Windows' names are UTF-16 and it makes no such links for a
// user.
TEST_F (HostileFiles, ScanListsOnlyTheRealPresetsOfAFolderOfJunk)
{
    const auto folder = defaultPresetFolder();
    const auto warmVoxFile = writePresetFile (folder, warmVox);
    const auto brightFile = writePresetFile (folder, bright);

    juce::MemoryBlock whole;
    ASSERT_TRUE (folder.getChildFile (warmVoxFile).loadFileAsData (whole));
    const auto half = juce::MemoryBlock (whole.getData(), whole.getSize() / 2);

    const char notUtf8[] = "<preset><name>\xff\xfe\xc3</name><version>3</version></preset>";
    const std::pair<const char*, juce::MemoryBlock> junk[] = {
        { "not UTF-8.tnl", { notUtf8, sizeof (notUtf8) - 1 } },
        { "deep.tnl", bytesOf ("<preset>" + juce::String::repeatedString ("<a>", 200000)) },
        { "truncated.tnl", half },
        { "other schema.tnl", bytesOf ("<?xml version=\"1.0\"?>\n<patch><name>x</name></patch>") },
        { "presets.tnl", bytesOf ("<presets><preset><name>inner</name></preset></presets>") },
        { "json.tnl", bytesOf ("{ \"preset\": { \"name\": \"x\" } }") },
        { "empty.tnl", {} },
        { "\xff\xfe name not UTF-8.tnl", bytesOf ("<preset><name>Odd</name></preset>") },
    };

    for (const auto& [name, content] : junk)
        ASSERT_TRUE (writeRawNamedFile (folder, name, content)) << name;

    ASSERT_TRUE (writeHugeFile (folder.getChildFile ("huge.tnl"), 50 * 1024 * 1024));
    ASSERT_TRUE (folder.getChildFile ("folder.tnl").createDirectory());

    for (const auto& [link, target] : { std::pair { "zero.tnl", "/dev/zero" }, { "loop.tnl", "loop.tnl" } })
        ASSERT_EQ (::symlink (target, folder.getChildFile (link).getFullPathName().toRawUTF8()), 0) << link;

    openPanel();

    // The file whose name is not UTF-8 holds a real preset, and it is listed and readable.
    juce::StringArray presetNames;

    for (const auto& row : panel->getLocalList().getRows())
        presetNames.add (row.name);

    presetNames.sort (false);
    EXPECT_EQ (presetNames.joinIntoString ("|"), "Bright|Odd|Warm Vox");

    for (const auto& fileName : listedFileNames())
        EXPECT_TRUE (readPresetFile (panel->getPresetFiles().getFolderPath(), fileName).has_value())
            << fileName;

    EXPECT_TRUE (dialogs.boxes.empty());
}
#endif

TEST_F (HostileFiles, PresetFileCutAnywhereIsNotAPreset)
{
    // Sent to the device, a preset missing its tail would overwrite a slot with half a preset.
    const auto folder = defaultPresetFolder();
    const auto fileName = writePresetFile (folder, warmVox);
    juce::MemoryBlock whole;
    ASSERT_TRUE (folder.getChildFile (fileName).loadFileAsData (whole));
    const auto end = whole.toString().indexOf ("</preset>") + (int) std::strlen ("</preset>");

    const auto cut = folder.getChildFile ("cut.tnl");

    for (int length = 0; length < end; ++length)
    {
        ASSERT_TRUE (cut.replaceWithData (whole.getData(), (size_t) length));
        EXPECT_FALSE (readPresetFile (folder.getFullPathName(), "cut.tnl").has_value())
            << "cut after " << length << " bytes: " << whole.toString().substring (0, length);
    }
}

TEST_F (HostileFiles, DeviceNamesAlwaysGiveAFileInsideThePresetFolder)
{
    const auto folder = defaultPresetFolder();
    ASSERT_TRUE (folder.createDirectory());
    const auto path = folder.getFullPathName();

    const juce::String names[] = { "..",   ".",          "~",    "~/x",   "CON", "nul", "a/b",  "../../x",
                                   "a\\b", "\x01\t\r\n", "\x7f", " . . ", "   ", "*?:", "LPT1", "" };

    for (const auto& name : names)
    {
        SCOPED_TRACE (name.replace ("\r", "\\r").replace ("\n", "\\n"));
        for (auto mode : { PresetWriteMode::Overwrite, PresetWriteMode::CreateCopy })
            ASSERT_TRUE (::writePresetFile (path, { 7, name, 3, { { 1, 2 } } }, mode));

        const auto files = folder.findChildFiles (juce::File::findFilesAndDirectories, false);
        ASSERT_EQ (files.size(), 2);

        for (const auto& file : files)
        {
            EXPECT_TRUE (file.existsAsFile()) << file.getFullPathName();
            EXPECT_EQ (file.getParentDirectory(), folder);

            const auto preset = readPresetFile (path, file.getFileName());
            ASSERT_TRUE (preset.has_value());
            EXPECT_EQ (preset->name, name);
            EXPECT_TRUE (file.deleteFile());
        }

        EXPECT_EQ (applicationFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1)
            << "nothing beside the preset folder";
    }
}
