#include "cli/CommandLineOptions.h"

#include "presets/PresetData.h"

namespace
{
    std::optional<int> slotNumber (const juce::String& text)
    {
        const auto trimmed = text.trim();

        if (trimmed.isEmpty() || ! trimmed.containsOnly ("0123456789") || trimmed.length() > 3)
            return std::nullopt;

        const auto number = trimmed.getIntValue();

        if (number < kFirstPresetNumber || number > kLastPresetNumber)
            return std::nullopt;

        return number;
    }

    juce::Array<int> allSlots()
    {
        juce::Array<int> slots;

        for (int slot = kFirstPresetNumber; slot <= kLastPresetNumber; ++slot)
            slots.add (slot);

        return slots;
    }

    /** The arguments that are not options, and the slot list, before their meaning is checked. */
    struct ArgumentsRead
    {
        juce::StringArray positional;
        juce::String slotsText;
        bool slotsGiven = false;
    };

    using Command = CommandLineOptions::Command;

    /** Takes the options into options and the rest into read; what is wrong, or nothing. Stops
        at --help or --version, which are the command then.
    */
    juce::String readArguments (const juce::StringArray& arguments, CommandLineOptions& options,
                                ArgumentsRead& read)
    {
        for (int i = 0; i < arguments.size(); ++i)
        {
            const auto& argument = arguments[i];

            if (argument == "--help" || argument == "-h")
            {
                options.command = Command::help;
                return {};
            }

            if (argument == "--version")
            {
                options.command = Command::version;
                return {};
            }

            if (argument == "--demo")
                options.demo = true;
            else if (argument == "--overwrite")
                options.overwrite = true;
            else if (argument == "--no-snapshot")
                options.snapshot = false;
            else if (argument == "--slots" || argument.startsWith ("--slots="))
            {
                if (argument == "--slots" && i + 1 >= arguments.size())
                    return "--slots needs a list of slots, such as --slots 1-10,42";

                read.slotsText = argument == "--slots" ? arguments[++i]
                                                       : argument.fromFirstOccurrenceOf ("=", false, false);
                read.slotsGiven = true;
            }
            else if (argument.startsWith ("-") && argument.length() > 1)
                return "unknown option " + argument;
            else
                read.positional.add (argument);
        }

        return {};
    }

    /** The command a word names; what is wrong, or nothing. */
    juce::String readCommand (const juce::String& word, Command& command)
    {
        if (word == "list")
            command = Command::list;
        else if (word == "backup")
            command = Command::backup;
        else if (word == "restore")
            command = Command::restore;
        else if (word == "undo")
            command = Command::undo;
        else
            return "unknown command \"" + word + "\"";

        return {};
    }

    bool needsFolder (Command command)
    {
        return command != Command::list && command != Command::undo;
    }

    /** Whether the command, its folder and the options go together; what is wrong, or nothing. */
    juce::String checkCombination (const CommandLineOptions& options, const ArgumentsRead& read)
    {
        const auto& command = read.positional[0];
        const auto folderNeeded = needsFolder (options.command);

        if (read.positional.size() != (folderNeeded ? 2 : 1))
            return folderNeeded ? command + " needs one folder" : command + " takes no folder";

        if (options.command == Command::list && read.slotsGiven)
            return "list takes no --slots: it lists all 99 slots";

        if (options.command == Command::undo && read.slotsGiven)
            return "undo takes no --slots: it sends back every slot of the newest snapshot";

        if (options.overwrite && options.command != Command::backup)
            return "--overwrite goes with backup only";

        if (! options.snapshot && options.command != Command::restore)
            return "--no-snapshot goes with restore only";

        // An empty name would be taken as the working folder itself: a script whose variable
        // came out empty must not back up into, or restore from, wherever it happened to run.
        if (folderNeeded && read.positional[1].trim().isEmpty())
            return command + " needs a folder name, not an empty one";

        return {};
    }
}

juce::Array<int> CommandLineOptions::parseSlots (const juce::String& text, juce::String& error)
{
    juce::SortedSet<int> chosen;

    for (const auto& part : juce::StringArray::fromTokens (text, ",", {}))
    {
        const auto dash = part.indexOfChar ('-');
        const auto first = slotNumber (dash < 0 ? part : part.substring (0, dash));
        const auto last = dash < 0 ? first : slotNumber (part.substring (dash + 1));

        if (! first.has_value() || ! last.has_value() || *last < *first)
        {
            error = "\"" + part.trim() + "\" is not a slot from 1 to 99 nor a range of them, such as 1-10";
            return {};
        }

        for (auto slot = *first; slot <= *last; ++slot)
            chosen.add (slot);
    }

    juce::Array<int> slots;

    for (auto slot : chosen)
        slots.add (slot);

    return slots;
}

CommandLineOptions CommandLineOptions::parse (const juce::StringArray& arguments,
                                              const juce::File& workingFolder, juce::String& error)
{
    CommandLineOptions options;
    ArgumentsRead read;

    const auto fail = [&error] (const juce::String& why)
    {
        error = why;
        return CommandLineOptions();
    };

    if (const auto why = readArguments (arguments, options, read); why.isNotEmpty())
        return fail (why);

    if (options.command == Command::help || options.command == Command::version)
        return options;

    if (read.positional.isEmpty())
        return fail ("no command given");

    if (const auto why = readCommand (read.positional[0], options.command); why.isNotEmpty())
        return fail (why);

    if (const auto why = checkCombination (options, read); why.isNotEmpty())
        return fail (why);

    if (needsFolder (options.command))
        options.folder = workingFolder.getChildFile (read.positional[1]);

    options.slots = read.slotsGiven ? parseSlots (read.slotsText, error) : allSlots();

    if (options.slots.isEmpty())
        return fail (error.isEmpty() ? juce::String ("--slots names no slot") : error);

    return options;
}

juce::String CommandLineOptions::usage()
{
    return "Usage: tonarel [--demo] list\n"
           "       tonarel [--demo] backup DIR [--slots LIST] [--overwrite]\n"
           "       tonarel [--demo] restore DIR [--slots LIST] [--no-snapshot]\n"
           "       tonarel [--demo] undo\n"
           "       tonarel --help | --version\n"
           "\n"
           "Reads and writes the presets of a Tonarel connected over MIDI.\n"
           "\n"
           "  list         prints the 99 slots, one per line: number, a tab, the name\n"
           "  backup DIR   saves the slots as preset files into DIR (made if missing); a file\n"
           "               that exists is kept and the preset saved as a copy beside it\n"
           "  restore DIR  sends each preset file of DIR into the slot its name begins with,\n"
           "               keeping a snapshot of the slot first, and reads the names back\n"
           "  undo         sends the newest snapshot folder back into the slots it holds,\n"
           "               keeping a snapshot of them first (so it can be undone in turn);\n"
           "               prints the folder it used\n"
           "\n"
           "  --slots LIST  only these slots, e.g. 1-10,42 (all 99 when not given)\n"
           "  --overwrite   backup replaces files of the same name\n"
           "  --no-snapshot restore keeps no snapshot of the slots it overwrites\n"
           "  --demo        works with the built-in simulated device, no hardware needed\n"
           "\n"
           "Progress goes to standard error, results to standard output. Exit status: 0 when\n"
           "every preset succeeded, 1 when some did not (or the job was interrupted, or the\n"
           "backup's folder could not be made, or there is no snapshot to undo), 2 for bad\n"
           "arguments (also a restore folder that does not exist), 3 when no Tonarel is found,\n"
           "4 when another program is using the device.\n";
}
