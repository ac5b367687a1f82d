#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/Dialogs.h"

/** Runs the message loop (posted commands, repaints, timers) until the
    condition holds. The time limit only turns a hang into a failure: on a busy
    machine a message may take a while, so it is generous and never the thing
    a test measures. Returns whether the condition came true.
*/
template <typename Condition>
bool dispatchMessagesUntil (Condition&& condition, int timeLimitMs = 20000)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeLimitMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;

        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    return true;
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
