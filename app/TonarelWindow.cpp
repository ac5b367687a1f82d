#include "app/TonarelWindow.h"

#include "app/AppInfo.h"
#include "app/ContentComp.h"
#include "librarian/AppServices.h"
#include "resources/Artwork.h"

TonarelWindow::TonarelWindow (AppServices& services)
    : DocumentWindow (juce::String (AppInfo::windowTitlePrefix) + AppInfo::applicationVersion +
                          (services.isDemo() ? AppInfo::demoTitleSuffix : ""),
                      juce::Colour (backgroundArgb), DocumentWindow::allButtons, true)
{
    commandManager = std::make_unique<juce::ApplicationCommandManager>();

    setResizable (true, false);
    setResizeLimits (minimumWidth, minimumHeight, maximumWidth, maximumHeight);

    auto content = std::make_unique<ContentComp> (*this, services);

    // The content's commands first, then the application's (quit). Without an
    // application object (as in the tests) there is nothing more to register.
    commandManager->registerAllCommandsForTarget (content.get());
    commandManager->registerAllCommandsForTarget (juce::JUCEApplication::getInstance());

    addKeyListener (commandManager->getKeyMappings());

    // The window hands the keyboard on to the first of its components as it gets it: a window
    // holding the focus itself would leave Tab nowhere to go from.
    setWantsKeyboardFocus (false);

    auto* contentPointer = content.release();
    setContentOwned (contentPointer, false);

    // The content is the target of every command (the other windows hand theirs on to it), also
    // while no component has the keyboard: the window does not take it itself (above), and the
    // framework would otherwise look for a target from the focus alone.
    commandManager->setFirstCommandTarget (contentPointer);
    contentPointer->setApplicationCommandManagerToWatch (commandManager.get());

    // Without a menu bar the Help command would be unreachable.
#if JUCE_MAC
    juce::MenuBarModel::setMacMainMenu (contentPointer);
#else
    setMenuBar (contentPointer);
#endif

    setVisible (true);

    // The desktop shows the icon at its own size, in pixels: on a display of two pixels per point
    // the icon drawn at twice the size keeps the same size on screen, and sharp.
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    windowIconImage = Artwork::decodeScaled (Artwork::Picture::windowIcon)
                          .forScale (display != nullptr ? (float) display->scale : 1.0f);
    setIcon (windowIconImage);

    setUsingNativeTitleBar (true);
}

TonarelWindow::~TonarelWindow()
{
#if JUCE_MAC
    juce::MenuBarModel::setMacMainMenu (nullptr);
#endif
    setMenuBar (nullptr);
    commandManager->setFirstCommandTarget (nullptr);
    clearContentComponent();
    windowIconImage = {};
    commandManager.reset();
}

void TonarelWindow::closeRequested (std::function<void()> quitNow)
{
    if (auto* content = dynamic_cast<ContentComp*> (getContentComponent()))
        content->closeRequested (std::move (quitNow));
    else
        quitNow();
}

void TonarelWindow::closeButtonPressed()
{
    // The same path as the quit command, so closing the window ends the program.
    if (auto* application = juce::JUCEApplication::getInstance())
        application->systemRequestedQuit();
}
