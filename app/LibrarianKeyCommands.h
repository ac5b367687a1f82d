#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/PanelCommand.h"

#include <optional>

/** The librarian panel's commands as the main window's application commands: its transfer
    buttons, "Refresh", the computer list's file commands and the filter, each with its default
    key, so that the key works wherever the focus is in the window. The content component asks
    here what an id stands for, and has the panel it shows say whether the command can run and
    run it.

    Also how a key is found and written for people: a command is known by its short name, which
    is the caption of its button or the text of its menu item, so that any command given a key
    shows it beside its item without more ado.
*/
namespace LibrarianKeyCommands
{
    /** Adds the ids of the panel's commands. */
    void addAll (juce::Array<juce::CommandID>& commands);

    /** The panel's command an id stands for; nothing for any other id. */
    std::optional<PanelCommand> find (juce::CommandID commandID);

    /** Fills in the name, description and key of one of the panel's commands (not whether it
        can run); false for any other id.
    */
    bool describe (juce::CommandID commandID, juce::ApplicationCommandInfo& result);

    /** The first key of the registered command whose short name is the given text; an invalid
        KeyPress when there is none or it has no key.
    */
    juce::KeyPress keyOfCommandNamed (juce::ApplicationCommandManager& commandManager,
                                      const juce::String& shortName);

    /** A key as a tooltip names it: "Ctrl+Shift+S", "F5", "Delete" ("Cmd" for Ctrl on a Mac). */
    juce::String describeForTooltip (const juce::KeyPress& key);
}
