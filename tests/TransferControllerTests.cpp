// The transfer controller on its own, over the simulated device: how a job's report comes back to
// the message thread, and how a job ends while one of its questions is open.

#include <gtest/gtest.h>

#include "device/PresetManager.h"
#include "device/TransferController.h"
#include "presets/PresetFile.h"
#include "simulator/DeviceSimulator.h"
#include "simulator/InProcessMidiPorts.h"
#include "tests/TestHelpers.h"

namespace
{
    /** Runs the message loop until a message posted now has been handled: whatever was posted
        before it has been handled too.
    */
    void handlePostedMessages()
    {
        bool reached = false;
        juce::MessageManager::callAsync ([&reached] { reached = true; });
        EXPECT_TRUE (dispatchMessagesUntil ([&reached] { return reached; }));
    }

    juce::String describe (const juce::Array<DevicePresetEntry>& headers)
    {
        juce::StringArray lines;

        for (const auto& header : headers)
            lines.add (juce::String (header.number) + " " + header.name + " v" +
                       juce::String (header.version));

        return lines.joinIntoString ("\n");
    }

    TransferJob jobOn (TransferKind kind, const juce::Array<int>& slots)
    {
        TransferJob job;
        job.kind = kind;
        job.name = "Test";

        for (const auto slot : slots)
            job.selection.slots.add ({ slot, {}, 0 });

        job.listedSlots = slots;
        return job;
    }
} // namespace

class TransferControllerTest : public ::testing::Test
{
protected:
    InProcessMidiPorts midiPorts;
    DeviceSimulator device { midiPorts, WireModel::instant() };
    TemporaryFolder folder;
    LibrarianTimings timings = LibrarianTimings::brief();
    std::unique_ptr<TransferController> controller;

    void makeController()
    {
        controller = std::make_unique<TransferController> (midiPorts, timings,
                                                           folder.root.getChildFile ("tonarel.log"));
    }

    /** Starts a job and records each delivery of its report. */
    struct Deliveries
    {
        int count = 0;
        bool onMessageThread = false;
        bool threadHadReturned = false;
        TransferController::Report report;
    };

    void start (TransferJob job, Deliveries& deliveries)
    {
        controller->start (std::move (job),
                           [this, &deliveries] (TransferController::Report report)
                           {
                               ++deliveries.count;
                               deliveries.onMessageThread =
                                   juce::MessageManager::getInstance()->isThisTheMessageThread();
                               deliveries.threadHadReturned = ! controller->isRunning();
                               deliveries.report = std::move (report);
                           });
    }
};

TEST_F (TransferControllerTest, EachReportArrivesOnceOnTheMessageThreadAfterTheThreadHasReturned)
{
    makeController();
    Deliveries names;
    start (jobOn (TransferKind::ReadListedNames, { 1, 2, 3 }), names);
    ASSERT_TRUE (dispatchMessagesUntil ([&] { return names.count > 0; }));
    handlePostedMessages();

    EXPECT_EQ (names.count, 1);
    EXPECT_TRUE (names.onMessageThread);
    EXPECT_TRUE (names.threadHadReturned);
    ASSERT_NE (names.report, nullptr);
    EXPECT_EQ (names.report->outcome.result >= 0, true);
    ASSERT_EQ (names.report->headers.size(), 3);
    EXPECT_EQ (names.report->headers[2].number, 3);
    EXPECT_EQ (names.report->headers[2].name, device.getSlot (3).name);
    EXPECT_EQ (names.report->deviceVersion, DeviceSimulator::presetVersion);
    EXPECT_TRUE (names.report->slotsTouched().isEmpty()) << "a name read leaves a slot's mark";

    SCOPED_TRACE ("a report handed out does not change with the jobs after it");
    const auto firstHeaders = describe (names.report->headers);
    Deliveries whole;
    start (jobOn (TransferKind::ReadWhole, { 5 }), whole);
    ASSERT_TRUE (dispatchMessagesUntil ([&] { return whole.count > 0; }));
    ASSERT_EQ (whole.report->wholePresets.size(), 1u);
    EXPECT_EQ (whole.report->wholePresets.front().name, device.getSlot (5).name);
    EXPECT_EQ (describe (names.report->headers), firstHeaders);
    EXPECT_TRUE (names.report->wholePresets.empty());
    EXPECT_EQ (whole.report->slotsTouched(), (juce::Array<int> { 5 }));
    EXPECT_TRUE (names.report->slotsTouched().isEmpty());
    EXPECT_EQ (names.count, 1);
}

