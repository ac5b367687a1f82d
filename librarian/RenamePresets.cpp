// Renaming a preset: in a file of the preset folder, where the file takes the new name by the
// save rule, and in a device slot, which is read whole, renamed and sent back as a load of one
// slot. The new name is asked for in a field that takes only what the device can hold.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "device/SysexFrame.h"
#include "presets/PresetFile.h"
#include "presets/PresetFileRename.h"

namespace
{
    constexpr auto renameTitle = "Rename";

    /** What a preset name may hold: what the device stores and shows, which is what the wire
        carries, one byte of 7-bit ASCII per character and at most kPresetNameBytes of them. Only
        the printable ones: a control character would travel, but no display shows it.
    */
    Dialogs::TextRule presetNameRule()
    {
        Dialogs::TextRule rule;
        rule.maxLength = kPresetNameBytes;
        rule.tooLongReason =
            "A preset name holds at most " + juce::String (kPresetNameBytes) + " characters.";
        rule.whyRefused = [] (juce::juce_wchar character) -> juce::String
        {
            if (character >= ' ' && character <= '~')
                return {};

            if (character < ' ' || character == 0x7f)
                return "A preset name holds no control characters, such as tabs or line breaks.";

            return "\"" + juce::String::charToString (character) +
                   "\" cannot be sent to the Tonarel: a preset name holds only plain letters, digits, "
                   "blanks and the punctuation of ASCII.";
        };
        return rule;
    }

    /** The new name the user gives, or nothing when they cancel, keep the name, or give none. */
    std::optional<juce::String> askForNewName (Dialogs& dialogs, const juce::String& message,
                                               const juce::String& currentName)
    {
        const auto newName =
            dialogs.askForText (renameTitle, message, currentName, presetNameRule(), "Rename");

        if (! newName.has_value() || *newName == currentName)
            return std::nullopt;

        if (newName->isEmpty())
        {
            dialogs.showMessage (Dialogs::Icon::warning, renameTitle,
                                 "A preset needs a name: nothing was renamed.", "Ok");
            return std::nullopt;
        }

        return newName;
    }
} // namespace

void PresetLibrarianManager::renameLocalPreset (const juce::String& fileName)
{
    const auto folder = presetFiles.getFolderPath();
    const auto preset = readPresetFile (folder, fileName);

    if (! preset.has_value())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, {}, "Unable to read preset...", "Ok");
        return;
    }

    const auto newName =
        askForNewName (services.dialogs, "The new name of the preset in " + fileName + ":", preset->name);

    if (! newName.has_value())
        return;

    const auto renamed = renamePresetFile (folder, fileName, *newName);
    rescanPresetFolder();

    if (renamed.result.failed())
    {
        services.dialogs.showMessage (
            Dialogs::Icon::warning, renameTitle,
            fileName + " was not renamed: " + renamed.result.getErrorMessage() + ".", "Ok");
        return;
    }

    presetFiles.selectFiles ({ renamed.newFileName });
}

void PresetLibrarianManager::renameDeviceSlot (int slot)
{
    if (! isConnected() || ! getPresetManager().isDeviceReachable())
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, renameTitle,
                                      "The Tonarel is not connected: there is no slot to rename.", "Ok");
        return;
    }

    monitor->stopWatching();

    // The slot is read whole first: it goes back with every parameter it holds now.
    const auto read = readWholeSlots ({ slot }, "renaming");

    if (read.size() == 1)
        if (const auto newName = askForNewName (
                services.dialogs, "The new name of preset " + juce::String (slot) + ":", read.front().name))
            sendRenamedPreset (read.front(), *newName);

    monitor->lookAgainLater();
    updateButtonStates();
}

void PresetLibrarianManager::sendRenamedPreset (PresetData preset, const juce::String& newName)
{
    // A load sends files: the renamed preset goes out from a folder of its own, which no list
    // shows and which goes with the job.
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getNonexistentChildFile ("tonarel-rename-" + juce::Uuid().toString(), "");
    const auto slot = preset.number;
    preset.name = newName;

    if (folder.createDirectory().failed() ||
        ! writePresetFile (folder.getFullPathName(), preset, PresetWriteMode::Overwrite))
    {
        services.dialogs.showMessage (Dialogs::Icon::warning, renameTitle,
                                      "Preset " + juce::String (slot) +
                                          " was not renamed: the renamed preset could not be written to " +
                                          folder.getParentDirectory().getFullPathName() + ".",
                                      "Ok");
        folder.deleteRecursively();
        return;
    }

    TransferSelection selection;
    selection.slots.add ({ slot, deviceSlots.nameOf (slot), 0 });
    selection.fileNames.add (presetFileName (preset));

    // The user has just said what goes into the slot: no question about overwriting it.
    selection.wholeDeviceConfirmed = true;

    auto job = makeJob (TransferKind::Send, selection);
    job.presetFolder = folder;
    job.name = "Rename";
    runLoad (std::move (job), chosenOptions(), false);

    folder.deleteRecursively();
}
