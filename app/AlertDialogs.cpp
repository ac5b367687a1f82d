#include "app/AlertDialogs.h"

#include "librarian/NewWindowFocus.h"

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

    juce::KeyPress firstLetterOf (const juce::String& text)
    {
        return juce::KeyPress ((int) juce::CharacterFunctions::toLowerCase (text[0]), 0, 0);
    }

    constexpr auto applyToAllText = "Apply To All";
    constexpr int applyToAllWidth = 98, applyToAllHeight = 28;
    constexpr int applyToAllFromRight = 116, applyToAllFromBottom = 85;

    // The tick box sits over the lower part of the box; this keeps the message clear of it.
    constexpr int applyToAllRoom = 34;
}

/** A question box that owns its "Apply To All" tick box and the room made for it. */
class QuestionBox final : public juce::AlertWindow
{
public:
    QuestionBox (const juce::String& title, const juce::String& message, Dialogs::Icon icon)
        : juce::AlertWindow (title, message, toAlertIcon (icon))
    {
    }

    void addApplyToAll()
    {
        room.setSize (applyToAllWidth, applyToAllRoom);
        addCustomComponent (&room);

        tickBox.setName (applyToAllText);
        addAndMakeVisible (tickBox);
        tickBox.setBounds (getWidth() - applyToAllFromRight, getHeight() - applyToAllFromBottom,
                           applyToAllWidth, applyToAllHeight);
    }

    bool isApplyToAllTicked() const
    {
        return tickBox.getParentComponent() == this && tickBox.getToggleState();
    }

private:
    juce::Component room;
    juce::ToggleButton tickBox { applyToAllText };
};

/** A box that asks for a line of text: its field takes only what the rule accepts, and a label
    under the field tells why the rest was left out.
*/
class TextFieldBox final : public juce::AlertWindow
{
public:
    TextFieldBox (const juce::String& title, const juce::String& message, const Dialogs::TextRule& textRule)
        : juce::AlertWindow (title, message, juce::MessageBoxIconType::QuestionIcon), rule (textRule)
    {
        // An id, not a name: the box writes a custom component's name above it.
        refusal.setComponentID (AlertDialogs::refusalLabelName);
        refusal.setSize (refusalWidth, refusalHeight);
        refusal.setColour (juce::Label::textColourId, juce::Colours::darkred);
    }

    void addField (const juce::String& initialText)
    {
        addTextEditor (AlertDialogs::textFieldName, {});
        auto* field = getTextEditor (AlertDialogs::textFieldName);
        field->setInputFilter (&filter, false);

        // The box gives the keyboard to the first child in the focus order; its buttons come
        // first unless the field is in that order too (above them, so before them).
        field->setExplicitFocusOrder (1);

        // The text it starts with is taken through the rule too, as if typed.
        juce::String why;
        field->setText (rule.accept (initialText, why), false);
        field->selectAll();
        addCustomComponent (&refusal);
    }

    /** The keyboard goes to the field whenever the box has it: that is what the box is for. */
    void visibilityChanged() override
    {
        if (isVisible())
            focusOnField();
    }

    void focusGained (FocusChangeType) override { focusOnField(); }

    /** Says under the field why the text given will not do, and gives the field the keys again. */
    void showProblem (const juce::String& problem)
    {
        refusal.setText (problem, juce::dontSendNotification);
        focusOnField();
    }

private:
    void focusOnField()
    {
        if (auto* field = getTextEditor (AlertDialogs::textFieldName); field != nullptr && isShowing())
            field->grabKeyboardFocus();
    }

    /** Passes on what the rule takes of each insertion, within the room the field has left. */
    struct RuleFilter final : public juce::TextEditor::InputFilter
    {
        explicit RuleFilter (TextFieldBox& b) : box (b) {}

        juce::String filterNewText (juce::TextEditor& field, const juce::String& newInput) override
        {
            const auto& rule = box.rule;
            const auto kept = field.getTotalNumChars() - field.getHighlightedRegion().getLength();
            const auto room = rule.maxLength > 0 ? juce::jmax (0, rule.maxLength - kept) : -1;
            juce::String why;
            const auto taken = rule.accept (newInput, room, why);
            box.refusal.setText (why, juce::dontSendNotification);
            return taken;
        }

        TextFieldBox& box;
    };

    static constexpr int refusalWidth = 320, refusalHeight = 36;

    const Dialogs::TextRule rule;
    juce::Label refusal;
    RuleFilter filter { *this };
};