TEST_F (TransferControllerTest, AReportTakenAtOnceIsNotDeliveredAgainByTheThreadsEndMessage)
{
    // The program quitting takes the report at once, while the thread's own end message may
    // still be in the queue: that message must find nothing to deliver, also once the next job
    // has started.
    timings.pauseBeforeJobMs = 60000;
    makeController();
    Deliveries first;
    start (jobOn (TransferKind::ReadListedNames, { 1 }), first);
    controller->finishNow();

    EXPECT_EQ (first.count, 1);
    EXPECT_TRUE (first.threadHadReturned);
    ASSERT_NE (first.report, nullptr);
    EXPECT_TRUE (first.report->outcome.cancelled);

    timings.pauseBeforeJobMs = 0;
    makeController();
    Deliveries second, third;
    start (jobOn (TransferKind::ReadListedNames, { 1 }), second);
    ASSERT_TRUE (dispatchMessagesUntil ([&] { return ! controller->isRunning(); }));
    controller->finishNow();
    start (jobOn (TransferKind::ReadListedNames, { 2 }), third);
    ASSERT_TRUE (dispatchMessagesUntil ([&] { return third.count > 0; }));
    handlePostedMessages();

    EXPECT_EQ (second.count, 1);
    EXPECT_EQ (third.count, 1);
    ASSERT_EQ (third.report->headers.size(), 1);
    EXPECT_EQ (third.report->headers[0].number, 2) << "the second job's report came as the third's";
}

TEST_F (TransferControllerTest, ACancelWhileAQuestionIsOpenEndsTheJobWithoutItsAnswer)
{
    makeController();
    const auto slotPreset = device.getSlot (5);
    const auto existing = folder.root.getChildFile (presetFileName (slotPreset));
    ASSERT_TRUE (existing.replaceWithText ("not the device's preset"));

    int questions = 0;
    bool jobReturnedWhileAsked = false;
    controller->setQuestionAsker (
        [&] (const TransferQuestion& question)
        {
            ++questions;
            EXPECT_EQ (question.kind, TransferQuestion::Kind::fileExists);

            // The user cancels while the box is still up, and has not answered when the job ends.
            controller->cancel();
            jobReturnedWhileAsked = dispatchMessagesUntil ([&] { return ! controller->isRunning(); });
            return TransferQuestion::overwriteFile;
        });

    auto job = jobOn (TransferKind::ReadAndSave, { 5 });
    job.presetFolder = folder.root;
    Deliveries save;
    start (std::move (job), save);
    ASSERT_TRUE (dispatchMessagesUntil ([&] { return save.count > 0; }));

    EXPECT_EQ (questions, 1);
    EXPECT_TRUE (jobReturnedWhileAsked) << "the job waited for the answer after it was cancelled";
    EXPECT_EQ (save.report->outcome.result, TransferResult::cancelled);
    EXPECT_EQ (save.report->outcome.presetsDone, 0);
    EXPECT_EQ (existing.loadFileAsString(), "not the device's preset");
    EXPECT_EQ (
        folder.root.getNumberOfChildFiles (juce::File::findFiles, juce::String ("*") + kPresetFileExtension),
        1);
}

TEST (TransferJobThreadEnd, AnEndMessageCalledTheCallbackOfTheJobStartedAfterIt)
{
    // A job's end is a message; when it is handled only after the next job has started, it must
    // still call its own job's callback: the next job's report would otherwise be taken while
    // that job runs.
    TransferJobThread thread;
    juce::WaitableEvent secondMayReturn;
    int firstEnded = 0, secondEnded = 0;

    thread.start ([] {}, [&] { ++firstEnded; });
    thread.waitUntilReturned();
    thread.start ([&] { secondMayReturn.wait(); }, [&] { ++secondEnded; });
    handlePostedMessages();

    EXPECT_EQ (firstEnded, 1);
    EXPECT_EQ (secondEnded, 0) << "the second job's end came while it ran";

    secondMayReturn.signal();
    EXPECT_TRUE (dispatchMessagesUntil ([&] { return secondEnded > 0; }));
    handlePostedMessages();
    EXPECT_EQ (firstEnded, 1);
    EXPECT_EQ (secondEnded, 1);
}
