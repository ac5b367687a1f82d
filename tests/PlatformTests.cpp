// The calls that differ between Linux and Windows, run on whichever this is: replacing a file,
// the temporary file of a write at work, the shared log's roll-over, a second start's request,
// and names in other scripts on their way to the standard library's file calls.

#include "app/ShowRequests.h"
#include "device/LogFileAppend.h"
#include "presets/FilesystemPath.h"
#include "presets/TemporaryWriteFile.h"
#include "presets/VerifiedFileWrite.h"
#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    juce::MemoryBlock bytesOf (const juce::String& text)
    {
        return { text.toRawUTF8(), text.getNumBytesAsUTF8() };
    }

    juce::StringArray namesIn (const juce::File& folder)
    {
        juce::StringArray names;

        for (const auto& entry :
             juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
            names.add (entry.getFile().getFileName());

        names.sort (false);
        return names;
    }
} // namespace

// Windows' rename refuses to replace a file; every second save of a preset and every save of the
// settings would fail there.
TEST (PlatformFiles, AVerifiedWriteReplacesAnExistingFileAndLeavesOnlyIt)
{
    TemporaryFolder temporary;
    const auto target = temporary.root.getChildFile ("001_Choir.tnl");
    ASSERT_TRUE (target.replaceWithText ("<old/>"));

    for (const auto* content : { "<new/>", "<newer, and longer than the one before/>" })
    {
        const auto written = writeFileVerified (target, bytesOf (content));
        ASSERT_TRUE (written.written) << written.failure;
        EXPECT_EQ (target.loadFileAsString(), content);
    }

    EXPECT_EQ (namesIn (temporary.root), juce::StringArray ("001_Choir.tnl")) << "no temporary file stays";

    // The temporary file is hidden where the system hides by attribute; what replaced the
    // target must not take that along.
    EXPECT_FALSE (target.isHidden());
}

TEST (PlatformFiles, AFailedReplaceKeepsTheOldFileWholeAndRemovesTheTemporaryOne)
{
    TemporaryFolder temporary;
    const auto target = temporary.root.getChildFile ("Settings");
    ASSERT_TRUE (target.createDirectory());
    ASSERT_TRUE (target.getChildFile ("kept.tnl").replaceWithText ("<kept/>"));

    const auto written = writeFileVerified (target, bytesOf ("<new/>"));

    EXPECT_FALSE (written.written);
    EXPECT_TRUE (written.failure.contains ("directory")) << "says what is in the way: " << written.failure;
    EXPECT_EQ (target.getChildFile ("kept.tnl").loadFileAsString(), "<kept/>");
    EXPECT_EQ (namesIn (temporary.root), juce::StringArray ("Settings"));
}

TEST (PlatformFiles, TheCleanUpRemovesLeftoversButNotTheFileOfAWriteAtWork)
{
    TemporaryFolder temporary;
    const auto leftover = temporary.root.getChildFile (".001_Old.tnl.9f3c2a77d0e1b245.tonarel-partial");
    ASSERT_TRUE (leftover.replaceWithText ("<cut short/>"));

    TemporaryWriteFile atWork;
    juce::String failure;
    const auto atWorkFile = temporary.root.getChildFile (".002_New.tnl.0123456789abcdef.tonarel-partial");
    ASSERT_EQ (atWork.create (atWorkFile, failure), TemporaryWriteFile::Made::ok) << failure;
    ASSERT_TRUE (atWork.writeAllAndFlush (bytesOf ("<half/>")).wasOk());

    EXPECT_EQ (removeLeftoverTemporaryFiles (temporary.root), 1);
    EXPECT_FALSE (leftover.exists());
    EXPECT_TRUE (atWorkFile.existsAsFile());

    // The write goes on undisturbed, and its name is taken while it lasts.
    TemporaryWriteFile second;
    EXPECT_EQ (second.create (atWorkFile, failure), TemporaryWriteFile::Made::nameTaken);
    const auto target = temporary.root.getChildFile ("002_New.tnl");
    ASSERT_TRUE (atWork.replace (target).wasOk());
    EXPECT_EQ (target.loadFileAsString(), "<half/>");
    EXPECT_FALSE (atWorkFile.exists());
}

TEST (PlatformFiles, TheLogRollsOverOntoAnOlderLogThatIsAlreadyThere)
{
    TemporaryFolder temporary;
    const auto log = temporary.root.getChildFile ("transfers.log");
    const auto older = temporary.root.getChildFile ("transfers.1.log");
    ASSERT_TRUE (older.replaceWithText ("the oldest\n"));

    EXPECT_TRUE (appendLogLine (log, "first\n", 10, older));
    EXPECT_TRUE (appendLogLine (log, "second\n", 10, older)) << "the roll-over replaces the older log";
    EXPECT_TRUE (appendLogLine (log, "third\n", 100, older));

    EXPECT_EQ (older.loadFileAsString(), "first\n");
    EXPECT_EQ (log.loadFileAsString(), "second\nthird\n");
}

// A second start's request always failed off Linux, so it said the command line held the
// device while a librarian was running.
TEST (PlatformShowRequests, ReachTheRunningInstanceForAsLongAsItListens)
{
    const auto name = "tonarel-test-" + juce::Uuid().toString();
    EXPECT_FALSE (ShowRequests::send (name)) << "nothing listens yet";

    {
        const ShowRequests running (name);
        EXPECT_TRUE (ShowRequests::send (name));
        EXPECT_TRUE (ShowRequests::send (name)) << "and again";
        EXPECT_FALSE (ShowRequests::send (name + "-other")) << "another program's requests are its own";
    }

    EXPECT_FALSE (ShowRequests::send (name)) << "nothing listens once it has gone";
}

TEST (PlatformFiles, NamesInOtherScriptsReachTheStandardLibraryWhole)
{
    TemporaryFolder temporary;
    const auto file = temporary.root.getChildFile (
        juce::CharPointer_UTF8 ("042_Ch\xc5\x93ur \xd0\xbd\xd0\xbe\xd1\x87\xd1\x8c \xe5\xa3\xb0.tnl"));
    ASSERT_TRUE (file.replaceWithText ("<preset/>"));

    const auto path = FilesystemPath::of (file);
    std::error_code error;
    EXPECT_TRUE (std::filesystem::is_regular_file (path, error)) << error.message();
    EXPECT_EQ (FilesystemPath::text (path), file.getFullPathName());
}
