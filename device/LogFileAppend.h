#pragma once

#include <juce_core/juce_core.h>

/** Appends one line to a log file that several processes may write at once (the librarian, the
    demo, command lines), so that no line is lost, cut or mixed with another.

    The line goes out in one write to a file opened for appending, which the system places
    whole at the end whoever else appends. Before it, a file lock held only for that moment makes
    the size check and the roll-over one step: when the line would take the file past
    rollOverBytes, the file is renamed to olderFile (replacing the one before) and a new one is
    begun. A writer that opened the file just before another rolled it over notices, and opens
    the new one. Returns whether the line was written.

    The one place of the platform's file calls for the log; any thread.
*/
bool appendLogLine (const juce::File& logFile, const juce::String& line, juce::int64 rollOverBytes,
                    const juce::File& olderFile);
