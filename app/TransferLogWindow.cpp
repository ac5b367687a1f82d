#include "app/TransferLogWindow.h"

namespace
{
    constexpr auto windowTitle = "Transfer Log";
    constexpr float textHeight = 13.0f;
    constexpr int margin = 10, buttonWidth = 110, buttonHeight = 28, buttonGap = 10;
    constexpr int minimumWidth = 360, minimumHeight = 200;
}

TransferLogView::TransferLogView (const juce::File& file, std::function<void()> openFolderFunction)
    : logFile (file), openFolder (std::move (openFolderFunction))
{
    text.setMultiLine (true, false);
    text.setReadOnly (true);
    text.setScrollbarsShown (true);
    text.setCaretVisible (false);
    text.setFont (juce::Font (juce::Font::getDefaultMonospacedFontName(), textHeight, juce::Font::plain));
    addAndMakeVisible (text);

    for (auto* button : { &copyButton, &openFolderButton })
    {
        addAndMakeVisible (*button);
        button->addListener (this);
    }
}

void TransferLogView::reload()
{
    // A log that is being appended to is read as far as it has been written; the rolled-over
    // older file beside it is not shown here, "Open Folder" leads to it.
    const auto hasLog = logFile.existsAsFile();
    const auto content = hasLog ? logFile.loadFileAsString() : juce::String();

    text.setText (hasLog ? content : juce::String (noLogText), false);
    copyButton.setEnabled (hasLog && content.isNotEmpty());
    scrollToEnd();
}

void TransferLogView::scrollToEnd()
{
    // The editor scrolls to show its caret only when the caret moves, so it is moved away and
    // back: the end comes into view also when the caret was there before the editor was resized.
    text.setCaretPosition (0);
    text.moveCaretToEnd();
}

void TransferLogView::resized()
{
    auto area = getLocalBounds().reduced (margin);
    auto buttons = area.removeFromBottom (buttonHeight);
    area.removeFromBottom (margin);
    text.setBounds (area);

    openFolderButton.setBounds (buttons.removeFromRight (buttonWidth));
    buttons.removeFromRight (buttonGap);
    copyButton.setBounds (buttons.removeFromRight (buttonWidth));

    // The window manager may size the window after it was shown; the newest lines stay in view.
    scrollToEnd();
}

void TransferLogView::buttonClicked (juce::Button* button)
{
    if (button == &copyButton)
        juce::SystemClipboard::copyTextToClipboard (text.getText());
    else if (button == &openFolderButton && openFolder != nullptr)
        openFolder();
}

//==============================================================================
TransferLogWindow::TransferLogWindow (const juce::File& logFile, std::function<void()> openFolder,
                                      juce::ApplicationCommandTarget& commandTarget)
    : SecondaryWindow (windowTitle), view (logFile, std::move (openFolder)), nextCommandTarget (commandTarget)
{
    holdView (view, minimumWidth, minimumHeight);
}

TransferLogWindow::~TransferLogWindow()
{
    // The view is a member: it has to leave the window before it is destroyed.
    clearContentComponent();
}

void TransferLogWindow::showOver (juce::Component& mainWindow)
{
    showInFrontOf (mainWindow, mainWindow, defaultWidth, defaultHeight);
}

void TransferLogWindow::activeWindowStatusChanged()
{
    if (isVisible() && isActiveWindow())
        view.reload();
}
