#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Lets a window the user opens take the keyboard as it appears.

    A window manager that prevents focus stealing (openbox does) gives a new window the keyboard
    only when the user has not been working in another window since, or when the new window is a
    relative of the focused one. Choosing the menu item that opens a window is such work, and the
    framework names no relative on X11; its own grab of the focus, made as it asks for the window
    to be shown, goes nowhere while the window manager has not yet framed and mapped it. So the
    new window is named a transient of the window it opens over: then the window manager focuses
    it itself, every time, and keeps it above its owner. Where windows have no such hint this
    does nothing.
*/
namespace NewWindowFocus
{
    /** Names owner's top-level window as window's owner. Call it once window is on the desktop
        and before it is made visible; with no owner, the active top-level window is taken.
    */
    void openOver (juce::Component& window, juce::Component* owner = nullptr);

    /** Brings a window just shown back to the front, with the keyboard, when it lost it in the
        moment after it appeared.

        Choosing a menu item hands the keyboard back to the window the menu belongs to as the menu
        closes, and the window manager reports that window's focus only after the new window has
        been shown; the framework then takes the keyboard for the old window again, without asking
        the window manager. So for a short while after it is shown, the new window takes it back,
        and then leaves the user's later choices alone. Owned by the window it watches.
    */
    class KeyboardClaim final : private juce::Timer
    {
    public:
        explicit KeyboardClaim (juce::Component& windowToWatch) : window (windowToWatch) {}

        /** Call after the window was shown and brought to the front. */
        void start();

    private:
        void timerCallback() override;

        juce::Component& window;
        double startedAtMs = 0.0;
    };
} // namespace NewWindowFocus
