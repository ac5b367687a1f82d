#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/Dialogs.h"

/** Delivers the messages already posted to the message thread (async command
    invocations, repaints) by running the dispatch loop briefly. */
inline void deliverPendingMessages (int milliseconds = 50)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Dialogs for tests: records every box and answers from a script. */
class ScriptedDialogs final : public Dialogs
{
public:
    struct Box
    {
        Icon icon;
        juce::String title, message;
        juce::StringArray buttons;
    };

    void showMessage (Icon icon, const juce::String& title, const juce::String& message,
                      const juce::String& buttonText) override
    {
        boxes.push_back ({ icon, title, message, juce::StringArray { buttonText } });
    }

    std::vector<Box> boxes;
};
