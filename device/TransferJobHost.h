#pragma once

#include "presets/PresetData.h"
#include "presets/PresetListEntries.h"

#include <vector>

/** A question a job asks in its middle, and the buttons it can be answered with. */
struct TransferQuestion
{
    enum class Kind
    {
        fileExists,    // a file is about to be written over: see fileExists()
        slotOverwrite, // a load is about to overwrite a slot: see slotOverwrite()
        warning        // a file the load cannot send, with "Ok" only
    };

    /** The values of the buttons of the two overwrite questions. */
    enum FileAnswer
    {
        createCopy = 0,
        overwriteFile = 1,
        skipFile = 2
    };

    enum SlotAnswer
    {
        skipSlot = 0,
        overwriteSlot = 1
    };

    struct Choice
    {
        juce::String text;
        int value = 0;
    };

    /** What a ticked "Apply To All" adds to the value of the chosen button. */
    static constexpr int applyToAllBonus = 10;

    Kind kind = Kind::warning;
    juce::String title, message;
    std::vector<Choice> buttons;
    bool offerApplyToAll = false;

    /** "<file> already exists.", with "Overwrite", "Skip" and "Create Copy". */
    static TransferQuestion fileExists (const juce::String& fileName, bool offerApplyToAll)
    {
        return { Kind::fileExists,
                 {},
                 fileName + " already exists.",
                 { { "Overwrite", overwriteFile }, { "Skip", skipFile }, { "Create Copy", createCopy } },
                 offerApplyToAll };
    }

    /** "Overwrite "<name>" (#<slot>) in Tonarel?", with "Overwrite" and "Skip". */
    static TransferQuestion slotOverwrite (const DevicePresetEntry& slot, bool offerApplyToAll)
    {
        return { Kind::slotOverwrite,
                 {},
                 "Overwrite \"" + slot.name + "\" (#" + juce::String (slot.number) + ") in Tonarel?",
                 { { "Overwrite", overwriteSlot }, { "Skip", skipSlot } },
                 offerApplyToAll };
    }

    /** A notice about one file, titled with its name, with "Ok". */
    static TransferQuestion warning (const juce::String& fileName, const juce::String& message)
    {
        return { Kind::warning, fileName, message, { { "Ok", 0 } }, false };
    }
};

/** The answer to a recurring question: a ticked "Apply To All" makes it stand for the rest of
    the job, so the question is not asked again.
*/
struct StandingAnswer
{
    bool appliesToAll = false;
    int answer = 0;

    template <typename Ask>
    int get (Ask&& ask)
    {
        if (! appliesToAll)
        {
            answer = ask();
            appliesToAll = answer >= TransferQuestion::applyToAllBonus;

            if (appliesToAll)
                answer -= TransferQuestion::applyToAllBonus;
        }

        return answer;
    }
};

/** What runs a transfer job: the librarian's progress window, or the command line. The job calls
    it, on the job's own thread, for everything the job does not decide itself: whether to go on,
    the pauses, what to show, and the questions.
*/
class TransferJobHost
{
public:
    virtual ~TransferJobHost() = default;

    /** True once the job is to end: cancelled, or ended by the job itself (endJob). */
    virtual bool jobShouldEnd() = 0;

    /** Asks the job to end at its next look: a failure that the next preset must not follow. */
    virtual void endJob() = 0;

    /** Waits ms, or less when the job is told to end meanwhile. */
    virtual void pauseJob (int ms) = 0;

    /** The job's status line, and below it how far it has come (empty before it starts). */
    virtual void showJobStatus (const juce::String& status, const juce::String& pace) = 0;

    /** How much of the job is done, 0 to 1. */
    virtual void showJobProgress (double fraction) = 0;

    /** Asks a question and waits for the answer: the value of a button, with applyToAllBonus
        added when "Apply To All" was offered and ticked. A host that cannot ask answers as the
        last button would (Escape).
    */
    virtual int ask (const TransferQuestion& question) = 0;

    /** A preset header the job has read from the device: a name read, also a failed one (its
        number is then 0).
    */
    virtual void presetHeaderRead (const DevicePresetEntry&) {}

    /** A preset the job has finished with, after its retries: its slot, its name (a save) or
        its file (a send), and its outcome. Done (0 or above) only when its file is on disk or
        its slot written and acknowledged; TransferResult::cancelled when the job was ended
        before it was, fileUnreadable for a send's file that could not be read. A preset skipped
        by an answer, or refused as a file the device cannot take, is not reported.
    */
    virtual void presetDone (int /*slot*/, const juce::String& /*nameOrFile*/, int /*result*/) {}

    /** The version of a preset file a send has read. */
    virtual void presetFileVersionRead (juce::int16) {}

    /** A preset a ReadWhole job has read whole, after its retries. */
    virtual void wholePresetRead (const PresetData&) {}
};
