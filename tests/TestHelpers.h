#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/AppServices.h"
#include "librarian/Dialogs.h"

#include <deque>
#include <functional>

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

/** A fresh folder under the system's temporary folder, removed with all it holds. Its name has a
    random part: tests run as parallel processes, and two of them looking for a free name at the
    same moment would otherwise share, and delete, one folder.
*/
struct TemporaryFolder
{
    TemporaryFolder() { root.createDirectory(); }
    ~TemporaryFolder() { root.deleteRecursively(); }

    const juce::File root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                .getNonexistentChildFile ("tonarel-files-" + juce::Uuid().toString(), "");
};

/** What the program gets from its surroundings, for tests: a documents folder and a program
    folder of its own, and a desktop that records the documents it is asked to open (opening
    succeeds while documentsOpen is set) and the requests to quit (their force flags).
*/
struct RecordedDesktop
{
    AppServices servicesFor (Dialogs& dialogs, MidiPorts& midiPorts)
    {
        return { dialogs,
                 midiPorts,
                 documents.root,
                 programFolder.root,
                 [this] (const juce::File& document)
                 {
                     openedDocuments.add (document);
                     return documentsOpen;
                 },
                 [this] (bool force) { quitRequests.add (force); },
                 timings };
    }

    TemporaryFolder documents, programFolder;

    /** No pauses: the simulated device needs none, and a test about timing sets its own. */
    LibrarianTimings timings = LibrarianTimings::brief();
    juce::Array<juce::File> openedDocuments;
    juce::Array<bool> quitRequests;
    bool documentsOpen = true;
};

/** Dialogs for tests: records every box and menu, and answers from a script.

    A box with one button needs no answer. A question or menu takes the next value from
    answers (a button's value, plus Dialogs::applyToAllBonus for a ticked "Apply To All", or
    a menu item's number); with none left, it answers as Escape would: the last button, or no
    menu item.
*/
class ScriptedDialogs final : public Dialogs
{
public:
    struct Box
    {
        Icon icon;
        juce::String title, message;
        juce::StringArray buttons;
        bool offeredApplyToAll = false;
        bool isMenu = false;
        int proposedItem = -1;

        /** A menu's keys, one per item (empty for an item without one). */
        juce::StringArray keys;
    };

    /** A text box's field: the text it held at first, and why it refused what was typed. */
    struct TextField
    {
        juce::String initialText, refusal;
    };

    int ask (Icon icon, const juce::String& title, const juce::String& message,
             const std::vector<Choice>& choices, bool offerApplyToAll) override
    {
        juce::StringArray texts;

        for (const auto& choice : choices)
            texts.add (choice.text);

        boxes.push_back ({ icon, title, message, texts, offerApplyToAll, false, -1, {} });

        if (onBox != nullptr)
            onBox (boxes.back());

        if (choices.size() == 1)
            return choices.front().value;

        return nextAnswer (choices.back().value);
    }

    int chooseFromMenu (const juce::StringArray& items) override
    {
        juce::StringArray keys;

        for (const auto& item : items)
            keys.add (getMenuKeyText (item));

        boxes.push_back ({ Icon::none, {}, {}, items, false, true, -1, keys });
        return nextAnswer (0);
    }

    /** Recorded as a box whose buttons are the items, the proposed one in proposedItem. An
        answer of proposeAnswer takes the proposed item; with none left it answers Cancel.
    */
    int chooseFromList (const juce::String& title, const juce::String& message,
                        const juce::StringArray& items, int proposedIndex, const juce::String&) override
    {
        boxes.push_back ({ Icon::question, title, message, items, false, false, proposedIndex, {} });
        const auto answer = nextAnswer (-1);
        return answer == takeProposed ? proposedIndex : answer;
    }

    static constexpr int takeProposed = -100;

    /** Recorded as a box with the buttons okText and "Cancel". The next of typedTexts is typed
        into the emptied field, through the rule, and the field's text is the answer; a text the
        rule finds a problem with is recorded as a field of its own holding it, with the problem
        as its refusal, and the next is typed. With none left it answers Cancel.
    */
    std::optional<juce::String> askForText (const juce::String& title, const juce::String& message,
                                            const juce::String& initialText, const TextRule& rule,
                                            const juce::String& okText) override
    {
        boxes.push_back ({ Icon::question, title, message, { okText, "Cancel" }, false, false, -1, {} });
        textFields.push_back ({ initialText, {} });

        while (! typedTexts.empty())
        {
            const auto typed = typedTexts.front();
            typedTexts.pop_front();

            if (! typed.has_value())
                return std::nullopt;

            juce::String why;
            const auto text = rule.accept (*typed, why);

            if (why.isNotEmpty())
                textFields.back().refusal = why;

            const auto problem = rule.problemWith != nullptr ? rule.problemWith (text) : juce::String();

            if (problem.isEmpty())
                return text;

            // The box stays up, saying why under the field, for the next text typed.
            textFields.push_back ({ text, problem });
        }

        return std::nullopt;
    }

    /** The fields of the text boxes shown, in order. */
    std::vector<TextField> textFields;

    /** What the user types into the next text boxes; nothing stands for Cancel. */
    std::deque<std::optional<juce::String>> typedTexts;

    std::vector<Box> boxes;
    std::deque<int> answers;

    /** Called as each box is shown, before it is answered: what the user does meanwhile. */
    std::function<void (const Box&)> onBox;

private:
    int nextAnswer (int escapeAnswer)
    {
        if (answers.empty())
            return escapeAnswer;

        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
