// Xlib's own headers and JUCE's X11 layer are needed to look into the queue; they stay in here.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "app/X11EventQueueWatch.h"

#include <juce_gui_basics/juce_gui_basics.h>

#if JUCE_LINUX || JUCE_BSD
 #include <juce_events/native/juce_linux_EventLoopInternal.h>

X11EventQueueWatch::X11EventQueueWatch()
{
    startTimerHz (60);
}

void X11EventQueueWatch::timerCallback()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;

    if (display == nullptr)
        return;

    auto& x11 = *juce::X11Symbols::getInstance();
    int queued = 0;

    {
        const juce::XWindowSystemUtilities::ScopedXLock xLock;
        queued = x11.xEventsQueued (display, QueuedAlready);
    }

    // What JUCE runs when the socket has data: it handles every event Xlib holds.
    if (queued > 0)
        juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (x11.xConnectionNumber (display));
}

#else

X11EventQueueWatch::X11EventQueueWatch() = default;

void X11EventQueueWatch::timerCallback() {}

#endif

X11EventQueueWatch::~X11EventQueueWatch()
{
    stopTimer();
}
