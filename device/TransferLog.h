#pragma once

#include <juce_core/juce_core.h>

/** The record of what the librarian did with the device: one line per job and one per exchange
    attempt, appended to a text file, so that a transfer that failed can be understood afterwards.

    A line is tab-separated: time, job, exchange, slot, file, attempt, outcome, duration, and for
    a failed attempt the frames around the failure. Fields that do not apply hold "-". The file
    rolls over when it would grow past its limit: it becomes the one older file (its name with
    ".1" added), replacing the one before.

    Writing never fails a transfer: a log that cannot be written is left behind without a word.
    Several processes may write one file at once (the librarian, the demo, command lines): each
    line arrives whole and none is lost. Each object is used by one thread at a time.
*/
class TransferLog
{
public:
    static constexpr juce::int64 defaultRollOverBytes = 1024 * 1024;

    explicit TransferLog (const juce::File& logFile, juce::int64 rollOverBytes = defaultRollOverBytes);

    /** One exchange with the device. */
    struct Attempt
    {
        juce::String job;      // the command, e.g. "Load To"
        juce::String exchange; // "read", "read name", "send", "snapshot" or "verify"
        int slot = 0;
        juce::String fileName; // empty when no file takes part
        int attempt = 1;       // 1 for the first try, 2 to 4 for the retries
        juce::String outcome;  // "done" or the outcome word a failure shows
        double seconds = 0.0;
        juce::StringArray frames; // for a failure: the last frames sent and received
    };

    void logAttempt (const Attempt& attempt);

    /** The end of a job: how many presets it covered and how it ended. */
    void logJob (const juce::String& job, int presets, const juce::String& outcome, double seconds);

    /** Something the user may want to know about an exchange that did not fail it, such as a
        saved file whose folder could not be flushed to the disk.
    */
    void logNote (const juce::String& job, const juce::String& exchange, int slot,
                  const juce::String& fileName, const juce::String& note);

    const juce::File& getFile() const noexcept { return file; }

    /** Where the file goes when it rolls over. */
    static juce::File olderFileOf (const juce::File& logFile);

private:
    void append (juce::StringArray fields);

    juce::File file;
    juce::int64 rollOverBytes;
};
