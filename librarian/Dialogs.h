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

    /** What a text field takes: at most maxLength characters (no limit at 0), and only the
        characters whyRefused has nothing against. What it refuses is left out as it is typed or
        pasted, and the reason is shown under the field.
    */
    struct TextRule
    {
        int maxLength = 0;
        juce::String tooLongReason;

        /** Why the character cannot be taken; empty when it can. */
        std::function<juce::String (juce::juce_wchar)> whyRefused;

        /** What is wrong with the whole text when it is given (a name already taken, say); empty
            when nothing. While it says something the box stays open and says why.
        */
        std::function<juce::String (const juce::String&)> problemWith;

        /** What of typed goes into a field with room for room more characters (any number when
            negative); why receives the reason for the first thing refused, or is emptied.
        */
        juce::String accept (const juce::String& typed, int room, juce::String& why) const
        {
            juce::String taken;
            why.clear();

            for (auto text = typed.getCharPointer(); ! text.isEmpty();)
            {
                const auto character = text.getAndAdvance();
                const auto refusal = whyRefused != nullptr ? whyRefused (character) : juce::String();

                if (refusal.isNotEmpty())
                {
                    if (why.isEmpty())
                        why = refusal;
                }
                else if (room >= 0 && taken.length() >= room)
                {
                    if (why.isEmpty())
                        why = tooLongReason;
                }
                else
                {
                    taken += juce::String::charToString (character);
                }
            }

            return taken;
        }

        /** What the field holds when text is typed into it, emptied first. */
        juce::String accept (const juce::String& typed, juce::String& why) const
        {
            return accept (typed, maxLength > 0 ? maxLength : -1, why);
        }
    };

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

    /** Asks for a line of text in a box whose field holds initialText, with the buttons okText
        and "Cancel". The field takes only what rule accepts, and says under it why it left the
        rest out. Returns the text, or nothing for Cancel (Escape).
    */
    virtual std::optional<juce::String> askForText (const juce::String& title, const juce::String& message,
                                                    const juce::String& initialText, const TextRule& rule,
                                                    const juce::String& okText) = 0;

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
