#include "presets/PresetFile.h"
#include "presets/PresetFileName.h"
#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

#if ! JUCE_WINDOWS
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace
{
    const PresetData kWarmVox { 7, "Warm Vox", 1, { { 1, 2 } } };
} // namespace

/** "Set 1" in a temporary folder, and the preset files in it through the free functions. */
class PresetFile : public ::testing::Test
{
protected:
    PresetFile() { folder.createDirectory(); }

    juce::File fileNamed (const juce::String& name) const { return folder.getChildFile (name); }
    int numberOfFiles() const { return folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories); }
    bool write (const PresetData& preset, PresetWriteMode mode = PresetWriteMode::Overwrite)
    {
        return static_cast<bool> (writePresetFile (path, preset, mode));
    }

    /** Reads a file (first written with the text, if one is given) into read, desc and number. */
    bool read (const juce::String& fileName, const juce::String& text = {})
    {
        if (text.isNotEmpty())
            fileNamed (fileName).replaceWithText (text);

        desc = {};
        number = 0;
        const auto preset = readPresetFile (path, fileName, &desc);

        if (! preset.has_value())
            return false;

        readBack = *preset;
        number = presetNumberFromFileName (fileName);
        return true;
    }

    TemporaryFolder temporary;
    const juce::File folder = temporary.root.getChildFile ("Set 1");
    juce::String path = folder.getFullPathName();
    PresetData readBack;
    juce::String desc;
    juce::int16 number = 0;
};

TEST (PresetFileName, RuleMakesNamesPlainAndKeepsCallersInsideTheFolder)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        { "a/b\\c:d*e?f\"g<h>i|j\x01k\x7f", "a_b_c_d_e_f_g_h_i_j_k_" }, { "007_Warm Vox.tnl", "007_Warm Vox.tnl" },
        { "~home", "_home" }, { "nul.tnl", "_nul.tnl" }, { "Com7 .x", "_Com7 .x" }, { "COM10", "COM10" },
        { "name. .", "name___" }, { "..", "__" } };
    // clang-format on

    for (const auto& [original, plain] : cases)
    {
        EXPECT_EQ (makePlainFileName (original), plain) << original;
        EXPECT_TRUE (isPlainFileName (plain)) << plain;
    }

    for (auto* outside : { "", ".", "..", "../x.tnl", "a\\b.tnl", "/etc/passwd" })
        EXPECT_FALSE (isFolderEntryName (outside)) << outside;

    EXPECT_TRUE (isFolderEntryName ("001_Caf?.tnl"));

    EXPECT_EQ (presetFileName (kWarmVox), "007_WarmVox.tnl");
    EXPECT_EQ (presetFileName ({ 10, "Lead", 1, {} }), "010_Lead.tnl");
    EXPECT_EQ (presetFileName ({ 99, "   ", 1, {} }), "099_.tnl");
}

TEST_F (PresetFile, WritesTheDocumentByteForByte)
{
    ASSERT_TRUE (write ({ 7, juce::CharPointer_UTF8 ("A&B <\"x\"> \xc3\xa9\t"), -3, { { -2, -70000 } } }));

    const char* expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                           "\r\n"
                           "<preset>\r\n"
                           "  <name>A&amp;B &lt;\"x\"&gt; &#233;&#9;</name>\r\n"
                           "  <version>-3</version>\r\n"
                           "  <desc>7</desc>\r\n"
                           "  <data>\r\n"
                           "    <parameter>\r\n"
                           "      <ID>-2</ID>\r\n"
                           "      <Value>-70000</Value>\r\n"
                           "    </parameter>\r\n"
                           "  </data>\r\n"
                           "</preset>\r\n";

    juce::MemoryBlock written;
    ASSERT_TRUE (fileNamed (juce::CharPointer_UTF8 ("007_A&B__x__\xc3\xa9_.tnl")).loadFileAsData (written));
    EXPECT_EQ (written.toString(), expected);
}

