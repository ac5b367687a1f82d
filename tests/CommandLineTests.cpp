// The command line over the simulated device: what its backups and restores leave, and how it
// ends when something goes wrong.

#include "cli/TonarelCommandLine.h"
#include "device/JuceMidiPorts.h"
#include "tests/LibrarianFixture.h"

#include <sstream>
#include <thread>

class CommandLine : public LibrarianFixture
{
protected:
    /** Runs a command as `tonarel` would with these arguments, over the fixture's device. */
    int run (const juce::StringArray& arguments)
    {
        juce::String error;
        const auto options = CommandLineOptions::parse (arguments, documents.root, error);
        EXPECT_TRUE (error.isEmpty()) << error;

        out.str ({});
        err.str ({});
        TonarelCommandLine commandLine (midiPorts, documents.root, LibrarianTimings::brief(), out, err, false,
                                        edition);
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

    std::ostringstream out, err;
    LibrarianConfiguration::Edition edition = LibrarianConfiguration::Edition::librarian;
};

TEST_F (CommandLine, DemoKeepsItsLogAndSnapshotsInTheDemosFolder)
{
    plugInDevice();
    const auto set = folder ("Set");
    writePresetFile (set, device->getSlot (3));
    edition = LibrarianConfiguration::Edition::demo;

    ASSERT_EQ (run ({ "restore", "Set" }), TonarelCommandLine::success) << err.str();

    const LibrarianConfiguration demo (documents.root, edition);
    EXPECT_TRUE (demo.getTransferLogFile().existsAsFile());
    EXPECT_TRUE (demo.getSnapshotsFolder().isDirectory());
    EXPECT_FALSE (applicationFolder().exists()) << "the librarian's folder was touched";
}

TEST_F (CommandLine, BackupEqualsSaveAllAndRestorePutsEveryPresetBack)
{
    plugInDevice();
    openPanel();
    panel->buttonClicked (&panel->getSaveAllButton());
    ASSERT_EQ (panel->getStatusLabel().getText(), "reading and saving done");
    const auto savedByLibrarian = filesIn (juce::File (panel->getPresetManager().presetFolder));
    panel.reset(); // one program at a time talks to the device

    ASSERT_EQ (run ({ "backup", "Weekly" }), TonarelCommandLine::success) << err.str();
    EXPECT_EQ (filesIn (folder ("Weekly")), savedByLibrarian);
    EXPECT_EQ (juce::StringArray::fromLines (out.str()).size(), 100)
        << "99 result lines and the last line end";

    SCOPED_TRACE ("a second backup keeps the files and saves copies beside them");
    ASSERT_EQ (run ({ "backup", "Weekly", "--slots", "7,9" }), TonarelCommandLine::success) << err.str();
    EXPECT_EQ (filesIn (folder ("Weekly")).size(), 101u);

    SCOPED_TRACE ("the device is changed; a restore puts every slot back, keeping a snapshot first");
    const auto before = device->getSlot (12);
    for (int slot = 1; slot <= kPresetSlotCount; ++slot)
    {
        auto changed = device->getSlot (slot);
        changed.name = "Changed " + juce::String (slot);
        changed.parameters[0].value += 1;
        device->setSlot (slot, changed);
    }

    ASSERT_EQ (run ({ "restore", "Weekly" }), TonarelCommandLine::success) << err.str();
    EXPECT_TRUE (err.str().find ("copy1_007") != std::string::npos) << "a copy names no slot and is left out";
    EXPECT_EQ (device->getSlot (12).parameters, before.parameters);
    EXPECT_EQ (device->getSlot (12).name, before.name);
    EXPECT_TRUE (err.str().find ("slot 99 now holds") != std::string::npos) << "the names are read back";

    const auto snapshots =
        applicationFolder().getChildFile ("Snapshots").findChildFiles (juce::File::findDirectories, false);
    ASSERT_EQ (snapshots.size(), 1);
    EXPECT_EQ (snapshots[0].getNumberOfChildFiles (juce::File::findFiles, "*.tnl"), kPresetSlotCount);
}

TEST_F (CommandLine, UnpluggingMidJobIsAPartialFailureThatNamesTheSlot)
{
    plugInDevice();
    const auto backup = folder ("Interrupted");

    // Pulled out once the job is well under way; where exactly does not matter, the report must
    // name the slot it stopped at.
    std::thread unplugger (
        [&]
        {
            while (backup.getNumberOfChildFiles (juce::File::findFiles, "*.tnl") < 3)
                juce::Thread::sleep (1);

            device->unplug();
        });

    const auto status = run ({ "backup", backup.getFullPathName() });
    unplugger.join();

    EXPECT_EQ (status, TonarelCommandLine::partialFailure);
    const auto saved = backup.getNumberOfChildFiles (juce::File::findFiles, "*.tnl");
    ASSERT_LT (saved, kPresetSlotCount);
    EXPECT_TRUE (err.str().find ("the backup stopped at slot " + std::to_string (saved + 1)) !=
                 std::string::npos)
        << err.str();

    SCOPED_TRACE ("with the device gone, a new command finds none");
    EXPECT_EQ (run ({ "list" }), TonarelCommandLine::noDevice);
}

TEST (CommandLineArguments, MistakesAreOneLineAndSlotListsAreRead)
{
    const juce::File here ("/tmp");
    juce::String error;

    EXPECT_EQ (CommandLineOptions::parseSlots ("1-3, 42,2", error), (juce::Array<int> { 1, 2, 3, 42 }));

    for (const auto* wrong : { "0", "100", "5-2", "1-", "a", "1,,2" })
    {
        error.clear();
        EXPECT_TRUE (CommandLineOptions::parseSlots (wrong, error).isEmpty()) << wrong;
        EXPECT_FALSE (error.isEmpty()) << wrong;
    }

    const juce::StringArray mistakes[] = { {},
                                           { "bogus" },
                                           { "backup" },
                                           { "list", "x" },
                                           { "backup", "d", "--no-snapshot" },
                                           { "restore", "d", "--overwrite" },
                                           { "list", "--frobnicate" },
                                           { "backup", "d", "--slots" } };

    for (const auto& arguments : mistakes)
    {
        error.clear();
        const auto options = CommandLineOptions::parse (arguments, here, error);
        EXPECT_EQ (options.command, CommandLineOptions::Command::none) << arguments.joinIntoString (" ");
        EXPECT_TRUE (error.isNotEmpty() && ! error.containsChar ('\n')) << error;
    }

    const auto backup =
        CommandLineOptions::parse ({ "--demo", "backup", "sets/weekly", "--slots=5" }, here, error);
    EXPECT_EQ (backup.command, CommandLineOptions::Command::backup);
    EXPECT_TRUE (backup.demo);
    EXPECT_EQ (backup.folder, juce::File ("/tmp/sets/weekly"));
    EXPECT_EQ (backup.slots, juce::Array<int> { 5 });
}

TEST (CommandLineProgram, ExitsWithItsStatusAndWaitsItsTurnForTheDevice)
{
    const auto program = juce::File (TONAREL_COMMAND_LINE);
    const auto runProgram = [&program] (const juce::StringArray& arguments, juce::String& output)
    {
        juce::ChildProcess process;
        juce::StringArray command { program.getFullPathName() };
        command.addArray (arguments);
        EXPECT_TRUE (
            process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr));
        output = process.readAllProcessOutput();
        EXPECT_TRUE (process.waitForProcessToFinish (20000)); // the exit code is only known once reaped
        return (int) process.getExitCode();
    };

