#include "device/TransferLog.h"

#include "device/LogFileAppend.h"

namespace
{
    juce::String fieldOrDash (const juce::String& text)
    {
        // A tab or a line end inside a field would break the line into others.
        const auto field = text.replaceCharacters ("\t\r\n", "   ").trim();
        return field.isEmpty() ? juce::String ("-") : field;
    }

    juce::String secondsText (double seconds)
    {
        return juce::String (seconds, 3) + " s";
    }
}

TransferLog::TransferLog (const juce::File& logFile, juce::int64 rollOver)
    : file (logFile), rollOverBytes (rollOver)
{
}

juce::File TransferLog::olderFileOf (const juce::File& logFile)
{
    return logFile.getSiblingFile (logFile.getFileName() + ".1");
}

void TransferLog::logAttempt (const Attempt& attempt)
{
    append ({ attempt.job, attempt.exchange, attempt.slot > 0 ? juce::String (attempt.slot) : juce::String(),
              attempt.fileName, juce::String (attempt.attempt), attempt.outcome,
              secondsText (attempt.seconds), attempt.frames.joinIntoString (" | ") });
}

void TransferLog::logJob (const juce::String& job, int presets, const juce::String& outcome, double seconds)
{
    append ({ job, "job", juce::String(), juce::String (presets) + (presets == 1 ? " preset" : " presets"),
              juce::String(), outcome, secondsText (seconds), juce::String() });
}

void TransferLog::logNote (const juce::String& job, const juce::String& exchange, int slot,
                           const juce::String& fileName, const juce::String& note)
{
    append ({ job, exchange, slot > 0 ? juce::String (slot) : juce::String(), fileName, juce::String(), note,
              juce::String(), juce::String() });
}

void TransferLog::append (juce::StringArray fields)
{
    for (auto& field : fields)
        field = fieldOrDash (field);

    // The frames are the last field and only a failure has them.
    if (fields[fields.size() - 1] == "-")
        fields.remove (fields.size() - 1);

    const auto now = juce::Time::getCurrentTime();
    fields.insert (0, now.formatted ("%Y-%m-%d %H:%M:%S.") +
                          juce::String (now.getMilliseconds()).paddedLeft ('0', 3));

    const auto line = fields.joinIntoString ("\t") + "\n";

    // Other processes may append to the same file at the same moment; see appendLogLine.
    appendLogLine (file, line, rollOverBytes, olderFileOf (file));
}