TEST_F (PresetFile, RoundTripGivesBackTheSamePreset)
{
    // A name of blanks only used to come back empty.
    for (auto* presetName : { "Warm Vox", "   ", " a\r\nb\x01 " })
    {
        SCOPED_TRACE (presetName);
        const PresetData preset { 42, presetName, 5, { { 0, 0 }, { 16383, INT32_MIN }, { -1, INT32_MAX } } };
        ASSERT_TRUE (write (preset));
        ASSERT_TRUE (read (presetFileName (preset)));

        EXPECT_EQ (number, 42);
        EXPECT_EQ (desc, "42");
        EXPECT_EQ (readBack, (PresetData { 0, presetName, 5, preset.parameters }));
    }
}

TEST_F (PresetFile, WriteModesCopiesAndDeletes)
{
    for (const auto& refused : std::initializer_list<PresetData> { { 0, "x", 1, {} }, { 100, "x", 1, {} } })
    {
        EXPECT_TRUE (write (refused, PresetWriteMode::Skip));
        EXPECT_FALSE (write (refused, PresetWriteMode::CreateCopy));
    }

    EXPECT_EQ (numberOfFiles(), 0);

    {
        SCOPED_TRACE ("an unnamed slot is saved under its number alone and read back unnamed");
        ASSERT_TRUE (write ({ 9, "", 1, { { 0, 3 } } }));
        EXPECT_TRUE (read ("009_.tnl"));
        EXPECT_EQ (readBack, (PresetData { 0, "", 1, { { 0, 3 } } }));
        deletePresetFile (path, "009_.tnl");
    }

    fileNamed ("007_WarmVox.tnl").replaceWithText ("old");
    fileNamed ("copy1_007_WarmVox.tnl").replaceWithText ("copy");
    EXPECT_TRUE (presetFileExists (path, kWarmVox));
    ASSERT_TRUE (write (kWarmVox, PresetWriteMode::CreateCopy));
    EXPECT_TRUE (read ("copy2_007_WarmVox.tnl"));
    EXPECT_EQ (fileNamed ("copy1_007_WarmVox.tnl").loadFileAsString(), "copy");

    EXPECT_EQ (presetCopyFileName (path, "copy1_007_WarmVox.tnl"),
               fileNamed ("copy1_copy1_007_WarmVox.tnl").getFullPathName());
    copyPresetFile (path, "007_WarmVox.tnl");
    EXPECT_EQ (fileNamed ("copy3_007_WarmVox.tnl").loadFileAsString(), "old");
    deletePresetFile (path, "copy1_007_WarmVox.tnl");
    EXPECT_EQ (numberOfFiles(), 3);

    SCOPED_TRACE ("names reaching outside the folder");
    const auto outside = temporary.root.getChildFile ("outside.tnl");
    outside.replaceWithText ("<preset/>");
    EXPECT_FALSE (read ("../outside.tnl"));
    copyPresetFile (path, "../outside.tnl");
    deletePresetFile (path, "../outside.tnl");
    EXPECT_TRUE (outside.existsAsFile());
    EXPECT_EQ (numberOfFiles(), 3);
}

TEST_F (PresetFile, FailedWriteLeavesTheOldFileIntact)
{
    ASSERT_TRUE (write (kWarmVox));
    const auto target = fileNamed ("007_WarmVox.tnl");
    const auto before = target.loadFileAsString();

#if ! JUCE_WINDOWS
    // Linux only: Windows has no limit on the size of the files a process writes.
    {
        SCOPED_TRACE ("a file size limit cuts the write short, which the file stream does not report");
        auto longer = kWarmVox;
        longer.parameters.assign (50, { 3, 123456 });
        rlimit original {};
        ASSERT_EQ (getrlimit (RLIMIT_FSIZE, &original), 0);
        auto limited = original;
        limited.rlim_cur = (rlim_t) before.length() + 16;
        const auto originalHandler = std::signal (SIGXFSZ, SIG_IGN);
        ASSERT_EQ (setrlimit (RLIMIT_FSIZE, &limited), 0);
        const bool written = write (longer);
        setrlimit (RLIMIT_FSIZE, &original);
        std::signal (SIGXFSZ, originalHandler);

        EXPECT_FALSE (written);
        EXPECT_EQ (numberOfFiles(), 1);
    }
#endif

    for (auto badFolder : { target.getFullPathName() + "/sub", juce::String() })
    {
        EXPECT_FALSE (writePresetFile (badFolder, kWarmVox, PresetWriteMode::Overwrite)) << badFolder;
    }

    EXPECT_EQ (target.loadFileAsString(), before);
}

