#include "app/DesktopDocuments.h"

#if JUCE_LINUX || JUCE_BSD
#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace
{
    /** The full path of an executable named program on the PATH, or an empty string. */
    juce::String findOnPath (const juce::String& program)
    {
        for (const auto& folder :
             juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("PATH", {}), ":", {}))
        {
            const auto candidate = juce::File::createFileWithoutCheckingPath (folder).getChildFile (program);

            if (folder.startsWithChar ('/') && candidate.existsAsFile() &&
                ::access (candidate.getFullPathName().toRawUTF8(), X_OK) == 0)
                return candidate.getFullPathName();
        }

        return {};
    }

    /** Runs an opener and tells whether it is showing the document: it ended in success, or is
        still running after graceMs.

        Between fork and exec only calls that are safe in the child of a threaded process are
        made; everything else is prepared beforehand.
    */
    bool runOpener (const juce::StringArray& arguments, int graceMs)
    {
        std::vector<std::string> strings;

        for (const auto& argument : arguments)
            strings.push_back (argument.toStdString());

        std::vector<char*> argv;

        for (auto& string : strings)
            argv.push_back (string.data());

        argv.push_back (nullptr);

        int statusPipe[2];

        if (::pipe2 (statusPipe, O_CLOEXEC) != 0)
            return false;

        const auto middle = ::fork();

        if (middle == 0)
        {
            ::close (statusPipe[0]);
            ::setsid();

            const auto opener = ::fork();

            if (opener == 0)
            {
                ::execv (argv[0], argv.data());
                ::_exit (127);
            }

            char shown = 'n';

            if (opener > 0)
            {
                shown = 'y';
                const timespec step { 0, 10 * 1000 * 1000 };

                for (int waitedMs = 0; waitedMs < graceMs; waitedMs += 10)
                {
                    int status = 0;

                    if (::waitpid (opener, &status, WNOHANG) == opener)
                    {
                        shown = WIFEXITED (status) && WEXITSTATUS (status) == 0 ? 'y' : 'n';
                        break;
                    }

                    ::nanosleep (&step, nullptr);
                }
            }

            [[maybe_unused]] const auto written = ::write (statusPipe[1], &shown, 1);
            ::_exit (0);
        }

        ::close (statusPipe[1]);
        char shown = 'n';

        if (middle > 0)
        {
            while (::read (statusPipe[0], &shown, 1) < 0 && errno == EINTR)
            {
            }

            while (::waitpid (middle, nullptr, 0) < 0 && errno == EINTR)
            {
            }
        }

        ::close (statusPipe[0]);
        return shown == 'y';
    }
} // namespace

bool openWithDesktop (const juce::File& document, int graceMs)
{
    const auto path = document.getFullPathName();

    const juce::StringArray openers[] = { { "xdg-open", path },
                                          { "gio", "open", path },
                                          { "x-www-browser", path } };

    for (auto opener : openers)
    {
        const auto program = findOnPath (opener[0]);

        if (program.isEmpty())
            continue;

        opener.set (0, program);

        if (runOpener (opener, graceMs))
            return true;
    }

    return false;
}

#else

bool openWithDesktop (const juce::File& document, int)
{
    // On Windows the shell opens it (ShellExecute): the path goes to it as a path, never through
    // a command interpreter, and it says at once when no program is registered for the type. A
    // folder opens in Explorer. macOS's framework call does the same through the workspace.
    return document.startAsProcess();
}

#endif
