#include "app/ContentComp.h"

#include "app/AppInfo.h"
#include "app/CommandIds.h"
#include "app/LibrarianKeyCommands.h"
#include "app/TonarelWindow.h"
#include "app/TransferLogWindow.h"
#include "librarian/Dialogs.h"
#include "librarian/HelpDocuments.h"
#include "librarian/PresetLibrarianManager.h"
#include "resources/Artwork.h"

namespace
{
    constexpr int tooltipDelayMs = 700;
    constexpr auto helpFileName = "PresetLibrarianHelp.pdf";
}

ContentComp::ContentComp (TonarelWindow& owner, AppServices& appServices)
    : ownerWindow (owner), services (appServices),
      configuration (appServices.documentsFolder, appServices.edition)
{
    tooltips = std::make_unique<HoverTooltips> (*this, tooltipDelayMs);

    // Posted, not run: the librarian is built from the message loop once the
    // window is on screen, because its start-up may hold modal boxes.
    invokeDirectly (CommandIds::showPresetLibrarian, true);

    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    backgroundImage = Artwork::decodeScaled (Artwork::Picture::background);

    // The lists' menus show the keys of the commands their items stand for.
    services.dialogs.setMenuKeyTexts (
        [&commandManager = ownerWindow.getCommandManager()] (const juce::String& itemText) {
            return LibrarianKeyCommands::keyOfCommandNamed (commandManager, itemText)
                .getTextDescriptionWithIcons();
        });
}

ContentComp::~ContentComp()
{
    transferLogWindow.reset();
    services.dialogs.setMenuKeyTexts (nullptr);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    backgroundImage = {};
    currentPage.reset();
}

void ContentComp::paint (juce::Graphics& g)
{
    g.setFillType (backgroundImage.tiledFill (g, {}));
    g.fillRect (0, 0, backgroundWidth, backgroundHeight);
}

void ContentComp::resized()
{
    if (currentPage != nullptr)
        currentPage->setBounds (getLocalBounds());
}

juce::StringArray ContentComp::getMenuBarNames()
{
    return { "Functions", "Help" };
}

juce::PopupMenu ContentComp::getMenuForIndex (int menuIndex, const juce::String&)
{
    juce::PopupMenu menu;
    menu.setLookAndFeel (&menuLookAndFeel);

    auto& commandManager = ownerWindow.getCommandManager();

    if (menuIndex == 0)
    {
        menu.addCommandItem (&commandManager, CommandIds::showPresetLibrarian);
        menu.addCommandItem (&commandManager, CommandIds::compareDeviceWithFolder);
        menu.addCommandItem (&commandManager, CommandIds::showOnlyDiffering);
        menu.addSeparator();
        menu.addCommandItem (&commandManager, CommandIds::undoLastLoad);
        menu.addCommandItem (&commandManager, CommandIds::swapTwoSlots);
        menu.addCommandItem (&commandManager, CommandIds::newSet);
        menu.addSeparator();
        menu.addCommandItem (&commandManager, CommandIds::keepSnapshotBeforeLoading);
        menu.addCommandItem (&commandManager, CommandIds::verifyAfterLoading);
        menu.addSeparator();
        menu.addCommandItem (&commandManager, juce::StandardApplicationCommandIDs::quit);
    }
    else if (menuIndex == 1)
    {
        menu.addCommandItem (&commandManager, CommandIds::showHelp);
        menu.addCommandItem (&commandManager, CommandIds::showTransferLog);
        menu.addCommandItem (&commandManager, CommandIds::showAbout);
    }

    return menu;
}

void ContentComp::menuItemSelected (int, int)
{
    // Every item is a command item: the command manager dispatches it.
}

juce::ApplicationCommandTarget* ContentComp::getNextCommandTarget()
{
    return findFirstTargetParentComponent();
}

void ContentComp::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    commands.add (CommandIds::showPresetLibrarian, CommandIds::compareDeviceWithFolder,
                  CommandIds::undoLastLoad, CommandIds::keepSnapshotBeforeLoading,
                  CommandIds::verifyAfterLoading, CommandIds::showHelp, CommandIds::showTransferLog,
                  CommandIds::showAbout);
    commands.add (CommandIds::swapTwoSlots, CommandIds::showOnlyDiffering, CommandIds::newSet);
    LibrarianKeyCommands::addAll (commands);
}

