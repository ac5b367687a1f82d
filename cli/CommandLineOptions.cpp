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
    juce::StringArray positional;
    juce::String slotsText;
    auto slotsGiven = false;

    const auto fail = [&error] (const juce::String& why)
    {
        error = why;
        return CommandLineOptions();
    };

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];

        if (argument == "--help" || argument == "-h")
        {
            options.command = Command::help;
            return options;
        }

        if (argument == "--version")
        {
            options.command = Command::version;
            return options;
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
                return fail ("--slots needs a list of slots, such as --slots 1-10,42");

            slotsText =
                argument == "--slots" ? arguments[++i] : argument.fromFirstOccurrenceOf ("=", false, false);
            slotsGiven = true;
        }
        else if (argument.startsWith ("-") && argument.length() > 1)
            return fail ("unknown option " + argument);
        else
            positional.add (argument);
    }

    if (positional.isEmpty())
        return fail ("no command given");

    const auto& command = positional[0];

    if (command == "list")
        options.command = Command::list;
    else if (command == "backup")
        options.command = Command::backup;
    else if (command == "restore")
        options.command = Command::restore;
    else
        return fail ("unknown command \"" + command + "\"");

    const auto needsFolder = options.command != Command::list;

    if (positional.size() != (needsFolder ? 2 : 1))
        return fail (needsFolder ? command + " needs one folder" : "list takes no folder");

    if (options.command == Command::list && slotsGiven)
        return fail ("list takes no --slots: it lists all 99 slots");

    if (options.overwrite && options.command != Command::backup)
        return fail ("--overwrite goes with backup only");

    if (! options.snapshot && options.command != Command::restore)
        return fail ("--no-snapshot goes with restore only");

    // An empty name would be taken as the working folder itself: a script whose variable came
    // out empty must not back up into, or restore from, wherever it happened to run.
    if (needsFolder && positional[1].trim().isEmpty())
        return fail (command + " needs a folder name, not an empty one");

    if (needsFolder)
        options.folder = workingFolder.getChildFile (positional[1]);

    options.slots = slotsGiven ? parseSlots (slotsText, error) : allSlots();

    if (options.slots.isEmpty())
        return fail (error.isEmpty() ? juce::String ("--slots names no slot") : error);

    return options;
}

juce::String CommandLineOptions::usage()
{
    return "Usage: tonarel [--demo] list\n"
           "       tonarel [--demo] backup DIR [--slots LIST] [--overwrite]\n"
           "       tonarel [--demo] restore DIR [--slots LIST] [--no-snapshot]\n"
           "       tonarel --help | --version\n"
           "\n"
           "Reads and writes the presets of a Tonarel connected over MIDI.\n"
           "\n"
           "  list         prints the 99 slots, one per line: number, a tab, the name\n"
           "  backup DIR   saves the slots as preset files into DIR (made if missing); a file\n"
           "               that exists is kept and the preset saved as a copy beside it\n"
           "  restore DIR  sends each preset file of DIR into the slot its name begins with,\n"
           "               keeping a snapshot of the slot first, and reads the names back\n"
           "\n"
           "  --slots LIST  only these slots, e.g. 1-10,42 (all 99 when not given)\n"
           "  --overwrite   backup replaces files of the same name\n"
           "  --no-snapshot restore keeps no snapshot of the slots it overwrites\n"
           "  --demo        works with the built-in simulated device, no hardware needed\n"
           "\n"
           "Progress goes to standard error, results to standard output. Exit status: 0 when\n"
           "every preset succeeded, 1 when some did not (or the job was interrupted, or the\n"
           "backup's folder could not be made), 2 for bad arguments (also a restore folder\n"
           "that does not exist), 3 when no Tonarel is found, 4 when another program is\n"
           "using the device.\n";
}
