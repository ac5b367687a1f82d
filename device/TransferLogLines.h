#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** One line of the transfer log read back: the fields TransferLog wrote, by name.

    A line the program did not write that way (cut short by a crash, edited by hand, from an
    older version) is still kept, whole, as its raw text: reading a log never drops a line.
*/
struct TransferLogLine
{
    juce::String time, job, exchange, slot, file, attempt, outcome, duration;

    /** For a failed exchange, the frames sent and received around the failure, oldest first. */
    juce::StringArray frames;

    /** The line as it stands in the file, without its line end. */
    juce::String raw;

    /** Whether the line had the fields the log writes. */
    bool wellFormed = false;

    /** An exchange or a job that did not end "done": a failure, a time-out, a cancel. A note
        (a saved file whose folder could not be synced) is not one: its exchange was done.
    */
    bool isFailure() const;
};

/** Reads one line of the transfer log. */
TransferLogLine parseTransferLogLine (const juce::String& line);

/** Reads every line of a transfer log's text, in order; empty lines are passed over. */
std::vector<TransferLogLine> parseTransferLog (const juce::String& text);
