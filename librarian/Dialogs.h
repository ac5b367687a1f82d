#pragma once

#include <juce_core/juce_core.h>

#include "device/TransferJobHost.h"

#include <functional>
#include <optional>
#include <vector>

/** The one way the program asks the user something in a modal box.

    Every warning, question, notice and pop-up menu goes through this interface, so the
    application shows real alert windows while the tests answer the boxes from a script and
    check what was asked. An implementation is owned by whoever starts the program (the
    application object, or a test) and outlives every window that uses it. All calls are made
    on the message thread.
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

    /** A button of a box and the value the box returns when it is chosen. */
    struct Choice
    {
        juce::String text;
        int value = 0;
    };

    /** What a ticked "Apply To All" box adds to the value of the chosen button. */
    static constexpr int applyToAllBonus = TransferQuestion::applyToAllBonus;

    virtual ~Dialogs() = default;

    /** Shows a box with the buttons, left to right, and returns the value of the one chosen.
        Return chooses the first button and Escape the last. With offerApplyToAll the box has an
        "Apply To All" tick box, unticked at first; a tick adds applyToAllBonus to the value.
    */
    virtual int ask (Icon icon, const juce::String& title, const juce::String& message,
                     const std::vector<Choice>& buttons, bool offerApplyToAll = false) = 0;

    /** Shows a pop-up menu of the items at the mouse position and returns the 1-based number
        of the item chosen, or 0 when the menu was dismissed. An item that is also a command with
        a key shows the key at its right (see setMenuKeyTexts).
    */
    virtual int chooseFromMenu (const juce::StringArray& items) = 0;

    /** How a menu item finds its key: the text of the key of the command that bears the item's
        text, or an empty text. Set by whoever owns the commands and their keys (the main
        window's content), and reset before those go.
    */
    void setMenuKeyTexts (std::function<juce::String (const juce::String& itemText)> keyTextOf)
    {
        menuKeyTextOf = std::move (keyTextOf);
    }

    /** The key shown beside a menu item; empty when it has none. */
    juce::String getMenuKeyText (const juce::String& itemText) const
    {
        return menuKeyTextOf != nullptr ? menuKeyTextOf (itemText) : juce::String();
    }

    /** Asks for one of the items in a box with a drop-down list, proposedIndex chosen at first,
        and the buttons okText and "Cancel". Returns the index of the item chosen, or -1 for
        Cancel (Escape).
    */
    virtual int chooseFromList (const juce::String& title, const juce::String& message,
                                const juce::StringArray& items, int proposedIndex,
                                const juce::String& okText) = 0;

    /** Asks for a line of text in a box with a field holding proposedText, and the buttons okText
        and "Cancel". problemWith says what is wrong with a text, empty when nothing: while it
        says something, okText leaves the box open and the box says why. The text accepted, or
        nothing for Cancel (Escape). A Dialogs that cannot ask for text answers Cancel.
    */
    virtual std::optional<juce::String>
    askForText (const juce::String& title, const juce::String& message, const juce::String& proposedText,
                const juce::String& okText, std::function<juce::String (const juce::String&)> problemWith)
    {
        juce::ignoreUnused (title, message, proposedText, okText, problemWith);
        return std::nullopt;
    }

    //==============================================================================
    /** A box with a single button; an empty button text gives the framework's own "OK". */
    void showMessage (Icon icon, const juce::String& title, const juce::String& message,
                      const juce::String& buttonText)
    {
        ask (icon, title, message, { { buttonText.isEmpty() ? juce::String ("OK") : buttonText, 0 } });
    }

    /** Asks one of a transfer job's questions: a warning box for a warning, else a question box. */
    int ask (const TransferQuestion& question)
    {
        std::vector<Choice> choices;

        for (const auto& button : question.buttons)
            choices.push_back ({ button.text, button.value });

        const auto icon = question.kind == TransferQuestion::Kind::warning ? Icon::warning : Icon::question;
        return ask (icon, question.title, question.message, choices, question.offerApplyToAll);
    }

    /** A two-button box; true when the first button was chosen. */
    bool confirm (Icon icon, const juce::String& title, const juce::String& message,
                  const juce::String& okText = "Ok", const juce::String& cancelText = "Cancel")
    {
        return ask (icon, title, message, { { okText, 1 }, { cancelText, 0 } }) == 1;
    }

private:
    std::function<juce::String (const juce::String&)> menuKeyTextOf;
};
