// The console: the Linux and Windows halves side by side.

#include "cli/Console.h"

#include <csignal>
#include <cstdio>

#if defined(_WIN32)
#include "presets/WindowsApi.h"

// After windows.h, which these need.
#include <io.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace
{
    std::atomic<bool>* interruptFlag = nullptr;

    extern "C" void interruptJob (int)
    {
        // Only a lock-free atomic store is safe in a signal handler; the job looks at it often.
        if (auto* flag = interruptFlag)
            flag->store (true);
    }

#if defined(_WIN32)
    /** Windows calls this on a thread of its own. A closed console ends the program once this
        returns, so it waits a little for the job to end at its next look; Ctrl+C goes on to the
        C library's handler.
    */
    BOOL WINAPI interruptOnConsoleEvent (DWORD event)
    {
        if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT)
            return FALSE;

        interruptJob (0);
        Sleep (2000);
        return TRUE;
    }
#endif
} // namespace

#if defined(_WIN32)

juce::StringArray Console::arguments (int, char*[])
{
    SetConsoleOutputCP (CP_UTF8);
    juce::StringArray result;
    int count = 0;

    if (auto** wide = CommandLineToArgvW (GetCommandLineW(), &count))
    {
        for (int i = 1; i < count; ++i)
            result.add (juce::String (wide[i]));

        LocalFree (wide);
    }

    return result;
}

void Console::interruptOnSignals (std::atomic<bool>& flag)
{
    interruptFlag = &flag;
    std::signal (SIGINT, interruptJob);
    std::signal (SIGTERM, interruptJob);
    std::signal (SIGBREAK, interruptJob);
    SetConsoleCtrlHandler (interruptOnConsoleEvent, TRUE);
}

void Console::stopInterrupting()
{
    SetConsoleCtrlHandler (interruptOnConsoleEvent, FALSE);
    interruptFlag = nullptr;
}

bool Console::standardErrorIsTerminal()
{
    return _isatty (_fileno (stderr)) != 0;
}

#else

juce::StringArray Console::arguments (int argc, char* argv[])
{
    juce::StringArray result;

    for (int i = 1; i < argc; ++i)
        result.add (juce::String::fromUTF8 (argv[i]));

    return result;
}

void Console::interruptOnSignals (std::atomic<bool>& flag)
{
    interruptFlag = &flag;
    // A closed terminal ends a job as Ctrl+C does: at its next look, with what it did reported.
    std::signal (SIGINT, interruptJob);
    std::signal (SIGTERM, interruptJob);
    std::signal (SIGHUP, interruptJob);
}

void Console::stopInterrupting()
{
    interruptFlag = nullptr;
}

bool Console::standardErrorIsTerminal()
{
    return ::isatty (STDERR_FILENO) != 0;
}

#endif