TEST_F (PresetFile, ReaderFollowsTheFileRules)
{
    ASSERT_TRUE (read ("001_A.tnl",
                       "<?xml version=\"1.0\"?>\n<PRESET>\n"
                       " <Name>first</Name><unknown><name>nested</name></unknown>\n"
                       " <NAME>Warm <b>bold</b>Vox</NAME>\n"
                       " <version>  -7x</version><Version>70000</Version>\n"
                       " <desc>slot <!-- note -->12</desc>\n"
                       " <data><parameter><Value>12</Value></parameter><junk/>\n"
                       "  <PARAMETER><id>+5</id><value>-5</value></PARAMETER>\n"
                       "  <parameter><ID>99999999999</ID><Value>-4294967297</Value></parameter></data>\n"
                       " <data><parameter/></data>\n"
                       "</PRESET>\n"));
    EXPECT_EQ (desc, "slot 12");
    EXPECT_EQ (readBack,
               (PresetData { 0, "Warm Vox", 4464, { { 0, 12 }, { 0, -5 }, { -6145, -1 }, { 0, 0 } } }));

    SCOPED_TRACE ("numbers come from the file name");
    // clang-format off
    const std::pair<const char*, int> numbers[] = {
        { "007_A.tnl", 7 }, { "5_A.tnl", 5 }, { "100_A.tnl", 999 }, { "-05_A.tnl", 999 }, { "clone_012_A.tnl", 112 },
        { "CLONE_clone_012_A.tnl", 212 }, { "clone_abc.tnl", 100 }, { "copy1_007_A.tnl", 999 } };
    // clang-format on

    for (const auto& [fileName, expected] : numbers)
    {
        EXPECT_TRUE (read (fileName, "<preset/>"));
        EXPECT_EQ (number, expected) << fileName;
    }

    SCOPED_TRACE ("a wrong root is no preset");
    EXPECT_FALSE (read ("clone_012_B.tnl", "<presets><name>x</name></presets>"));
}

TEST_F (PresetFile, ScanKeepsTheWhiteSpaceOfANameThatTheParserKeeps)
{
    // The reader leaves out of the parser's text the white space between tags, which the parser
    // skips anyway; what it keeps must stay. JUCE's parser on the file as it is says what that is.
    const auto nameAsParsed = [] (const juce::String& document)
    {
        juce::String name;
        const auto root = juce::XmlDocument::parse (document);

        for (auto* child : root->getChildWithTagNameIterator ("name"))
            for (auto* text : child->getChildIterator())
                if (text->isTextElement())
                    name << text->getText();

        return name;
    };

    const char* const names[] = {
        "<name>Warm <b/> Vox</name>",
        "<name> <!-- a note --> Warm</name>",
        "<name>\r\n  <b/>\r\n  Vox</name>",
        "<name>A<b></b x='>' >  <c/>Vox</name>",
        "<name>A<b x=\"1\">  </b>  <c/>B</name>",
    };

    for (const auto* name : names)
    {
        const auto document = juce::String ("<preset>\r\n  ") + name + "\r\n</preset>";
        SCOPED_TRACE (document);
        ASSERT_TRUE (read ("001_A.tnl", document));
        EXPECT_EQ (readBack.name, nameAsParsed (document));
    }
}

