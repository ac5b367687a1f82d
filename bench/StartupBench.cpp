#include "bench/StartupBench.h"

#include "app/AppInfo.h"

namespace
{
    /** Whether a window whose title matches the pattern is mapped on the display. */
    bool windowIsShown (const juce::String& titlePattern)
    {
        juce::ChildProcess search;
        return search.start (
                   juce::StringArray { "xdotool", "search", "--onlyvisible", "--name", titlePattern }, 0) &&
               search.waitForProcessToFinish (5000) && search.getExitCode() == 0;
    }

    constexpr double giveUpAfterMs = 120000.0;
} // namespace

StartupTimes measureStartup (const juce::File& demoExecutable)
{
    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("tonarel-bench-home", "");
    home.createDirectory();

    StartupTimes times;
    juce::ChildProcess demo;
    const auto started = juce::Time::getMillisecondCounterHiRes();

    if (! demo.start (
            juce::StringArray { "env", "HOME=" + home.getFullPathName(), demoExecutable.getFullPathName() },
            0))
        return times;

    const auto windowTitle = "^" + juce::String (AppInfo::windowTitlePrefix);

    // The progress window carries the panel's name; the main window adds the version to it.
    const juce::String progressTitle = "^Tonarel Librarian$";

    while (juce::Time::getMillisecondCounterHiRes() - started < giveUpAfterMs && demo.isRunning())
    {
        const auto progressShown = windowIsShown (progressTitle);
        const auto now = juce::Time::getMillisecondCounterHiRes() - started;

        if (times.windowMs < 0.0 && windowIsShown (windowTitle))
            times.windowMs = now;

        if (times.progressWindowMs < 0.0 && progressShown)
            times.progressWindowMs = now;

        if (times.progressWindowMs >= 0.0 && ! progressShown)
        {
            times.panelMs = now;
            break;
        }
    }

    demo.kill();
    home.deleteRecursively();
    return times;
}
