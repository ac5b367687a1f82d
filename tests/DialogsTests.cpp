#include <gtest/gtest.h>

#include "app/AlertDialogs.h"
#include "tests/TestHelpers.h"

namespace
{
    const std::vector<Dialogs::Choice> fileExists { { "Overwrite", 1 }, { "Skip", 2 }, { "Create Copy", 0 } };

    juce::Array<juce::Button*> buttonsOf (juce::Component& box)
    {
        juce::Array<juce::Button*> buttons;

        for (auto* child : box.getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child))
                buttons.add (button);

        return buttons;
    }

    juce::Button* buttonNamed (juce::Component& box, const juce::String& text)
    {
        for (auto* button : buttonsOf (box))
            if (button->getButtonText() == text)
                return button;

        return nullptr;
    }

    /** Answers the box that ask() is about to show, from inside its modal loop. */
    template <typename Answer>
    void whenTheBoxIsUp (Answer answer)
    {
        juce::MessageManager::callAsync (
            [answer]
            {
                auto* box = juce::Component::getCurrentlyModalComponent();
                ASSERT_NE (box, nullptr);
                answer (*box);
            });
    }
}

TEST (AlertDialogsTest, QuestionBoxOffersApplyToAllOnlyWhenAsked)
{
    auto box = AlertDialogs::createBox (Dialogs::Icon::question, {}, "007_WarmVox.tnl already exists.",
                                        fileExists, true);
    auto* tickBox = dynamic_cast<juce::ToggleButton*> (buttonNamed (*box, "Apply To All"));
    ASSERT_NE (tickBox, nullptr);
    EXPECT_FALSE (tickBox->getToggleState());
    EXPECT_EQ (tickBox->getBounds(),
               juce::Rectangle<int> (box->getWidth() - 116, box->getHeight() - 85, 98, 28));

    for (auto* text : { "Overwrite", "Skip", "Create Copy" })
    {
        auto* button = buttonNamed (*box, text);
        ASSERT_NE (button, nullptr) << text;
        EXPECT_FALSE (button->getBounds().intersects (tickBox->getBounds())) << text;
    }

    auto plain = AlertDialogs::createBox (Dialogs::Icon::question, {}, "Overwrite?", fileExists, false);
    EXPECT_EQ (buttonNamed (*plain, "Apply To All"), nullptr);
    EXPECT_EQ (buttonsOf (*plain).size(), 3);
}

TEST (AlertDialogsTest, AskReturnsTheChosenValueWithTheTickAddingTen)
{
    AlertDialogs dialogs;

    SCOPED_TRACE ("a click on Skip with Apply To All ticked");
    whenTheBoxIsUp (
        [] (juce::Component& box)
        {
            buttonNamed (box, "Apply To All")->setToggleState (true, juce::dontSendNotification);
            buttonNamed (box, "Skip")->triggerClick();
        });
    EXPECT_EQ (dialogs.ask (Dialogs::Icon::question, {}, "x already exists.", fileExists, true), 12);

    SCOPED_TRACE ("Escape answers as the last button");
    whenTheBoxIsUp ([] (juce::Component& box)
                    { box.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)); });
    EXPECT_EQ (dialogs.ask (Dialogs::Icon::question, {}, "x already exists.", fileExists, true), 0);

    SCOPED_TRACE ("Return answers as the first of two");
    whenTheBoxIsUp ([] (juce::Component& box)
                    { box.keyPressed (juce::KeyPress (juce::KeyPress::returnKey)); });
    EXPECT_TRUE (dialogs.confirm (Dialogs::Icon::question, {}, "OK to overwrite ALL presets?"));
}

TEST (AlertDialogsTest, TextFieldTakesOnlyWhatItsRuleAcceptsAndSaysWhy)
{
    Dialogs::TextRule rule;
    rule.maxLength = 6;
    rule.tooLongReason = "six at most";
    rule.whyRefused = [] (juce::juce_wchar c) { return c == 'x' ? juce::String ("no x") : juce::String(); };

    auto box = AlertDialogs::createTextBox ("Rename", "New name:", "axbc", rule, "Rename");
    auto* field = box->getTextEditor (AlertDialogs::textFieldName);
    ASSERT_NE (field, nullptr);
    EXPECT_EQ (field->getText(), "abc") << "the text it starts with goes through the rule too";

    juce::Label* refusal = nullptr;
    for (auto* child : box->getChildren())
        if (child->getComponentID() == AlertDialogs::refusalLabelName)
            refusal = dynamic_cast<juce::Label*> (child);
    ASSERT_NE (refusal, nullptr);

    SCOPED_TRACE ("typed at the end: a refused character is left out, and the field is full at six");
    field->moveCaretToEnd();
    field->insertTextAtCaret ("dxefg");
    EXPECT_EQ (field->getText(), "abcdef");
    EXPECT_EQ (refusal->getText(), "no x");

    field->insertTextAtCaret ("h");
    EXPECT_EQ (refusal->getText(), "six at most");

    SCOPED_TRACE ("what is selected makes room; a clean insertion clears the reason");
    field->selectAll();
    field->insertTextAtCaret ("new");
    EXPECT_EQ (field->getText(), "new");
    EXPECT_EQ (refusal->getText(), "");
    EXPECT_EQ (buttonsOf (*box).size(), 2);
}
