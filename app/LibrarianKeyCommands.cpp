#include "app/LibrarianKeyCommands.h"

#include "app/CommandIds.h"

namespace
{
    struct PanelCommandEntry
    {
        juce::CommandID id;
        PanelCommand command;
        const char* shortName;
        const char* description;
        juce::KeyPress key;
    };

    constexpr auto command = juce::ModifierKeys::commandModifier;
    constexpr auto commandShift = juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier;
    constexpr auto category = "Librarian";

    // The short names are the buttons' captions and the menu items' texts, by which the
    // tooltips and menus find their keys.
    const std::vector<PanelCommandEntry>& panelCommands()
    {
        static const std::vector<PanelCommandEntry> commands {
            { CommandIds::saveAllPresets, PanelCommand::saveAll, "Save All >>",
              "Saves all 99 slots of the device as files", juce::KeyPress ('s', commandShift, 0) },
            { CommandIds::savePresets, PanelCommand::save, "Save >", "Saves the selected slots as files",
              juce::KeyPress ('s', command, 0) },
            { CommandIds::loadPresets, PanelCommand::loadTo, "< Load To",
              "Loads the selected files into the selected slots", juce::KeyPress ('l', command, 0) },
            { CommandIds::loadAllPresets, PanelCommand::loadAll, "<< Load All",
              "Loads the preset folder's files into the device", juce::KeyPress ('l', commandShift, 0) },
            { CommandIds::refreshLists, PanelCommand::refresh, "Refresh",
              "Reads the slot names again and lists the preset folder again",
              juce::KeyPress (juce::KeyPress::F5Key) },
            { CommandIds::showFileInfo, PanelCommand::getInfo, "Get info",
              "Shows the name, version and slot of the selected file", juce::KeyPress ('i', command, 0) },
            { CommandIds::copyFile, PanelCommand::copy, "Copy",
              "Copies the selected file under its copy name", juce::KeyPress ('d', command, 0) },
            { CommandIds::deleteFiles, PanelCommand::deleteFiles, "Delete", "Deletes the selected files",
              juce::KeyPress (juce::KeyPress::deleteKey) },
            { CommandIds::renameSelected, PanelCommand::rename, "Rename…",
              "Renames the file or the slot selected in the list in use",
              juce::KeyPress (juce::KeyPress::F2Key) },
            { CommandIds::findInList, PanelCommand::find, "Find", "Shows the computer list's filter",
              juce::KeyPress ('f', command, 0) },
        };

        return commands;
    }

    const PanelCommandEntry* findEntry (juce::CommandID commandID)
    {
        for (const auto& entry : panelCommands())
            if (entry.id == commandID)
                return &entry;

        return nullptr;
    }
}

void LibrarianKeyCommands::addAll (juce::Array<juce::CommandID>& commands)
{
    for (const auto& entry : panelCommands())
        commands.add (entry.id);
}

std::optional<PanelCommand> LibrarianKeyCommands::find (juce::CommandID commandID)
{
    if (const auto* entry = findEntry (commandID))
        return entry->command;

    return std::nullopt;
}

bool LibrarianKeyCommands::describe (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    const auto* entry = findEntry (commandID);

    if (entry == nullptr)
        return false;

    result.setInfo (entry->shortName, entry->description, category, 0);
    result.addDefaultKeypress (entry->key.getKeyCode(), entry->key.getModifiers());
    return true;
}

juce::KeyPress LibrarianKeyCommands::keyOfCommandNamed (juce::ApplicationCommandManager& commandManager,
                                                        const juce::String& shortName)
{
    for (int i = 0; i < commandManager.getNumCommands(); ++i)
    {
        const auto* info = commandManager.getCommandForIndex (i);

        if (info == nullptr || info->shortName != shortName)
            continue;

        const auto keys = commandManager.getKeyMappings()->getKeyPressesAssignedToCommand (info->commandID);

        if (! keys.isEmpty())
            return keys.getFirst();
    }

    return {};
}

juce::String LibrarianKeyCommands::describeForTooltip (const juce::KeyPress& key)
{
    if (! key.isValid())
        return {};

    const auto mods = key.getModifiers();
    juce::String text;

#if JUCE_MAC
    if (mods.isCommandDown())
        text << "Cmd+";

    if (mods.isCtrlDown())
        text << "Ctrl+";
#else
    if (mods.isCtrlDown())
        text << "Ctrl+";
#endif

    if (mods.isAltDown())
        text << "Alt+";

    if (mods.isShiftDown())
        text << "Shift+";

    // The framework's name of the key alone: "S", "F5", "delete".
    const auto name = juce::KeyPress (key.getKeyCode()).getTextDescription();
    return text + name.substring (0, 1).toUpperCase() + name.substring (1);
}
