#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Keeps the windows repainting when the Windows build runs under Wine.

    JUCE's Windows windows paint what changed only when the display's vertical blank comes round,
    and learn of it by waiting on DXGI's vblank. Wine does not implement that wait, so under Wine
    a window is drawn once and never again. Under Wine, then, a timer at the display's usual 60 Hz
    paints every window's pending changes itself; on Windows, and on Linux, this does nothing.
    Many Linux users run Windows librarians under Wine, so the Windows build is kept usable there.

    Owned by the application object for as long as it runs; message thread only.
*/
class WineRepaint final : private juce::Timer
{
public:
    WineRepaint();
    ~WineRepaint() override;

    /** True when the program is a Windows program running under Wine. */
    static bool isRunningUnderWine();

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WineRepaint)
};
