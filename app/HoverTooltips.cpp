#include "app/HoverTooltips.h"

HoverTooltips::HoverTooltips (juce::Component& watchedContent, int millisecondsBeforeTipAppears)
    : content (watchedContent), delayMs (millisecondsBeforeTipAppears)
{
    content.addMouseListener (this, true);
}

HoverTooltips::~HoverTooltips()
{
    content.removeMouseListener (this);
    deactivate();
}

void HoverTooltips::mouseExit (const juce::MouseEvent& event)
{
    // Moving from one child to the next also leaves a component; only leaving the window counts.
    if (! content.getScreenBounds().contains (event.getScreenPosition()))
        deactivate();
}

void HoverTooltips::activate()
{
    if (tooltipWindow == nullptr)
        tooltipWindow = std::make_unique<juce::TooltipWindow> (nullptr, delayMs);

    startTimer (restingTimeOutMs);
}

void HoverTooltips::deactivate()
{
    stopTimer();
    tooltipWindow.reset();
}
