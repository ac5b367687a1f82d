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
    headers.clear();
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
    if (barShown)
        err << "\n" << std::flush;

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

void ConsoleJobHost::presetHeaderRead (const DevicePresetEntry& header)
{
    if (header.number > 0)
        headers.add (header);
}

void ConsoleJobHost::presetDone (int slot, const juce::String& nameOrFile, int result)
{
    const auto word = TransferJobOutcome::wordFor (result);

    if (result >= 0)
        ++succeeded;
    else
    {
        ++failed;
        failure = "slot " + juce::String (slot) + " (" + nameOrFile + "): " + word;
    }

    if (! errIsTerminal)
        err << verb << " slot " << slot << ": " << word << std::endl;

    if (printResults)
        out << twoDigits (slot) << "\t" << nameOrFile << "\t" << word << std::endl;
}
