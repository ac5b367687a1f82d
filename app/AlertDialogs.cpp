#include "app/AlertDialogs.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    juce::MessageBoxIconType toAlertIcon (Dialogs::Icon icon)
    {
        switch (icon)
        {
            case Dialogs::Icon::question: return juce::MessageBoxIconType::QuestionIcon;
            case Dialogs::Icon::warning: return juce::MessageBoxIconType::WarningIcon;
            case Dialogs::Icon::info: return juce::MessageBoxIconType::InfoIcon;
            case Dialogs::Icon::none: break;
        }

        return juce::MessageBoxIconType::NoIcon;
    }
}

void AlertDialogs::showMessage (Icon icon, const juce::String& title, const juce::String& message,
                                const juce::String& buttonText)
{
    juce::AlertWindow::showMessageBox (toAlertIcon (icon), title, message, buttonText);
}
