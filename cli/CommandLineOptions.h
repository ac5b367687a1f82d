#pragma once

#include <juce_core/juce_core.h>

/** What the command line was asked to do, read from its arguments. */
struct CommandLineOptions
{
    enum class Command
    {
        none,
        list,
        backup,
        restore,
        undo,
        help,
        version
    };

    Command command = Command::none;

    /** The folder a backup saves into or a restore sends from. */
    juce::File folder;

    /** The slots to work on, ascending, each once: all 99 unless --slots names others. */
    juce::Array<int> slots;

    /** A backup replaces files of the same name instead of saving copies beside them. */
    bool overwrite = false;

    /** A restore keeps a snapshot of each slot before overwriting it. */
    bool snapshot = true;

    /** Works with the built-in simulated device instead of the real one. */
    bool demo = false;

    /** Reads the arguments that follow the program's name. On a mistake the command is none and
        error says what is wrong, in one line. Relative folders are taken from workingFolder.
    */
    static CommandLineOptions parse (const juce::StringArray& arguments, const juce::File& workingFolder,
                                     juce::String& error);

    /** Reads a slot list such as "1-10,42": numbers and ranges of slots 1 to 99, comma-separated. */
    static juce::Array<int> parseSlots (const juce::String& text, juce::String& error);

    /** The help text that --help prints and a mistake is followed by. */
    static juce::String usage();
};
