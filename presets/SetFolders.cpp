#include "presets/SetFolders.h"

#include <filesystem>
#include <system_error>

namespace
{
    constexpr int maxNameBytes = 255;

    /** Names Windows gives to devices, with or without an extension. */
    bool isDeviceName (const juce::String& name)
    {
        const auto stem = name.upToFirstOccurrenceOf (".", false, false).trimEnd().toUpperCase();

        if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
            return true;

        return (stem.startsWith ("COM") || stem.startsWith ("LPT")) && stem.length() == 4 &&
               stem.getLastCharacter() >= '1' && stem.getLastCharacter() <= '9';
    }

    bool hasCharacterNoFolderCanHold (const juce::String& name)
    {
        for (auto character : name)
            if (character < ' ' || character == 0x7f || juce::String ("/\\:*?\"<>|").containsChar (character))
                return true;

        return false;
    }
}

namespace SetFolders
{
    juce::String firstFreeName (const juce::File& parent)
    {
        for (int number = 1;; ++number)
        {
            const auto name = "Set " + juce::String (number);

            if (! parent.getChildFile (name).exists())
                return name;
        }
    }

    juce::String problemWithName (const juce::File& parent, const juce::String& name)
    {
        if (name.trim().isEmpty())
            return "A set needs a name.";

        if (name == "." || name == "..")
            return "\"" + name + "\" is no name for a folder.";

        if (hasCharacterNoFolderCanHold (name))
            return "A folder's name cannot hold / \\ : * ? \" < > | or control characters.";

        if (name.endsWithChar (' ') || name.endsWithChar ('.'))
            return "A folder's name cannot end in a blank or a dot.";

        if (isDeviceName (name))
            return "\"" + name + "\" is the name of a device on Windows.";

        if ((int) name.getNumBytesAsUTF8() > maxNameBytes)
            return "The name is too long for a folder.";

        const auto existing = parent.getChildFile (name);

        if (existing.isDirectory())
            return "There is a folder named \"" + name + "\" already.";

        if (existing.exists())
            return "There is a file named \"" + name + "\" already.";

        return {};
    }

    Created create (const juce::File& parent, const juce::String& name)
    {
        if (const auto problem = problemWithName (parent, name); problem.isNotEmpty())
            return { {}, problem };

        // create_directory says whether it made the folder: one that appeared since the check
        // (another librarian, a file manager) is someone else's and is not taken.
        const auto folder = parent.getChildFile (name);
        std::error_code error;
        const auto made = std::filesystem::create_directory (folder.getFullPathName().toStdString(), error);

        if (error)
            return { {}, juce::String (error.message()) };

        if (! made)
            return { {}, "There is a folder named \"" + name + "\" already." };

        return { folder, {} };
    }
}
