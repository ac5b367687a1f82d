#include "device/TransferLogLines.h"

namespace
{
    // time, job, exchange, slot, file, attempt, outcome, duration, and the frames of a failure.
    constexpr int fieldsWithoutFrames = 8, fieldsWithFrames = 9;

    // The separator TransferLog puts between the frames of one failure.
    constexpr auto frameSeparator = " | ";

    /** Splits at every occurrence of separator; consecutive ones give empty fields. */
    juce::StringArray splitAt (const juce::String& text, const juce::String& separator)
    {
        juce::StringArray parts;
        auto rest = text;

        for (auto at = rest.indexOf (separator); at >= 0; at = rest.indexOf (separator))
        {
            parts.add (rest.substring (0, at));
            rest = rest.substring (at + separator.length());
        }

        parts.add (rest);
        return parts;
    }

    /** The log's own time stamp, "YYYY-MM-DD hh:mm:ss.mmm". */
    bool isTimeStamp (const juce::String& field)
    {
        return field.length() == 23 && field[4] == '-' && field[7] == '-' && field[10] == ' ' &&
               field[13] == ':' && field[19] == '.' && field.containsOnly ("0123456789-: .");
    }

    /** A field the log wrote as "-" because it did not apply. */
    juce::String fieldValue (const juce::String& field)
    {
        return field == "-" ? juce::String() : field;
    }
}

bool TransferLogLine::isFailure() const
{
    if (! wellFormed)
        return false;

    // A job's line and each attempt carry an outcome word; a note has no attempt number.
    const auto hasOutcomeWord =
        exchange == "job" || (attempt.isNotEmpty() && attempt.containsOnly ("0123456789"));
    return hasOutcomeWord && outcome != "done";
}

TransferLogLine parseTransferLogLine (const juce::String& line)
{
    TransferLogLine parsed;
    parsed.raw = line.trimCharactersAtEnd ("\r\n");

    // The log never writes an empty field ("-" stands for one that does not apply), so an
    // empty one tells a line that is not the log's.
    const auto fields = splitAt (parsed.raw, "\t");

    if (fields.size() != fieldsWithoutFrames && fields.size() != fieldsWithFrames)
        return parsed;

    if (fields.contains ({}) || ! isTimeStamp (fields[0]))
        return parsed;

    parsed.time = fields[0];
    parsed.job = fieldValue (fields[1]);
    parsed.exchange = fieldValue (fields[2]);
    parsed.slot = fieldValue (fields[3]);
    parsed.file = fieldValue (fields[4]);
    parsed.attempt = fieldValue (fields[5]);
    parsed.outcome = fieldValue (fields[6]);
    parsed.duration = fieldValue (fields[7]);

    if (fields.size() == fieldsWithFrames)
        parsed.frames = splitAt (fields[8], frameSeparator);

    parsed.wellFormed = true;
    return parsed;
}

std::vector<TransferLogLine> parseTransferLog (const juce::String& text)
{
    std::vector<TransferLogLine> lines;

    for (const auto& line : juce::StringArray::fromLines (text))
        if (line.trim().isNotEmpty())
            lines.push_back (parseTransferLogLine (line));

    return lines;
}
