#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The program's tooltips, shown for the components of one window only while the pointer moves
    over it.

    JUCE's TooltipWindow looks for the component under the pointer eight times a second, and its
    global mouse listener makes the desktop look for pointer moves ten times a second, for as long
    as it exists: a window sitting untouched would wake the program many times a second for
    nothing. So the TooltipWindow is made when the pointer enters or moves over the window, and
    let go once the pointer has left it or rested long enough for any tip to have been read.

    Owned by the window's content component, which it listens to.
*/
class HoverTooltips final : private juce::MouseListener, private juce::Timer
{
public:
    HoverTooltips (juce::Component& watchedContent, int millisecondsBeforeTipAppears);
    ~HoverTooltips() override;

    /** True while the TooltipWindow exists, so that tips can appear. */
    bool isActive() const noexcept { return tooltipWindow != nullptr; }

    /** How long the pointer may rest before the TooltipWindow is let go. */
    static constexpr int restingTimeOutMs = 5000;

private:
    void mouseEnter (const juce::MouseEvent&) override { activate(); }
    void mouseMove (const juce::MouseEvent&) override { activate(); }
    void mouseExit (const juce::MouseEvent& event) override;
    void timerCallback() override { deactivate(); }

    void activate();
    void deactivate();

    juce::Component& content;
    const int delayMs;
    std::unique_ptr<juce::TooltipWindow> tooltipWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HoverTooltips)
};
