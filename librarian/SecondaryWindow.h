#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/NewWindowFocus.h"

/** What the program's secondary windows (the transfer log, a comparison) have in common: a
    resizable window with the desktop's title bar that shows a view it does not own, is placed
    centred over another window the first time it is shown, comes to the front with the keyboard
    whenever it is shown, and only hides when it is closed (or Escape is pressed in it), to be
    shown again.

    While it has the keyboard focus the framework looks for the target of a command from here: the
    window hands every command on to the target a derived window names, so the main window's menus
    keep working. The derived window owns the view and takes it out of the window as it goes.
    Message thread only.
*/
class SecondaryWindow : public juce::DocumentWindow, public juce::ApplicationCommandTarget
{
public:
    void closeButtonPressed() override;

    /** Escape closes the window, as its close button does. */
    bool keyPressed (const juce::KeyPress& key) override;

    void getAllCommands (juce::Array<juce::CommandID>&) override {}
    void getCommandInfo (juce::CommandID, juce::ApplicationCommandInfo&) override {}
    bool perform (const InvocationInfo&) override { return false; }

protected:
    explicit SecondaryWindow (const juce::String& title);

    /** Puts the view into the window, which may not be made smaller than the given size. Called
        by the derived window's constructor once its view exists.
    */
    void holdView (juce::Component& view, int minimumWidth, int minimumHeight);

    /** Where a window shown again goes. */
    enum class Placement
    {
        whereTheUserLeftIt,
        centredEveryTime
    };

    /** Shows the window in front over owner, with the keyboard; the first time it is placed
        centred around placeAround, at the given size, and later as placement says (at the size
        the user left it).
    */
    void showInFrontOf (juce::Component& placeAround, juce::Component& owner, int width, int height,
                        Placement placement = Placement::whereTheUserLeftIt);

    /** Called as the window becomes visible, before it comes to the front. */
    virtual void becomingVisible() {}

private:
    NewWindowFocus::KeyboardClaim keyboardClaim { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SecondaryWindow)
};