void ContentComp::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    if (LibrarianKeyCommands::describe (commandID, result))
    {
        const auto* librarian = getLibrarian();
        result.setActive (librarian != nullptr &&
                          librarian->canRun (*LibrarianKeyCommands::find (commandID)));
        return;
    }

    if (commandID == CommandIds::showPresetLibrarian)
    {
        result.setInfo ("Preset Librarian", "Shows the preset librarian", " ", 0);
        result.setTicked (currentCommand == CommandIds::showPresetLibrarian);
    }
    else if (commandID == CommandIds::compareDeviceWithFolder)
    {
        const auto* librarian = getLibrarian();
        result.setInfo ("Compare Device with Folder",
                        "Reads every slot and marks those that differ from their files in the preset folder",
                        "Functions", 0);
        result.setActive (librarian != nullptr && librarian->isConnected());
    }
    else if (commandID == CommandIds::undoLastLoad)
    {
        const auto* librarian = getLibrarian();
        result.setInfo ("Undo Last Load", "Sends the snapshot of the last load back into the slots it wrote",
                        "Functions", 0);
        result.addDefaultKeypress ('z', juce::ModifierKeys::commandModifier);
        result.setActive (librarian != nullptr && librarian->isConnected() && librarian->canUndoLastLoad());
    }
    else if (commandID == CommandIds::swapTwoSlots)
    {
        const auto* librarian = getLibrarian();
        result.setInfo ("Swap Two Slots", "Swaps the presets of the two slots selected in the device list",
                        "Functions", 0);
        result.addDefaultKeypress ('t', juce::ModifierKeys::commandModifier);
        result.setActive (librarian != nullptr && librarian->canSwapSelectedSlots());
    }
    else if (commandID == CommandIds::keepSnapshotBeforeLoading)
    {
        const auto* settings = getLibrarianSettings();
        result.setInfo ("Keep a Snapshot Before Loading",
                        "Reads the slots a load overwrites into a snapshot folder first", "Functions", 0);
        result.setActive (settings != nullptr);
        result.setTicked (settings != nullptr && settings->getKeepSnapshot());
    }
    else if (commandID == CommandIds::verifyAfterLoading)
    {
        const auto* settings = getLibrarianSettings();
        result.setInfo ("Verify After Loading", "Reads each loaded slot back and compares it with its file",
                        "Functions", 0);
        result.setActive (settings != nullptr);
        result.setTicked (settings != nullptr && settings->getVerifyAfterLoading());
    }
    else if (commandID == CommandIds::showHelp)
    {
        result.setInfo ("Help", "Help", "General", 0);
        result.addDefaultKeypress (juce::KeyPress::F1Key, juce::ModifierKeys::noModifiers);
    }
    else if (commandID == CommandIds::showTransferLog)
    {
        result.setInfo ("Show Transfer Log", "Shows the log of the transfers", "General", 0);
    }
    else if (commandID == CommandIds::showOnlyDiffering || commandID == CommandIds::newSet)
    {
        getSetsAndDifferencesInfo (commandID, result);
    }
    else if (commandID == CommandIds::showAbout)
    {
        result.setInfo ("About TonarelUtil", "Shows the version and licence of the program", "General", 0);
    }
}

bool ContentComp::perform (const InvocationInfo& info)
{
    if (const auto command = LibrarianKeyCommands::find (info.commandID))
    {
        auto* librarian = getLibrarian();

        if (librarian == nullptr)
            return false;

        librarian->run (*command);
        return true;
    }

    if (info.commandID == CommandIds::showPresetLibrarian)
    {
        createLibrarianPage();
        return true;
    }

    if (info.commandID == CommandIds::compareDeviceWithFolder || info.commandID == CommandIds::swapTwoSlots ||
        info.commandID == CommandIds::undoLastLoad)
        return performOnLibrarian (info.commandID);

    if (info.commandID == CommandIds::keepSnapshotBeforeLoading ||
        info.commandID == CommandIds::verifyAfterLoading)
        return toggleLibrarianSetting (info.commandID);

    if (info.commandID == CommandIds::showOnlyDiffering || info.commandID == CommandIds::newSet)
        return performSetsAndDifferences (info.commandID);

    if (info.commandID == CommandIds::showHelp)
    {
        openHelpFile();
        return true;
    }

    if (info.commandID == CommandIds::showTransferLog)
    {
        showTransferLog();
        return true;
    }

    if (info.commandID == CommandIds::showAbout)
    {
        showAbout();
        return true;
    }

    return false;
}

bool ContentComp::performOnLibrarian (juce::CommandID commandID)
{
    auto* librarian = getLibrarian();

    if (librarian == nullptr)
        return false;

    if (commandID == CommandIds::compareDeviceWithFolder)
        librarian->compareDeviceWithFolder();
    else if (commandID == CommandIds::swapTwoSlots)
        librarian->swapSelectedSlots();
    else
        librarian->undoLastLoad();

    return true;
}

bool ContentComp::toggleLibrarianSetting (juce::CommandID commandID)
{
    auto* settings = getLibrarianSettings();

    if (settings == nullptr)
        return false;

    if (commandID == CommandIds::keepSnapshotBeforeLoading)
        settings->setKeepSnapshot (! settings->getKeepSnapshot());
    else
        settings->setVerifyAfterLoading (! settings->getVerifyAfterLoading());

    // The tick is read when the menu is built; a menu bar on a Mac keeps its items.
    ownerWindow.getCommandManager().commandStatusChanged();
    return true;
}

