// What the librarian keeps of its transfers: the transfer log, the pace a job reports and the
// comparison a verify makes. The snapshot folders have tests of their own.

#include "device/JobPace.h"
#include "device/PresetComparison.h"
#include "device/TransferLog.h"
#include "device/TransferLogLines.h"
#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

TEST (TransferLog, LinesKeepTheirFieldsAndTheFileRollsOverKeepingOneOlder)
{
    const TemporaryFolder temporary;
    const auto file = temporary.root.getChildFile ("tonarel.log");
    TransferLog log (file, 400);

    TransferLog::Attempt attempt;
    attempt.job = "Load";
    attempt.exchange = "send";
    attempt.slot = 7;
    attempt.fileName = "007_Two\tWords.tnl";
    attempt.attempt = 2;
    attempt.outcome = "Timeout";
    attempt.seconds = 1.5;
    attempt.frames = { "> F0 01", "< F0 02" };
    log.logAttempt (attempt);

    auto fields = juce::StringArray::fromTokens (file.loadFileAsString().trimEnd(), "\t", {});
    ASSERT_EQ (fields.size(), 9) << "a tab inside a field must not make another field";
    EXPECT_EQ (fields[1], "Load");
    EXPECT_EQ (fields[3], "7");
    EXPECT_EQ (fields[4], "007_Two Words.tnl");
    EXPECT_EQ (fields[6], "Timeout");
    EXPECT_EQ (fields[7], "1.500 s");
    EXPECT_EQ (fields[8], "> F0 01 | < F0 02");

    for (int i = 0; i < 10; ++i)
        log.logJob ("Save", 99, "done", 0.25);

    const auto older = TransferLog::olderFileOf (file);
    EXPECT_EQ (older.getFileName(), "tonarel.log.1");
    EXPECT_LE (file.getSize(), 400);
    EXPECT_LE (older.getSize(), 400);
    EXPECT_TRUE (file.loadFileAsString().contains ("Save\tjob\t-\t99 presets\t-\tdone\t0.250 s"));
    EXPECT_EQ (temporary.root.getNumberOfChildFiles (juce::File::findFiles), 2) << "only one older file";
}

TEST (TransferLogLines, ReadBackEveryLineTheLogWritesAndKeepOthersWhole)
{
    const TemporaryFolder temporary;
    const auto file = temporary.root.getChildFile ("tonarel.log");
    TransferLog log (file);

    TransferLog::Attempt failed;
    failed.job = "Load To";
    failed.exchange = "send";
    failed.slot = 12;
    failed.fileName = "012_Lead | Dry.tnl";
    failed.attempt = 3;
    failed.outcome = "Timeout";
    failed.seconds = 2.0;
    failed.frames = { "> F0 00 21 F7", "< F0 00 22 F7" };
    log.logAttempt (failed);

    auto done = failed;
    done.attempt = 4;
    done.outcome = "done";
    done.frames.clear();
    log.logAttempt (done);
    log.logNote ("Save", "read", 3, "003_X.tnl", "saved, but its folder could not be synced to the disk");
    log.logJob ("Load To", 1, "Canceled", 9.5);

    auto text = file.loadFileAsString();
    text << "2026-01-01 12:00:00 SEND slot 1 ok\n"           // an older program's line
         << "\n"                                             // blank lines are no rows
         << "2026-01-01 12:00:00.000\tSave\tread\t3\t-\t1\n" // cut short by a crash
         << "2026-01-01 12:00:00.000\tSave\t\t3\t-\t1\tdone\t0.1 s\n";

    const auto lines = parseTransferLog (text);
    ASSERT_EQ (lines.size(), 7u);

    SCOPED_TRACE ("a failed attempt: its fields, and its frames split again");
    EXPECT_TRUE (lines[0].wellFormed);
    EXPECT_EQ (lines[0].job, "Load To");
    EXPECT_EQ (lines[0].exchange, "send");
    EXPECT_EQ (lines[0].slot, "12");
    EXPECT_EQ (lines[0].file, "012_Lead | Dry.tnl") << "a bar in a file name is no frame separator";
    EXPECT_EQ (lines[0].attempt, "3");
    EXPECT_EQ (lines[0].outcome, "Timeout");
    EXPECT_EQ (lines[0].duration, "2.000 s");
    EXPECT_EQ (lines[0].frames, juce::StringArray ({ "> F0 00 21 F7", "< F0 00 22 F7" }));
    EXPECT_TRUE (lines[0].isFailure());

    SCOPED_TRACE ("what is done, and a note, are no failures; a cancelled job is");
    EXPECT_FALSE (lines[1].isFailure());
    EXPECT_TRUE (lines[1].frames.isEmpty());
    EXPECT_TRUE (lines[2].wellFormed);
    EXPECT_EQ (lines[2].attempt, "") << "a field that does not apply";
    EXPECT_FALSE (lines[2].isFailure());
    EXPECT_EQ (lines[3].exchange, "job");
    EXPECT_EQ (lines[3].file, "1 preset");
    EXPECT_TRUE (lines[3].isFailure());

    SCOPED_TRACE ("lines the log did not write are kept whole, and are no failures");
    for (size_t i = 4; i < lines.size(); ++i)
    {
        EXPECT_FALSE (lines[i].wellFormed) << lines[i].raw;
        EXPECT_FALSE (lines[i].isFailure()) << lines[i].raw;
        EXPECT_TRUE (lines[i].job.isEmpty()) << lines[i].raw;
    }

    EXPECT_EQ (lines[4].raw, "2026-01-01 12:00:00 SEND slot 1 ok");
    EXPECT_EQ (lines[5].raw, "2026-01-01 12:00:00.000\tSave\tread\t3\t-\t1");
}

