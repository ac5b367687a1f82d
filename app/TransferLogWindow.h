#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/SecondaryWindow.h"

#include <functional>

/** What the transfer log window shows: the log's text, read-only and monospaced, scrolled to its
    end, with "Copy" (the whole text to the clipboard) and "Open Folder" (the folder the log is
    in, through the desktop, handed in as a function so that the window knows nothing of how).

    The text is read from the file whenever reload() is called: the window calls it when it comes
    to the front, so a log that grew while it stood behind is shown whole. Nothing polls the
    file. Message thread only.
*/
class TransferLogView final : public juce::Component, private juce::Button::Listener
{
public:
    TransferLogView (const juce::File& logFile, std::function<void()> openFolder);

    /** Reads the log again and scrolls to its end; without a log, says there is none. */
    void reload();

    void resized() override;

    juce::TextEditor& getTextEditor() noexcept { return text; }
    juce::TextButton& getCopyButton() noexcept { return copyButton; }
    juce::TextButton& getOpenFolderButton() noexcept { return openFolderButton; }

    /** What the window shows while no job has written the log. */
    static constexpr const char* noLogText = "No transfer has been logged yet.";

private:
    void buttonClicked (juce::Button* button) override;
    void scrollToEnd();

    const juce::File logFile;
    std::function<void()> openFolder;
    juce::TextEditor text;
    juce::TextButton copyButton { "Copy", "copies the whole log to the clipboard" };
    juce::TextButton openFolderButton { "Open Folder", "opens the folder that holds the log" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TransferLogView)
};

/** The window of the transfer log: a TransferLogView that reloads as the window comes to the
    front. Closing only hides it. Owned by the content component, which shows it again on the next
    "Show Transfer Log". Commands go on to the main window's content.
*/
class TransferLogWindow final : public SecondaryWindow
{
public:
    TransferLogWindow (const juce::File& logFile, std::function<void()> openFolder,
                       juce::ApplicationCommandTarget& commandTarget);
    ~TransferLogWindow() override;

    /** Shows the window centred over the given component, in front, with the log read afresh. */
    void showOver (juce::Component& mainWindow);

    void activeWindowStatusChanged() override;

    TransferLogView& getView() noexcept { return view; }

    juce::ApplicationCommandTarget* getNextCommandTarget() override { return &nextCommandTarget; }

    static constexpr int defaultWidth = 640, defaultHeight = 420;

private:
    void becomingVisible() override { view.reload(); }

    TransferLogView view;
    juce::ApplicationCommandTarget& nextCommandTarget;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TransferLogWindow)
};