TEST_F (PresetFile, FileAsWrittenReadsAsTheFullReaderReadsIt)
{
    // Files laid out as this program writes them are read without a document; a comment after
    // the declaration sends the same file the full way, which must read the same.
    const auto readBothWays = [this] (const juce::String& document)
    {
        SCOPED_TRACE (document);
        const auto declarationEnd = document.indexOf ("?>") + 2;
        ASSERT_GT (declarationEnd, 1);
        const auto fullWay = document.substring (0, declarationEnd) + "<!-- the full way -->" +
                             document.substring (declarationEnd);

        ASSERT_TRUE (read ("001_A.tnl", document));
        const auto quick = readBack;
        const auto quickDesc = desc;
        ASSERT_TRUE (read ("001_A.tnl", fullWay));
        EXPECT_EQ (quick, readBack);
        EXPECT_EQ (quickDesc, desc);
    };

    const PresetData presets[] = {
        kWarmVox,
        { 99,
          "  Spaced  out  ",
          -3,
          { { 0, -134217728 }, { 16383, 134217727 }, { -1, -1 }, { 0, 2147483647 } } },
        { 1, "a>b \"c\" 'd' /e", 32767, {} },
        { 2, "", 0, { { 5, 0 } } },
        { 3, "   ", 1, { { 0, 1 } } },
        { 4, "Tab\tand\r\nline & <more>", 2, { { 1, 2 } } },
        { 5, juce::String::fromUTF8 ("Caf\xc3\xa9"), 2, {} },
    };

    for (const auto& preset : presets)
    {
        ASSERT_TRUE (write (preset));
        readBothWays (fileNamed (presetFileName (preset)).loadFileAsString());
    }

    const char* const declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    const char* const bodies[] = {
        "<preset><name>A</name><version> 7x</version><desc>-3</desc><data></data></preset>",
        "\n<preset>\n<name>A </name>\t<version>-</version><desc> </desc><data/></preset>\n",
        "<preset><name>A</name><version>1</version><desc>2</desc><data><parameter><ID></ID><Value>  9</Value>"
        "</parameter></data></preset>",
        "<preset><NAME>A</NAME><version>1</version><desc>2</desc><data/></preset>",
        "<preset><name>A</name><version>1</version><data/></preset>",
        "<preset><name>A</name><version>1</version><desc>2</desc><data/><data/></preset>",
        "<preset><name a='1'>A</name><version>1</version><desc>2</desc><data/></preset>",
    };

    for (const auto* body : bodies)
        readBothWays (juce::String (declaration) + body);
}

TEST_F (PresetFile, FilesThatWouldFaultTheParserAreNotPresetFiles)
{
    const auto bytesOf = [] (const juce::String& text)
    { return juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()); };
    const auto repeated = [] (const char* text, int times)
    { return juce::String::repeatedString (text, times); };
    const char notUtf8[] = "<preset><name>A\xc3"
                           "B</name></preset>";
    const char overlongZero[] = "<preset><name>A\xc0\x80"
                                "B</name></preset>";

    const std::pair<const char*, juce::MemoryBlock> files[] = {
        { "missing", {} },
        { "not UTF-8", { notUtf8, sizeof (notUtf8) - 1 } },
        { "an overlong zero, which JUCE's strings count and copy differently",
          { overlongZero, sizeof (overlongZero) - 1 } },
        { "large", bytesOf ("<preset>" + repeated (" ", 1 << 20) + "</preset>") },
        { "deep", bytesOf (repeated ("<a>", 100000)) },
        { "document type", bytesOf ("<!DOCTYPE p [<!ENTITY e \"<a>\">]><preset><name>&e;</name></preset>") },
        { "ampersand before a tag", bytesOf ("<preset><name>A</name><data>&<parameter/></data></preset>") },
        { "ampersand starting no entity", bytesOf ("<preset><name>Rock & Roll</name></preset>") },
        { "entity of another case", bytesOf ("<preset><name>A&AMP;B</name></preset>") }
    };

    for (const auto& [what, content] : files)
    {
        SCOPED_TRACE (what);
        const auto fileName = juce::String (what) + ".tnl";
        fileNamed (fileName).replaceWithData (content.getData(), content.getSize());

        EXPECT_FALSE (read (fileName));
    }

#if ! JUCE_WINDOWS
    // Linux only: Windows' named pipes live apart from the folders, under \\.\pipe.
    {
        SCOPED_TRACE ("a pipe named like a preset file would block the folder scan when opened");
        const auto pipe = fileNamed ("pipe.tnl");
        ASSERT_EQ (mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);
        EXPECT_FALSE (read ("pipe.tnl"));
    }
#endif
}
