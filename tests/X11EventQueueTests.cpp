// Events Xlib has read into its own queue, while it waited for the reply to a request, are still
// handled, though nothing more comes over the X connection to wake the message loop.

// Before Xlib's headers, whose macros (None, Bool) would rewrite its own.
#include <gtest/gtest.h>

// JUCE's X11 layer, to look into the queue it reads from; the headers shared by the other tests
// leave it out.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "app/X11EventQueueWatch.h"
#include "tests/TestHelpers.h"

namespace
{
    ::Display* juceDisplay()
    {
        return juce::XWindowSystem::getInstance()->getDisplay();
    }

    int eventsWaitingInXlibsQueue()
    {
        const juce::XWindowSystemUtilities::ScopedXLock xLock;
        return juce::X11Symbols::getInstance()->xEventsQueued (juceDisplay(), QueuedAlready);
    }

    /** Sends a window a message from a connection of its own, as another program does; once this
        returns the message is on its way to the window's owner.
    */
    void sendMessageTo (juce::ComponentPeer& peer)
    {
        auto* display = XOpenDisplay (nullptr);
        ASSERT_NE (display, nullptr);

        const auto window = (::Window) (juce::pointer_sized_uint) peer.getNativeHandle();
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom (display, "TONAREL_TEST_MESSAGE", False);
        event.xclient.format = 32;

        XSendEvent (display, window, False, NoEventMask, &event);
        XSync (display, False);
        XCloseDisplay (display);
    }
} // namespace

TEST (X11EventQueue, AnEventReadAlongWithAReplyIsHandledWithoutAnotherEventToWakeTheLoop)
{
    const X11EventQueueWatch watch;

    // Never shown: a window on screen would bring paint completions that wake the loop anyway.
    juce::Component window;
    window.setSize (200, 100);
    window.addToDesktop (juce::ComponentPeer::windowHasTitleBar);
    ASSERT_NE (window.getPeer(), nullptr);
    ASSERT_TRUE (dispatchMessagesUntil ([] { return eventsWaitingInXlibsQueue() == 0; }));

    sendMessageTo (*window.getPeer());

    // A pointer query, as the framework's timers make many times a second: Xlib reads the message
    // waiting ahead of the reply into its queue, and the connection has nothing more to read.
    juce::ComponentPeer::getCurrentModifiersRealtime();
    ASSERT_GT (eventsWaitingInXlibsQueue(), 0);

    EXPECT_TRUE (dispatchMessagesUntil ([] { return eventsWaitingInXlibsQueue() == 0; }, 10000));
}
