#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

/** The terminal or console the command line runs in: the arguments it was given, whether its
    messages reach a person, and how it tells the program to stop.

    A job is ended as Ctrl+C ends it, at its next look with what it did reported, also when the
    terminal closes or the system asks the program to end. The Linux and Windows halves live side
    by side in the source file.
*/
namespace Console
{
    /** The program's arguments, without its own name, as the user typed them. On Windows the
        C library's argv holds them in the system's code page, which may lose characters of a
        path; they are taken from the system as UTF-16 there. Also makes the console show the
        program's UTF-8 output as such.
    */
    juce::StringArray arguments (int argc, char* argv[]);

    /** From now on Ctrl+C, a closed terminal or console, and a request to end set flag; until
        stopInterrupting. The flag must outlive that.
    */
    void interruptOnSignals (std::atomic<bool>& flag);

    /** The signals go back to ending the program at once. */
    void stopInterrupting();

    /** True when standard error is a terminal or console, so that progress may be drawn on it. */
    bool standardErrorIsTerminal();
}
