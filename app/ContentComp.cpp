#include "app/ContentComp.h"

#include "app/CommandIds.h"
#include "librarian/Dialogs.h"
#include "librarian/HelpDocuments.h"
#include "app/TonarelWindow.h"
#include "librarian/PresetLibrarianManager.h"
#include "resources/Artwork.h"

namespace
{
    constexpr int tooltipDelayMs = 700;
    constexpr auto helpFileName = "PresetLibrarianHelp.pdf";
}

ContentComp::ContentComp (TonarelWindow& owner, AppServices& appServices)
    : ownerWindow (owner), services (appServices)
{
    tooltips = std::make_unique<HoverTooltips> (*this, tooltipDelayMs);

    // Posted, not run: the librarian is built from the message loop once the
    // window is on screen, because its start-up may hold modal boxes.
    invokeDirectly (CommandIds::showPresetLibrarian, true);

    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    backgroundImage = Artwork::decode (Artwork::Picture::background);
}

ContentComp::~ContentComp()
{
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    backgroundImage = {};
    currentPage.reset();
}

void ContentComp::paint (juce::Graphics& g)
{
    g.setFillType (juce::FillType (backgroundImage, juce::AffineTransform()));
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
        menu.addSeparator();
        menu.addCommandItem (&commandManager, juce::StandardApplicationCommandIDs::quit);
    }
    else if (menuIndex == 1)
    {
        menu.addCommandItem (&commandManager, CommandIds::showHelp);
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
    commands.add (CommandIds::showPresetLibrarian, CommandIds::showHelp);
}

void ContentComp::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    if (commandID == CommandIds::showPresetLibrarian)
    {
        result.setInfo ("Preset Librarian", "Shows the preset librarian", " ", 0);
        result.setTicked (currentCommand == CommandIds::showPresetLibrarian);
    }
    else if (commandID == CommandIds::showHelp)
    {
        result.setInfo ("Help", "Help", "General", 0);
    }
}

bool ContentComp::perform (const InvocationInfo& info)
{
    if (info.commandID == CommandIds::showPresetLibrarian)
    {
        createLibrarianPage();
        return true;
    }

    if (info.commandID == CommandIds::showHelp)
    {
        openHelpFile();
        return true;
    }

    return false;
}

void ContentComp::createLibrarianPage()
{
    // The old panel goes first, so the new one finds the device afresh.
    currentPage.reset();
    currentCommand = CommandIds::showPresetLibrarian;
    showPage (std::make_unique<PresetLibrarianManager> (services));
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
