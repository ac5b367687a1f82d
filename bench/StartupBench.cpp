#include "bench/StartupBench.h"

#include "app/AppInfo.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

namespace
{
    constexpr double giveUpAfterMs = 120000.0;

    /** A connection to the X display that hears of every top-level window being mapped or
        unmapped, the moment the server does it: polling with a tool would add its own tens of
        milliseconds to every time measured.
    */
    class WindowWatcher
    {
    public:
        WindowWatcher() : display (XOpenDisplay (nullptr))
        {
            if (display != nullptr)
            {
                XSelectInput (display, DefaultRootWindow (display), SubstructureNotifyMask);
                XSync (display, False);
            }
        }

        ~WindowWatcher()
        {
            if (display != nullptr)
                XCloseDisplay (display);
        }

        bool isOpen() const noexcept { return display != nullptr; }

        struct Change
        {
            bool mapped = false;
            Window window = 0;
            juce::String title;
        };

        /** The next map or unmap of a top-level window, waiting up to timeOutMs. */
        bool next (Change& change, int timeOutMs)
        {
            for (;;)
            {
                while (XPending (display) > 0)
                {
                    XEvent event;
                    XNextEvent (display, &event);

                    if (event.type == MapNotify || event.type == UnmapNotify)
                    {
                        change.mapped = event.type == MapNotify;
                        change.window = change.mapped ? event.xmap.window : event.xunmap.window;
                        change.title = change.mapped ? titleOf (change.window) : juce::String();
                        return true;
                    }
                }

                pollfd connection { ConnectionNumber (display), POLLIN, 0 };

                if (poll (&connection, 1, timeOutMs) <= 0)
                    return false;
            }
        }

    private:
        static int ignoreError (Display*, XErrorEvent*) { return 0; }

        juce::String titleOf (Window window)
        {
            // A window may be gone again by the time it is asked for its title; the default
            // handler would end the process for that.
            const auto previousHandler = XSetErrorHandler (ignoreError);
            XTextProperty property {};
            const auto found = XGetWMName (display, window, &property) != 0 && property.value != nullptr;
            XSync (display, False);
            XSetErrorHandler (previousHandler);

            if (! found)
                return {};

            const juce::String title (juce::CharPointer_UTF8 (reinterpret_cast<const char*> (property.value)));
            XFree (property.value);
            return title;
        }

        Display* display;
    };
} // namespace

StartupTimes measureStartup (const juce::File& demoExecutable)
{
    StartupTimes times;
    WindowWatcher watcher;

    if (! watcher.isOpen())
        return times;

    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("tonarel-bench-home", "");
    home.createDirectory();

    juce::ChildProcess demo;
    const auto started = juce::Time::getMillisecondCounterHiRes();

    if (! demo.start (
            juce::StringArray { "env", "HOME=" + home.getFullPathName(), demoExecutable.getFullPathName() },
            0))
        return times;

    // The progress window carries the panel's name; the main window adds the version to it.
    const juce::String windowTitlePrefix (AppInfo::windowTitlePrefix);
    const juce::String progressTitle ("Tonarel Librarian");
    Window progressWindow = 0;

    while (juce::Time::getMillisecondCounterHiRes() - started < giveUpAfterMs && demo.isRunning())
    {
        WindowWatcher::Change change;

        if (! watcher.next (change, 100))
            continue;

        const auto now = juce::Time::getMillisecondCounterHiRes() - started;

        if (change.mapped && times.windowMs < 0.0 && change.title.startsWith (windowTitlePrefix))
            times.windowMs = now;

        if (change.mapped && times.progressWindowMs < 0.0 && change.title == progressTitle)
        {
            times.progressWindowMs = now;
            progressWindow = change.window;
        }

        if (! change.mapped && progressWindow != 0 && change.window == progressWindow)
        {
            times.panelMs = now;
            break;
        }
    }

    demo.kill();
    home.deleteRecursively();
    return times;
}
