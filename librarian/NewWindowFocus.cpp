#include "librarian/NewWindowFocus.h"

#if JUCE_LINUX || JUCE_BSD
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace
{
    juce::ComponentPeer* ownerPeerFor (juce::Component& window, juce::Component* owner)
    {
        auto* ownerWindow =
            owner != nullptr
                ? owner->getTopLevelComponent()
                : static_cast<juce::Component*> (juce::TopLevelWindow::getActiveTopLevelWindow());

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
