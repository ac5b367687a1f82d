#include "librarian/SecondaryWindow.h"

SecondaryWindow::SecondaryWindow (const juce::String& title)
    : juce::DocumentWindow (title, juce::Colours::lightgrey, DocumentWindow::closeButton, false)
{
    setUsingNativeTitleBar (true);
}

void SecondaryWindow::holdView (juce::Component& view, int minimumWidth, int minimumHeight)
{
    setContentNonOwned (&view, false);
    setResizable (true, false);
    setResizeLimits (minimumWidth, minimumHeight, 8000, 6000);
}

void SecondaryWindow::showInFrontOf (juce::Component& placeAround, juce::Component& owner, int width,
                                     int height, Placement placement)
{
    // Placed and sized before it first goes on the desktop: a window manager places a window as
    // it is first shown, and would take the size it had then.
    if (! isOnDesktop())
    {
        centreAroundComponent (&placeAround, width, height);
        addToDesktop();
    }
    else if (placement == Placement::centredEveryTime)
    {
        centreAroundComponent (&placeAround, getWidth(), getHeight());
    }

    NewWindowFocus::openOver (*this, &owner);
    setVisible (true);
    becomingVisible();
    toFront (true);
    keyboardClaim.start();
}

void SecondaryWindow::closeButtonPressed()
{
    setVisible (false);
}

bool SecondaryWindow::keyPressed (const juce::KeyPress& key)
{
    if (key != juce::KeyPress (juce::KeyPress::escapeKey))
        return juce::DocumentWindow::keyPressed (key);

    closeButtonPressed();
    return true;
}