std::unique_ptr<juce::AlertWindow> AlertDialogs::createTextBox (const juce::String& title,
                                                                const juce::String& message,
                                                                const juce::String& initialText,
                                                                const TextRule& rule,
                                                                const juce::String& okText)
{
    auto box = std::make_unique<TextFieldBox> (title, message, rule);
    box->addField (initialText);
    box->addButton (okText, 1, juce::KeyPress (juce::KeyPress::returnKey));
    box->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));
    return box;
}

std::optional<juce::String> AlertDialogs::askForText (const juce::String& title, const juce::String& message,
                                                      const juce::String& initialText, const TextRule& rule,
                                                      const juce::String& okText)
{
    auto box = createTextBox (title, message, initialText, rule, okText);
    NewWindowFocus::openOver (*box);

    // The box stays until a text will do, or the user gives up: what is wrong is said under the field.
    while (box->runModalLoop() == 1)
    {
        const auto text = box->getTextEditorContents (textFieldName);
        const auto problem = rule.problemWith != nullptr ? rule.problemWith (text) : juce::String();

        if (problem.isEmpty())
            return text;

        static_cast<TextFieldBox&> (*box).showProblem (problem);
    }

    return std::nullopt;
}

std::unique_ptr<juce::AlertWindow> AlertDialogs::createBox (Icon icon, const juce::String& title,
                                                            const juce::String& message,
                                                            const std::vector<Choice>& buttons,
                                                            bool offerApplyToAll)
{
    jassert (! buttons.empty());

    auto box = std::make_unique<QuestionBox> (title, message, icon);
    const auto numButtons = buttons.size();

    if (numButtons == 1)
    {
        box->addButton (buttons.front().text, buttons.front().value,
                        juce::KeyPress (juce::KeyPress::escapeKey),
                        juce::KeyPress (juce::KeyPress::returnKey));
    }
    else
    {
        // As the framework's own boxes do: letter shortcuts where the first letters differ,
        // Return for the first of two buttons, Escape for the last.
        juce::Array<juce::KeyPress> letters;

        for (const auto& button : buttons)
        {
            const auto letter = firstLetterOf (button.text);
            letters.add (letters.contains (letter) ? juce::KeyPress() : letter);
        }

        for (size_t i = 0; i < numButtons; ++i)
        {
            const auto& button = buttons[i];
            const auto letter = letters[(int) i];

            if (i + 1 == numButtons)
                box->addButton (button.text, button.value, juce::KeyPress (juce::KeyPress::escapeKey),
                                letter);
            else if (i == 0 && numButtons == 2)
                box->addButton (button.text, button.value, juce::KeyPress (juce::KeyPress::returnKey),
                                letter);
            else
                box->addButton (button.text, button.value, letter);
        }
    }

    if (offerApplyToAll)
        box->addApplyToAll();

    return box;
}

int AlertDialogs::ask (Icon icon, const juce::String& title, const juce::String& message,
                       const std::vector<Choice>& buttons, bool offerApplyToAll)
{
    auto box = createBox (icon, title, message, buttons, offerApplyToAll);
    NewWindowFocus::openOver (*box);
    const auto value = box->runModalLoop();
    const auto ticked = static_cast<QuestionBox&> (*box).isApplyToAllTicked();

    return ticked ? value + applyToAllBonus : value;
}

int AlertDialogs::chooseFromMenu (const juce::StringArray& items)
{
    return createMenu (items).show();
}

juce::PopupMenu AlertDialogs::createMenu (const juce::StringArray& items) const
{
    juce::PopupMenu menu;

    for (int i = 0; i < items.size(); ++i)
    {
        juce::PopupMenu::Item item (items[i]);
        item.itemID = i + 1;
        item.shortcutKeyDescription = getMenuKeyText (items[i]);
        menu.addItem (std::move (item));
    }

    return menu;
}

int AlertDialogs::chooseFromList (const juce::String& title, const juce::String& message,
                                  const juce::StringArray& items, int proposedIndex,
                                  const juce::String& okText)
{
    constexpr auto choiceName = "choice";
    juce::AlertWindow box (title, message, juce::MessageBoxIconType::QuestionIcon);
    box.addComboBox (choiceName, items);
    auto* list = box.getComboBoxComponent (choiceName);
    list->setSelectedItemIndex (juce::jlimit (0, juce::jmax (0, items.size() - 1), proposedIndex),
                                juce::dontSendNotification);

    box.addButton (okText, 1, juce::KeyPress (juce::KeyPress::returnKey));
    box.addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));

    NewWindowFocus::openOver (box);

    if (box.runModalLoop() != 1)
        return -1;

    return list->getSelectedItemIndex();
}
