#include "cli/ConsoleJobHost.h"

#include "device/TransferJob.h"

namespace
{
    constexpr int barWidth = 30;
    constexpr int pauseStepMs = 20;

    juce::String twoDigits (int slot)
    {
        return juce::String (slot).paddedLeft ('0', 2);
    }

    // Moves to the start of the line and clears it: what the bar is redrawn over, or wiped with.
    constexpr const char* clearLine = "\r\x1b[K";
}

juce::String ConsoleJobHost::quotedIfNeeded (const juce::String& name)
{
    // A name is one field of a tab-separated line: a tab, a line break or a quote in it would
    // split the line or make it ambiguous, so such a name is quoted with C-style escapes.
    if (! name.containsAnyOf ("\t\n\r\"\\"))
        return name;

    return "\"" +
           name.replace ("\\", "\\\\")
               .replace ("\"", "\\\"")
               .replace ("\t", "\\t")
               .replace ("\n", "\\n")
               .replace ("\r", "\\r") +
           "\"";
}

ConsoleJobHost::ConsoleJobHost (std::ostream& o, std::ostream& e, bool terminal,
                                const std::atomic<bool>& stop)
    : out (o), err (e), errIsTerminal (terminal), interrupted (stop)
{
}

void ConsoleJobHost::beginJob (const juce::String& jobVerb, bool overwrite, bool results)
{
    verb = jobVerb;
    overwriteFiles = overwrite;
    printResults = results;
    ended = false;
    fraction = 0.0;
    succeeded = failed = 0;
    failure.clear();
    status.clear();
    pace.clear();
}

void ConsoleJobHost::pauseJob (int ms)
{
    // In steps, so that Ctrl+C ends a pause at once.
    for (auto left = ms; left > 0 && ! jobShouldEnd(); left -= pauseStepMs)
        juce::Thread::sleep (juce::jmin (left, pauseStepMs));
}

void ConsoleJobHost::showJobStatus (const juce::String& newStatus, const juce::String& newPace)
{
    status = newStatus;
    pace = newPace;
    drawBar();
}

void ConsoleJobHost::showJobProgress (double newFraction)
{
    fraction = newFraction;
    drawBar();
}

void ConsoleJobHost::drawBar()
{
    if (! errIsTerminal || pace.isEmpty())
        return;

    const auto filled = juce::jlimit (0, barWidth, juce::roundToInt (fraction * barWidth));
    const auto line = "[" + juce::String::repeatedString ("#", filled) +
                      juce::String::repeatedString (" ", barWidth - filled) + "] " + verb + " " + pace;

    // \r and the clearing of the rest of the line redraw the bar in place.
    err << "\r" << line.toStdString() << "\x1b[K" << std::flush;
    barShown = true;
}

void ConsoleJobHost::finishProgress()
{
    // Standard output and error are mostly the same terminal: a line printed after the bar must
    // not start in its middle, and a finished job leaves no bar behind.
    if (barShown)
        err << clearLine << std::flush;

    barShown = false;
}

int ConsoleJobHost::ask (const TransferQuestion& question)
{
    if (question.kind == TransferQuestion::Kind::warning)
    {
        // A file the job refuses (another format, values the wire cannot carry): it is not sent.
        finishProgress();
        err << "tonarel: "
            << (question.title.isEmpty() ? juce::String() : question.title + ": ").toStdString()
            << question.message.toStdString() << std::endl;
        ++failed;
        return question.buttons.back().value;
    }

    // A restore overwrites the slots it was asked to; a backup keeps existing files unless told.
    if (question.kind == TransferQuestion::Kind::fileExists)
        return (overwriteFiles ? TransferQuestion::overwriteFile : TransferQuestion::createCopy) +
               TransferQuestion::applyToAllBonus;

    return TransferQuestion::overwriteSlot + TransferQuestion::applyToAllBonus;
}

void ConsoleJobHost::presetDone (int slot, const juce::String& nameOrFile, int result)
{
    const auto word = TransferJobOutcome::wordFor (result);
    const auto name = quotedIfNeeded (nameOrFile);

    if (result >= 0)
        ++succeeded;
    else
    {
        ++failed;

        // The slot a job stopped at; a file that could not be read stops nothing.
        if (result != TransferResult::fileUnreadable)
            failure = "slot " + juce::String (slot) + " (" + name + "): " + word;
    }

    if (! errIsTerminal)
        err << verb << " slot " << slot << ": " << word << std::endl;

    if (! printResults)
        return;

    // The bar is drawn again at the next status; the result line stands alone meanwhile.
    finishProgress();
    out << twoDigits (slot) << "\t" << name << "\t" << word << std::endl;
}
