#include "librarian/NewWindowFocus.h"

#if JUCE_LINUX || JUCE_BSD
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace
{
    /** The window shown in front of the others but the new one: the one the user was working
        in, also in the moment after a menu has closed, when none is active yet.
    */
    juce::Component* frontWindowBut (juce::Component& window)
    {
        if (auto* active = juce::TopLevelWindow::getActiveTopLevelWindow();
            active != nullptr && active != &window)
            return active;

        auto& desktop = juce::Desktop::getInstance();

        // The desktop lists its windows from the back to the front.
        for (int i = desktop.getNumComponents(); --i >= 0;)
            if (auto* candidate = dynamic_cast<juce::TopLevelWindow*> (desktop.getComponent (i)))
                if (candidate != &window && candidate->isShowing())
                    return candidate;

        return nullptr;
    }

    juce::ComponentPeer* ownerPeerFor (juce::Component& window, juce::Component* owner)
    {
        auto* ownerWindow = owner != nullptr ? owner->getTopLevelComponent() : frontWindowBut (window);

        if (ownerWindow == nullptr || ownerWindow == &window)
            return nullptr;

        return ownerWindow->getPeer();
    }

#if JUCE_LINUX || JUCE_BSD
    /** A connection of our own to the X server: the framework keeps its own to itself. Window
        properties live in the server, so one set here is seen by the window manager as any other.
    */
    Display* displayConnection()
    {
        static const std::unique_ptr<Display, int (*) (Display*)> display { XOpenDisplay (nullptr),
                                                                            XCloseDisplay };
        return display.get();
    }
#endif
} // namespace

void NewWindowFocus::openOver (juce::Component& window, juce::Component* owner)
{
    auto* windowPeer = window.getPeer();
    auto* ownerPeer = ownerPeerFor (window, owner);

    if (windowPeer == nullptr || ownerPeer == nullptr)
        return;

#if JUCE_LINUX || JUCE_BSD
    if (auto* display = displayConnection())
    {
        XSetTransientForHint (display, (::Window) (juce::pointer_sized_uint) windowPeer->getNativeHandle(),
                              (::Window) (juce::pointer_sized_uint) ownerPeer->getNativeHandle());

        // In the server before the framework's own connection asks for the window to be mapped.
        XSync (display, False);
    }
#endif
}

//==============================================================================
namespace
{
    // Long enough for the window manager to have answered both windows' requests on a busy
    // machine, short enough that a user who turns to another window at once is not overruled.
    constexpr double claimMs = 1500.0;
    constexpr int claimLookMs = 50;
} // namespace

void NewWindowFocus::KeyboardClaim::start()
{
    startedAtMs = juce::Time::getMillisecondCounterHiRes();
    startTimer (claimLookMs);
}

void NewWindowFocus::KeyboardClaim::timerCallback()
{
    if (! window.isShowing() || juce::Time::getMillisecondCounterHiRes() - startedAtMs > claimMs)
    {
        stopTimer();
        return;
    }

    if (auto* peer = window.getPeer(); peer != nullptr && ! peer->isFocused())
        window.toFront (true);
}
