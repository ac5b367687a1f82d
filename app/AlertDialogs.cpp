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

std::optional<juce::String>
AlertDialogs::askForText (const juce::String& title, const juce::String& message,
                          const juce::String& proposedText, const juce::String& okText,
                          std::function<juce::String (const juce::String&)> problemWith)
{
    constexpr auto fieldName = "text";
    juce::AlertWindow box (title, message, juce::MessageBoxIconType::QuestionIcon);
    box.addTextEditor (fieldName, proposedText);
    auto* field = box.getTextEditor (fieldName);
    field->selectAll();

    box.addButton (okText, 1, juce::KeyPress (juce::KeyPress::returnKey));
    box.addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));

    NewWindowFocus::openOver (box);

    // The field takes the keys once the box is up, so that typing replaces the proposed name.
    juce::MessageManager::callAsync (
        [safeField = juce::Component::SafePointer<juce::TextEditor> (field)]
        {
            if (safeField != nullptr)
                safeField->grabKeyboardFocus();
        });

    // The box stays until a text will do, or the user gives up: what is wrong is said in it.
    while (box.runModalLoop() == 1)
    {
        const auto text = field->getText();
        const auto problem = problemWith != nullptr ? problemWith (text) : juce::String();

        if (problem.isEmpty())
            return text;

        box.setMessage (message + "\n\n" + problem);
        field->grabKeyboardFocus();
    }

    return std::nullopt;
}
