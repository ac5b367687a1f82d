#pragma once

#include "cli/TonarelCommandLine.h"
#include "tests/LibrarianFixture.h"

#include <map>
#include <sstream>

/** Runs `tonarel` commands in this process over the fixture's simulated device, with the
    fixture's documents folder as the librarian's, and keeps what they printed.
*/
class CommandLineRunner : public LibrarianFixture
{
protected:
    /** Runs a command as `tonarel` would with these arguments, over the fixture's device. */
    int run (const juce::StringArray& arguments)
    {
        out.str ({});
        err.str ({});
        return runWith (arguments, out, err, false);
    }

    /** Runs a command with its output going where given, as on a terminal or not. */
    int runWith (const juce::StringArray& arguments, std::ostream& output, std::ostream& errors,
                 bool terminal)
    {
        juce::String error;
        const auto options = CommandLineOptions::parse (arguments, documents.root, error);
        EXPECT_TRUE (error.isEmpty()) << error;

        TonarelCommandLine commandLine (midiPorts, documents.root, LibrarianTimings::brief(), output, errors,
                                        terminal, edition);
        return commandLine.run (options);
    }

    /** The files of a folder and their bytes. */
    static std::map<juce::String, juce::MemoryBlock> filesIn (const juce::File& folder)
    {
        std::map<juce::String, juce::MemoryBlock> files;

        for (const auto& file : folder.findChildFiles (juce::File::findFiles, false))
            file.loadFileAsData (files[file.getFileName()]);

        return files;
    }

    juce::File folder (const juce::String& name) const { return documents.root.getChildFile (name); }

    juce::File snapshotsFolder() const { return applicationFolder().getChildFile ("Snapshots"); }

    juce::String transferLog() const
    {
        return applicationFolder().getChildFile ("tonarel.log").loadFileAsString();
    }

    std::ostringstream out, err;
    LibrarianConfiguration::Edition edition = LibrarianConfiguration::Edition::librarian;
};
