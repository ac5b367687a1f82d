#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

struct AppServices;

/** The program's single main window.

    Owns the program's ApplicationCommandManager and the content component
    (ContentComp), whose menus it shows as the window's menu bar. Created and
    owned by TonarelApplication.
*/
class TonarelWindow final : public juce::DocumentWindow
{
public:
    explicit TonarelWindow (AppServices& services);
    ~TonarelWindow() override;

    void closeButtonPressed() override;

    /** The program is asked to close; quitNow is called when it may (see ContentComp). */
    void closeRequested (std::function<void()> quitNow);

    juce::ApplicationCommandManager& getCommandManager() noexcept { return *commandManager; }

    static constexpr juce::uint32 backgroundArgb = 0xff918f8f;
    static constexpr int minimumWidth = 800, minimumHeight = 600;
    static constexpr int maximumWidth = 8000, maximumHeight = 6000;

private:
    std::unique_ptr<juce::ApplicationCommandManager> commandManager;
    juce::Image windowIconImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TonarelWindow)
};