TEST (JobPace, SaysHowFarAndAfterTheFirstPresetHowLong)
{
    const JobPace pace (99, 100.0);
    EXPECT_EQ (pace.describe (1, 0, 100.0), "1 of 99");
    EXPECT_EQ (pace.describe (16, 15, 115.0), "16 of 99, about 1 min left");
    EXPECT_EQ (pace.describe (2, 1, 100.2), "2 of 99, about 20 s left");
    EXPECT_EQ (pace.describe (50, 49, 149.0), "50 of 99, about 50 s left");
    EXPECT_EQ (pace.describe (99, 98, 198.5), "99 of 99, about 2 s left");
    EXPECT_EQ (JobPace::describeTimeLeft (0.2), "1 s");
    EXPECT_EQ (JobPace::describeTimeLeft (56.0), "1 min");
    EXPECT_EQ (JobPace::describeTimeLeft (121.0), "2 min");
}

TEST (PresetComparison, FindsEachParameterThatDiffersWhateverTheOrder)
{
    PresetData file;
    file.name = juce::String::fromUTF8 ("Air\xc3\xa9"); // the device stores "Air?"
    file.version = 3;
    file.parameters = { { 0, 10 }, { 1, 11 }, { 2, 12 } };

    auto slot = file;
    slot.name = "Air?";
    slot.parameters = { { 2, 12 }, { 0, 10 }, { 1, 11 } };
    EXPECT_TRUE (comparePresets (file, slot).isEmpty()) << comparePresets (file, slot).summary();

    slot.parameters = { { 0, 10 }, { 1, 99 }, { 3, 13 } };
    slot.version = 4;
    const auto differences = comparePresets (file, slot);
    EXPECT_FALSE (differences.nameDiffers);
    EXPECT_TRUE (differences.versionDiffers);
    ASSERT_EQ (differences.parameters.size(), 3u);
    EXPECT_EQ (differences.parameters[0].index, 1);
    EXPECT_EQ (differences.parameters[0].actual, 99);
    EXPECT_EQ (differences.parameters[1].actual, std::nullopt) << "parameter 2 is missing in the slot";
    EXPECT_EQ (differences.parameters[2].expected, std::nullopt) << "parameter 3 is not in the file";
    EXPECT_EQ (differences.summary(),
               "the version differs, 3 parameters differ (parameter 1: 11 sent, 99 read back)");
}

TEST (TransferLog, LinesOfConcurrentWritersAreNeitherLostNorInterleaved)
{
    // Each writer has a log of its own on the one file, as the librarian and command lines do.
    constexpr int writers = 4, linesEach = 250;

    const auto appendConcurrently = [] (const juce::File& file, juce::int64 rollOverBytes)
    {
        std::vector<std::thread> threads;

        for (int writer = 0; writer < writers; ++writer)
            threads.emplace_back (
                [=]
                {
                    TransferLog log (file, rollOverBytes);

                    for (int line = 0; line < linesEach; ++line)
                        log.logJob ("writer " + juce::String (writer), line, "done", 0.25);
                });

        for (auto& thread : threads)
            thread.join();
    };

    const auto expectEveryLineWhole = [] (const juce::StringArray& lines)
    {
        std::set<std::pair<juce::String, juce::String>> seen;

        for (const auto& line : lines)
        {
            const auto fields = juce::StringArray::fromTokens (line, "\t", {});
            ASSERT_EQ (fields.size(), 8) << "a line spoilt by another: " << line;
            EXPECT_TRUE (seen.insert ({ fields[1], fields[4] }).second) << line;
        }

        EXPECT_EQ (seen.size(), (size_t) (writers * linesEach));
    };

    const TemporaryFolder temporary;
    const auto file = temporary.root.getChildFile ("tonarel.log");

    {
        SCOPED_TRACE ("no roll-over");
        appendConcurrently (file, TransferLog::defaultRollOverBytes);
        expectEveryLineWhole (juce::StringArray::fromLines (file.loadFileAsString().trimEnd()));
    }

    {
        SCOPED_TRACE ("rolling over once on the way: the older file keeps what it had");
        file.deleteFile();
        const auto lineBytes = (juce::int64) 60;
        appendConcurrently (file, lineBytes * writers * linesEach * 2 / 3);

        auto lines =
            juce::StringArray::fromLines (TransferLog::olderFileOf (file).loadFileAsString().trimEnd());
        lines.addArray (juce::StringArray::fromLines (file.loadFileAsString().trimEnd()));
        expectEveryLineWhole (lines);
    }
}
