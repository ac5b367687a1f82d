#pragma once

#include "device/TransferJobHost.h"

#include <atomic>
#include <ostream>

/** The command line as the host of a transfer job: it answers the job's questions from its
    options, shows the progress on standard error (a bar on a terminal, a line per preset
    otherwise) and puts each preset's result on standard output.

    The job runs on the thread that runs the command line; only interrupted is set from
    elsewhere (the signal handler).
*/
class ConsoleJobHost final : public TransferJobHost
{
public:
    ConsoleJobHost (std::ostream& out, std::ostream& err, bool errIsTerminal,
                    const std::atomic<bool>& interrupted);

    /** Begins a job whose file questions are answered "Overwrite" (or "Create Copy") and whose
        slot questions "Overwrite", with Apply To All; printResults puts each preset on stdout.
    */
    void beginJob (const juce::String& verb, bool overwriteFiles, bool printResults);

    void endJob() override { ended = true; }

    /** Clears the progress bar's line, if one is drawn. */
    void finishProgress();

    /** A name as one field of a result line: quoted, with C-style escapes, when it holds a tab,
        a line break, a quote or a backslash.
    */
    static juce::String quotedIfNeeded (const juce::String& name);

    bool jobShouldEnd() override { return ended || interrupted.load(); }
    void pauseJob (int ms) override;
    void showJobStatus (const juce::String& status, const juce::String& pace) override;
    void showJobProgress (double fraction) override;
    int ask (const TransferQuestion& question) override;
    void presetDone (int slot, const juce::String& nameOrFile, int result) override;

    /** Presets that succeeded, and presets that failed or were refused, in this job. */
    int getSucceeded() const noexcept { return succeeded; }
    int getFailed() const noexcept { return failed; }

    /** The slot the job stopped at and why, when a preset failed. */
    juce::String getFailure() const { return failure; }

private:
    void drawBar();

    std::ostream& out;
    std::ostream& err;
    const bool errIsTerminal;
    const std::atomic<bool>& interrupted;

    juce::String verb, status, pace, failure;
    bool overwriteFiles = false, printResults = false, ended = false, barShown = false;
    double fraction = 0.0;
    int succeeded = 0, failed = 0;
};
