#pragma once

#include <juce_core/juce_core.h>

/** The one way the program asks the user something in a modal box.

    Every warning, question and notice goes through this interface, so the
    application shows real alert windows while the tests answer the boxes from a
    script and check what was asked. An implementation is owned by whoever
    starts the program (the application object, or a test) and outlives every
    window that uses it. All calls are made on the message thread.
*/
class Dialogs
{
public:
    enum class Icon
    {
        none,
        question,
        warning,
        info
    };

    virtual ~Dialogs() = default;

    /** Shows a box with a single button and returns when the user has closed it. */
    virtual void showMessage (Icon icon, const juce::String& title, const juce::String& message,
                              const juce::String& buttonText) = 0;
};
