#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/Dialogs.h"

/** The program's own Dialogs: JUCE's modal AlertWindows and pop-up menus, drawn by whatever
    look and feel is the default (the program installs TonarelLookAndFeel).
*/
class AlertDialogs final : public Dialogs
{
public:
    AlertDialogs() = default;

    int ask (Icon icon, const juce::String& title, const juce::String& message,
             const std::vector<Choice>& buttons, bool offerApplyToAll) override;

    int chooseFromMenu (const juce::StringArray& items) override;

    /** The menu chooseFromMenu() shows, built but not shown: items numbered from 1, each with
        the key getMenuKeyText() gives it.
    */
    juce::PopupMenu createMenu (const juce::StringArray& items) const;

    int chooseFromList (const juce::String& title, const juce::String& message,
                        const juce::StringArray& items, int proposedIndex,
                        const juce::String& okText) override;

    std::optional<juce::String> askForText (const juce::String& title, const juce::String& message,
                                            const juce::String& initialText, const TextRule& rule,
                                            const juce::String& okText) override;

    /** The box askForText() runs, built but not shown: a text field named textFieldName holding
        initialText, which takes only what rule accepts and shows why it refused the rest in a
        label whose component id is refusalLabelName under it; okText (Return) returns 1, "Cancel" (Escape) 0.
    */
    static std::unique_ptr<juce::AlertWindow>
    createTextBox (const juce::String& title, const juce::String& message, const juce::String& initialText,
                   const TextRule& rule, const juce::String& okText);

    static constexpr const char* textFieldName = "text";
    static constexpr const char* refusalLabelName = "refusal";

    /** The box ask() runs, built but not shown: the buttons carry the framework's keyboard
        shortcuts (Return for the first of two, Escape for the last, the first letter of each
        when they differ), and the "Apply To All" tick box, when offered, is a ToggleButton of
        that name, 98 x 28, placed 116 pixels from the box's right edge and 85 from its bottom.
    */
    static std::unique_ptr<juce::AlertWindow> createBox (Icon icon, const juce::String& title,
                                                         const juce::String& message,
                                                         const std::vector<Choice>& buttons,
                                                         bool offerApplyToAll);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AlertDialogs)
};
