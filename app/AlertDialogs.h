#pragma once

#include "app/Dialogs.h"

/** The program's own Dialogs: JUCE's modal AlertWindows, drawn by whatever
    look and feel is the default (the program installs TonarelLookAndFeel).
*/
class AlertDialogs final : public Dialogs
{
public:
    AlertDialogs() = default;

    void showMessage (Icon icon, const juce::String& title, const juce::String& message,
                      const juce::String& buttonText) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AlertDialogs)
};