    juce::String output;
    EXPECT_EQ (runProgram ({ "restore" }, output), TonarelCommandLine::badArguments);
    EXPECT_TRUE (output.startsWith ("tonarel: restore needs one folder\n\nUsage: tonarel")) << output;

    EXPECT_EQ (runProgram ({ "--demo", "list" }, output), TonarelCommandLine::success);
    EXPECT_TRUE (output.startsWith ("01\t")) << output;
    EXPECT_EQ (juce::StringArray::fromLines (output.trimEnd()).size(), kPresetSlotCount);

    SCOPED_TRACE ("while the librarian holds the device, the command line says so and ends");
    juce::InterProcessLock librarianRunning (JuceMidiPorts::deviceLockName);
    ASSERT_TRUE (librarianRunning.enter (0));
    EXPECT_EQ (runProgram ({ "list" }, output), TonarelCommandLine::deviceBusy);
    EXPECT_TRUE (output.startsWith ("tonarel: the librarian (TonarelUtil) is using the Tonarel")) << output;

    SCOPED_TRACE ("and the librarian started while the command line holds the device says so and ends");
    juce::ChildProcess librarian;
    ASSERT_TRUE (librarian.start (juce::StringArray { TONAREL_LIBRARIAN }, juce::ChildProcess::wantStdErr));
    const auto said = librarian.readAllProcessOutput();
    EXPECT_TRUE (librarian.waitForProcessToFinish (20000));
    EXPECT_TRUE (said.contains ("TonarelUtil: the tonarel command line is using the Tonarel")) << said;
}
