#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/HoverTooltips.h"
#include "app/TonarelLookAndFeel.h"
#include "librarian/AppServices.h"
#include "presets/LibrarianConfiguration.h"
#include "resources/Artwork.h"

class LibrarianSettings;
class PresetLibrarianManager;
class TonarelWindow;
class TransferLogWindow;

/** The main window's content: paints the background picture, hosts the page of
    the current command (the preset librarian) over its whole area, and is the
    program's menu bar model and command target.

    The two ticked items of the Functions menu read and write the librarian
    panel's settings, and are greyed while there is no panel; "Compare Device
    with Folder" is the panel's, greyed while the device is not connected. The transfer log's
    window is its own and lives as long as the content does.

    Owned by TonarelWindow. Installs its TonarelLookAndFeel as the framework's
    default for its whole life, so every component and box of the program is
    drawn by it; only the menus keep the framework's stock look.
*/
class ContentComp final : public juce::Component,
                          public juce::MenuBarModel,
                          public juce::ApplicationCommandTarget
{
public:
    ContentComp (TonarelWindow& ownerWindow, AppServices& services);
    ~ContentComp() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex (int menuIndex, const juce::String& menuName) override;
    void menuItemSelected (int menuItemID, int topLevelMenuIndex) override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const InvocationInfo& info) override;

    /** The page shown over the content, or nullptr before the first command has run. */
    juce::Component* getCurrentPage() const noexcept { return currentPage.get(); }
    juce::CommandID getCurrentCommand() const noexcept { return currentCommand; }

    /** The transfer log's window, or nullptr until "Show Transfer Log" has first been chosen. */
    TransferLogWindow* getTransferLogWindow() const noexcept { return transferLogWindow.get(); }

    /** The program is asked to close: the librarian decides when quitNow is called (see
        PresetLibrarianManager::closeRequested); with no librarian it is called at once.
    */
    void closeRequested (std::function<void()> quitNow);

    /** The size of the background picture: beyond it the content paints nothing. */
    static constexpr int backgroundWidth = 1356, backgroundHeight = 836;

private:
    void createLibrarianPage();
    void showPage (std::unique_ptr<juce::Component> page);
    void openHelpFile();
    void showTransferLog();
    void openLibrarianFolder();
    void showAbout();

    /** "Show Only Differing" and "New Set…", which act on the librarian panel. */
    void getSetsAndDifferencesInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result);
    bool performSetsAndDifferences (juce::CommandID commandID);

    /** "Compare Device with Folder", "Swap Two Slots" and "Undo Last Load", run by the panel. */
    bool performOnLibrarian (juce::CommandID commandID);

    /** Ticks or unticks one of the Functions menu's choices. */
    bool toggleLibrarianSetting (juce::CommandID commandID);

    /** The settings of the librarian panel on show, or nullptr when there is none. */
    LibrarianSettings* getLibrarianSettings() const;

    /** The librarian panel on show, or nullptr when there is none. */
    PresetLibrarianManager* getLibrarian() const;

    TonarelWindow& ownerWindow;
    AppServices& services;
    const LibrarianConfiguration configuration;
    TonarelLookAndFeel lookAndFeel;
    juce::LookAndFeel_V2 menuLookAndFeel;
    std::unique_ptr<juce::Component> currentPage;
    juce::CommandID currentCommand = 0;
    std::unique_ptr<HoverTooltips> tooltips;
    std::unique_ptr<TransferLogWindow> transferLogWindow;
    Artwork::ScaledPicture backgroundImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ContentComp)
};