void ContentComp::getSetsAndDifferencesInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    const auto* librarian = getLibrarian();

    if (commandID == CommandIds::showOnlyDiffering)
    {
        result.setInfo ("Show Only Differing",
                        "Shows only the slots Compare Device with Folder marked as differing", "Functions",
                        0);
        result.addDefaultKeypress ('d',
                                   juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier);
        result.setActive (librarian != nullptr && librarian->canShowOnlyDiffering());
        result.setTicked (librarian != nullptr && librarian->isShowingOnlyDiffering());
    }
    else
    {
        result.setInfo (juce::String (juce::CharPointer_UTF8 ("New Set\xe2\x80\xa6")),
                        "Makes a folder for a new set beside the preset folder, and opens it", "Functions",
                        0);
        result.addDefaultKeypress ('n', juce::ModifierKeys::commandModifier);
        result.setActive (librarian != nullptr);
    }
}

bool ContentComp::performSetsAndDifferences (juce::CommandID commandID)
{
    auto* librarian = getLibrarian();

    if (librarian == nullptr)
        return false;

    if (commandID == CommandIds::showOnlyDiffering)
        librarian->setShowOnlyDiffering (! librarian->isShowingOnlyDiffering());
    else
        librarian->createNewSet();

    // The tick is read when the menu is built; a menu bar on a Mac keeps its items.
    ownerWindow.getCommandManager().commandStatusChanged();
    return true;
}

LibrarianSettings* ContentComp::getLibrarianSettings() const
{
    if (auto* librarian = getLibrarian())
        return &librarian->getSettings();

    return nullptr;
}

PresetLibrarianManager* ContentComp::getLibrarian() const
{
    return dynamic_cast<PresetLibrarianManager*> (currentPage.get());
}

void ContentComp::createLibrarianPage()
{
    // The old panel goes first, so the new one finds the device afresh.
    currentPage.reset();
    currentCommand = CommandIds::showPresetLibrarian;
    auto librarian = std::make_unique<PresetLibrarianManager> (services);

    // A job's progress window blocks the main window, and with it the keys of its commands:
    // they reach the commands from the progress window too (Quit, above all).
    librarian->setKeysDuringJobs (ownerWindow.getCommandManager().getKeyMappings());
    librarian->showKeysInTooltips (
        [&commandManager = ownerWindow.getCommandManager()] (const juce::String& caption)
        {
            return LibrarianKeyCommands::describeForTooltip (
                LibrarianKeyCommands::keyOfCommandNamed (commandManager, caption));
        });
    showPage (std::move (librarian));

    // Tab starts from the panel (the device list first) rather than from nowhere.
    if (currentPage->isShowing())
        currentPage->grabKeyboardFocus();
}

void ContentComp::closeRequested (std::function<void()> quitNow)
{
    if (auto* librarian = getLibrarian())
        librarian->closeRequested (std::move (quitNow));
    else
        quitNow();
}

void ContentComp::showPage (std::unique_ptr<juce::Component> page)
{
    currentPage = std::move (page);
    addAndMakeVisible (*currentPage);
    resized();
}

void ContentComp::openHelpFile()
{
    const auto helpFile = findHelpDocument (services.applicationFolder, helpFileName);

    // A file that is there but will not open is as useless to the user as a missing one.
    if (helpFile.existsAsFile() && services.openDocument != nullptr && services.openDocument (helpFile))
        return;

    // Where it was looked for, so that the user can open it with a program of their own.
    services.dialogs.showMessage (Dialogs::Icon::warning, "Error",
                                  "Cannot open help file!\n\n" + helpFile.getFullPathName(), "Ok");
}

void ContentComp::showTransferLog()
{
    if (transferLogWindow == nullptr)
        transferLogWindow = std::make_unique<TransferLogWindow> (
            configuration.getTransferLogFile(), [this] { openLibrarianFolder(); }, *this);

    transferLogWindow->showOver (ownerWindow);
}

void ContentComp::openLibrarianFolder()
{
    const auto folder = configuration.getApplicationFolder();

    if (folder.isDirectory() && services.openDocument != nullptr && services.openDocument (folder))
        return;

    services.dialogs.showMessage (Dialogs::Icon::warning, "Error",
                                  "Cannot open " + folder.getFileName() + ".\n\n" + folder.getFullPathName(),
                                  "Ok");
}

void ContentComp::showAbout()
{
    juce::String text;

    if (services.isDemo())
        text << AppInfo::demoApplicationName << " " << AppInfo::applicationVersion << "\n"
             << "The demo of the preset librarian for the Tonarel vocal processor, on a simulated "
                "device: nothing here reaches a real Tonarel or the librarian's own files.\n\n";
    else
        text << AppInfo::applicationName << " " << AppInfo::applicationVersion << "\n"
             << "The preset librarian for the Tonarel vocal processor.\n\n";

    text << "Free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later).\n\n"
         << "Built with " << juce::SystemStats::getJUCEVersion() << ".\n\n"
         << (services.isDemo() ? "The demo keeps its files in:\n" : "The librarian keeps its files in:\n")
         << configuration.getApplicationFolder().getFullPathName();

    services.dialogs.showMessage (Dialogs::Icon::info, "About TonarelUtil", text, "Ok");
}
