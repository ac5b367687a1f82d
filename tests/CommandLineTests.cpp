// The command line over the simulated device: what its backups and restores leave, and how it
// ends when something goes wrong.

#include "cli/TonarelCommandLine.h"
#include "device/DeviceLock.h"
#include "device/JuceMidiPorts.h"
#include "presets/SnapshotFolders.h"
#include "tests/CommandLineRunner.h"

#include "presets/PresetFile.h"

#include <sstream>
#include <thread>

#if ! JUCE_WINDOWS
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

class CommandLine : public CommandLineRunner
{
protected:
    static bool samePreset (const PresetData& a, const PresetData& b)
    {
        return a.name == b.name && a.version == b.version && a.parameters == b.parameters;
    }
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
    const auto savedByLibrarian = filesIn (juce::File (panel->getPresetFiles().getFolderPath()));
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

namespace
{
    /** The lines a terminal shows after it was sent text: a carriage return goes back to the start
        of the line, ESC [ K clears the rest of it, and other text writes over what is there.
    */
    juce::StringArray screenOf (const std::string& text)
    {
        juce::StringArray lines;
        std::string line;
        size_t column = 0;

        for (size_t i = 0; i < text.size(); ++i)
        {
            if (text[i] == '\n')
            {
                lines.add (line);
                line.clear();
                column = 0;
            }
            else if (text[i] == '\r')
                column = 0;
            else if (text.compare (i, 3, "\x1b[K") == 0)
            {
                line.resize (column);
                i += 2;
            }
            else
            {
                if (column < line.size())
                    line[column] = text[i];
                else
                    line += text[i];

                ++column;
            }
        }

        if (! line.empty())
            lines.add (line);

        return lines;
    }
} // namespace

TEST_F (CommandLine, OnATerminalResultLinesStandAloneAndNoBarIsLeft)
{
    plugInDevice();
    std::ostringstream terminal; // standard output and error on one terminal
    ASSERT_EQ (runWith ({ "backup", "OnScreen", "--slots", "1-3" }, terminal, terminal, true),
               TonarelCommandLine::success);

    const auto screen = screenOf (terminal.str());
    ASSERT_EQ (screen.size(), 3) << screen.joinIntoString ("|");

    for (int slot = 1; slot <= 3; ++slot)
        EXPECT_EQ (screen[slot - 1],
                   "0" + juce::String (slot) + "\t" + device->getSlot (slot).name + "\tdone");
}

TEST_F (CommandLine, UnreadableFileFailsAloneAndTheRestoreSendsTheOthers)
{
    plugInDevice();
    ASSERT_EQ (run ({ "backup", "Set", "--slots", "10,20,30" }), TonarelCommandLine::success) << err.str();
    const auto set = folder ("Set");
    const auto broken = set.getChildFile (presetFileName (device->getSlot (10)));
    ASSERT_TRUE (broken.replaceWithText ("<TonarelPreset"));
    const auto before = device->getSlot (10);

    for (auto slot : { 20, 30 })
    {
        auto changed = device->getSlot (slot);
        changed.name = "Changed";
        device->setSlot (slot, changed);
    }

    EXPECT_EQ (run ({ "restore", set.getFullPathName(), "--no-snapshot" }),
               TonarelCommandLine::partialFailure);
    EXPECT_NE (device->getSlot (20).name, "Changed") << err.str();
    EXPECT_NE (device->getSlot (30).name, "Changed") << err.str();
    EXPECT_TRUE (samePreset (device->getSlot (10), before));
    EXPECT_TRUE (err.str().find (broken.getFileName().toStdString() +
                                 " could not be read as a preset file: ") != std::string::npos)
        << err.str();
    EXPECT_TRUE (out.str().find ("Error") == std::string::npos) << "no device fault: " << out.str();
}

TEST_F (CommandLine, SaveFailedNamesTheFileAndWhy)
{
    plugInDevice();
    const auto set = folder ("Blocked");
    const auto blocking = set.getChildFile (presetFileName (device->getSlot (2)));
    ASSERT_TRUE (blocking.createDirectory()); // a folder of the file's name is in the way

    EXPECT_EQ (run ({ "backup", set.getFullPathName(), "--slots", "1-3", "--overwrite" }),
               TonarelCommandLine::partialFailure);
    EXPECT_TRUE (err.str().find ("the backup stopped at slot 2 (" + device->getSlot (2).name.toStdString() +
                                 "): Save failed") != std::string::npos)
        << err.str();
    EXPECT_TRUE (err.str().find (blocking.getFileName().toStdString() + " could not be saved in " +
                                 set.getFullPathName().toStdString() +
                                 ": a folder of that name is in the way") != std::string::npos)
        << err.str();

    SCOPED_TRACE ("a file where the folder is to be made");
    const auto file = folder ("NotAFolder");
    ASSERT_TRUE (file.replaceWithText ("x"));
    EXPECT_EQ (run ({ "backup", file.getFullPathName() }), TonarelCommandLine::partialFailure);
    EXPECT_TRUE (err.str().find ("cannot make the folder " + file.getFullPathName().toStdString() +
                                 ": a file of that name is in the way") != std::string::npos)
        << err.str();
}

TEST_F (CommandLine, NamesHoldingANewlineOrTabAreQuotedInResultLines)
{
    plugInDevice();
    auto oddlyNamed = device->getSlot (4);
    oddlyNamed.name = "Two\nLines\tTabbed";
    device->setSlot (4, oddlyNamed);

    ASSERT_EQ (run ({ "backup", "Odd", "--slots", "4,5" }), TonarelCommandLine::success) << err.str();
    const auto lines = juce::StringArray::fromLines (out.str());
    EXPECT_EQ (lines[0], "04\t\"Two\\nLines\\tTabbed\"\tdone") << out.str();
    EXPECT_EQ (lines[1], "05\t" + device->getSlot (5).name + "\tdone");
}

TEST_F (CommandLine, UndoSendsTheNewestSnapshotBackAndCanItselfBeUndone)
{
    plugInDevice();

    SCOPED_TRACE ("with no snapshot there is nothing to undo");
    EXPECT_EQ (run ({ "undo" }), TonarelCommandLine::partialFailure);
    EXPECT_TRUE (err.str().find ("there is no snapshot to undo") != std::string::npos) << err.str();

    const auto before = device->getSlot (4);
    auto changed = device->getSlot (4);
    changed.name = "Restored Four";
    changed.parameters[2].value += 9;
    writePresetFile (folder ("Set"), changed);
    ASSERT_EQ (run ({ "restore", "Set" }), TonarelCommandLine::success) << err.str();
    ASSERT_TRUE (samePreset (device->getSlot (4), changed));

    SCOPED_TRACE ("undo sends the restore's snapshot back, and says which folder it used");
    const auto restoreSnapshot = SnapshotFolders::newest (snapshotsFolder(), juce::Time::getCurrentTime());
    ASSERT_EQ (run ({ "undo" }), TonarelCommandLine::success) << err.str();
    const auto lines = juce::StringArray::fromLines (juce::String (out.str()).trimEnd());
    ASSERT_EQ (lines.size(), 2) << out.str();
    EXPECT_EQ (lines[0], "undoing with " + restoreSnapshot.getFullPathName());
    EXPECT_EQ (lines[1], "04\t" + presetFileName (before) + "\tdone");
    EXPECT_TRUE (samePreset (device->getSlot (4), before));
    EXPECT_EQ (device->getPresetsStored(), 2) << "only slot 4 was written, by the restore and the undo";

    SCOPED_TRACE ("undo again takes the undo back, from the snapshot the undo kept");
    ASSERT_EQ (run ({ "undo" }), TonarelCommandLine::success) << err.str();
    EXPECT_TRUE (samePreset (device->getSlot (4), changed));
    EXPECT_TRUE (transferLog().contains ("Undo")) << transferLog();

    SCOPED_TRACE ("a snapshot folder emptied by the user is reported, and nothing is sent");
    const auto newest = SnapshotFolders::newest (snapshotsFolder(), juce::Time::getCurrentTime());
    for (const auto& file : newest.findChildFiles (juce::File::findFiles, false, "*.tnl"))
        file.deleteFile();
    EXPECT_EQ (run ({ "undo" }), TonarelCommandLine::partialFailure);
    EXPECT_EQ (device->getPresetsStored(), 3);
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
                                           { "backup", "d", "--slots" },
                                           { "backup", "" },
                                           { "restore", "  " },
                                           { "undo", "Set" },
                                           { "undo", "--slots", "1" },
                                           { "undo", "--no-snapshot" } };

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

#if ! JUCE_WINDOWS
// Linux only from here on. The built programs are given a home of their own through HOME, which
// Windows programs do not take their Documents folder from (the system's shell folders say where
// it is); they are stopped by POSIX signals; and the device lock is a file only on Linux (a named
// mutex on Windows). The Windows programs are driven under Wine end to end instead.

/** The built programs, each run in a home folder of its own: they write their log and settings
    under the home's Documents, which must never be the developer's.
*/
class CommandLineProgram : public ::testing::Test
{
protected:
    /** The command that starts a program in the test's home, without a display unless asked. */
    juce::StringArray commandFor (const juce::String& program, const juce::StringArray& arguments,
                                  bool withDisplay = false) const
    {
        juce::StringArray command { "/usr/bin/env" };

        if (! withDisplay)
            command.addArray ({ "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY" });

        command.addArray ({ "HOME=" + home.root.getFullPathName(),
                            "XDG_CONFIG_HOME=" + home.root.getChildFile (".config").getFullPathName(),
                            "XDG_DATA_HOME=" + home.root.getChildFile (".local/share").getFullPathName(),
                            "XDG_CACHE_HOME=" + home.root.getChildFile (".cache").getFullPathName(),
                            program });
        command.addArray (arguments);
        return command;
    }

    int runProgram (const juce::String& program, const juce::StringArray& arguments, juce::String& output)
    {
        juce::ChildProcess process;
        EXPECT_TRUE (process.start (commandFor (program, arguments),
                                    juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr));
        output = process.readAllProcessOutput();
        EXPECT_TRUE (process.waitForProcessToFinish (20000)); // the exit code is only known once reaped
        return (int) process.getExitCode();
    }

    /** Starts `tonarel` with its output going to files of the home; returns its process id. */
    pid_t spawnCommandLine (const juce::StringArray& arguments)
    {
        const auto command = commandFor (TONAREL_COMMAND_LINE, arguments);
        std::vector<std::string> words;
        for (const auto& word : command)
            words.push_back (word.toStdString());
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back (word.data());
        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO,
                                          standardOutput().getFullPathName().toRawUTF8(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO,
                                          standardError().getFullPathName().toRawUTF8(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        EXPECT_EQ (posix_spawn (&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy (&actions);
        return pid;
    }

    juce::File standardOutput() const { return home.root.getChildFile ("stdout.txt"); }
    juce::File standardError() const { return home.root.getChildFile ("stderr.txt"); }

    juce::File documentsFolder() const { return home.root.getChildFile ("Documents"); }

    TemporaryFolder home;
};

TEST_F (CommandLineProgram, ExitsWithItsStatusAndWaitsItsTurnForTheDevice)
{
    juce::String output;
    EXPECT_EQ (runProgram (TONAREL_COMMAND_LINE, { "restore" }, output), TonarelCommandLine::badArguments);
    EXPECT_TRUE (output.startsWith ("tonarel: restore needs one folder\n\nUsage: tonarel")) << output;

    EXPECT_EQ (runProgram (TONAREL_COMMAND_LINE, { "--demo", "list" }, output), TonarelCommandLine::success);
    EXPECT_TRUE (output.startsWith ("01\t")) << output;
    EXPECT_EQ (juce::StringArray::fromLines (output.trimEnd()).size(), kPresetSlotCount);
    EXPECT_TRUE (LibrarianConfiguration (documentsFolder(), LibrarianConfiguration::Edition::demo)
                     .getApplicationFolder()
                     .isDirectory())
        << "the program wrote into the home it was given";
    EXPECT_FALSE (LibrarianConfiguration (documentsFolder()).getApplicationFolder().exists())
        << "the demo kept out of the librarian's own folder";

    SCOPED_TRACE ("a restore from what is not a folder is a mistake in the arguments");
    EXPECT_EQ (runProgram (TONAREL_COMMAND_LINE,
                           { "--demo", "restore", home.root.getChildFile ("none").getFullPathName() },
                           output),
               TonarelCommandLine::badArguments);

    SCOPED_TRACE ("while the librarian holds the device, the command line says so and ends");
    juce::InterProcessLock librarianRunning (JuceMidiPorts::deviceLockName);
    ASSERT_TRUE (librarianRunning.enter (0));
    EXPECT_EQ (runProgram (TONAREL_COMMAND_LINE, { "list" }, output), TonarelCommandLine::deviceBusy);
    EXPECT_TRUE (output.startsWith ("tonarel: the librarian (TonarelUtil) is using the Tonarel")) << output;

    SCOPED_TRACE ("and the librarian started while the command line holds the device says so and fails");
    const auto status = runProgram (TONAREL_LIBRARIAN, {}, output);
    EXPECT_TRUE (output.contains ("TonarelUtil: the tonarel command line is using the Tonarel")) << output;
    EXPECT_NE (status, 0);
}

TEST_F (CommandLineProgram, UndoOnTheDemoNamesItsSnapshotAndExitsAsARestoreDoes)
{
    juce::String output;
    EXPECT_EQ (runProgram (TONAREL_COMMAND_LINE, { "--demo", "undo" }, output),
               TonarelCommandLine::partialFailure);
    EXPECT_TRUE (output.startsWith ("tonarel: there is no snapshot to undo in ")) << output;

    EXPECT_EQ (runProgram (TONAREL_COMMAND_LINE, { "--demo", "undo", "Set" }, output),
               TonarelCommandLine::badArguments);
    EXPECT_TRUE (output.startsWith ("tonarel: undo takes no folder\n\nUsage: tonarel")) << output;

    const auto set = home.root.getChildFile ("Set");
    ASSERT_EQ (runProgram (TONAREL_COMMAND_LINE,
                           { "--demo", "backup", set.getFullPathName(), "--slots", "3" }, output),
               TonarelCommandLine::success)
        << output;
    ASSERT_EQ (runProgram (TONAREL_COMMAND_LINE, { "--demo", "restore", set.getFullPathName() }, output),
               TonarelCommandLine::success)
        << output;

    const auto snapshots = LibrarianConfiguration (documentsFolder(), LibrarianConfiguration::Edition::demo)
                               .getSnapshotsFolder();
    const auto restoreSnapshot = SnapshotFolders::newest (snapshots, juce::Time::getCurrentTime());
    ASSERT_TRUE (restoreSnapshot.isDirectory());
    EXPECT_EQ (runProgram (TONAREL_COMMAND_LINE, { "--demo", "undo" }, output), TonarelCommandLine::success)
        << output;
    EXPECT_TRUE (output.contains ("undoing with " + restoreSnapshot.getFullPathName() + "\n")) << output;
    EXPECT_EQ (snapshots.findChildFiles (juce::File::findDirectories, false).size(), 2)
        << "the undo kept a snapshot of its own";
}

TEST_F (CommandLineProgram, HangUpEndsABackupAsCtrlCDoesAndEveryPresetReportedDoneIsOnDisk)
{
    const auto backup = home.root.getChildFile ("Hung up");

    for (const auto signalNumber : { SIGHUP, SIGINT })
    {
        SCOPED_TRACE (signalNumber == SIGHUP ? "hang-up" : "Ctrl+C");
        backup.deleteRecursively();
        const auto pid = spawnCommandLine ({ "--demo", "backup", backup.getFullPathName() });
        ASSERT_GT (pid, 0);

        // Stopped once it is under way; where exactly does not matter, what it reports must hold.
        const auto deadline = juce::Time::getMillisecondCounter() + 20000;
        while (backup.getNumberOfChildFiles (juce::File::findFiles, "*.tnl") < 3 &&
               juce::Time::getMillisecondCounter() < deadline)
            juce::Thread::sleep (5);

        kill (pid, signalNumber);
        int status = 0;
        ASSERT_EQ (waitpid (pid, &status, 0), pid);
        ASSERT_TRUE (WIFEXITED (status))
            << "ended by the signal itself: " << (WIFSIGNALED (status) ? WTERMSIG (status) : 0);
        EXPECT_EQ (WEXITSTATUS (status), TonarelCommandLine::partialFailure);

        auto reportedDone = 0;
        for (const auto& line : juce::StringArray::fromLines (standardOutput().loadFileAsString()))
        {
            const auto fields = juce::StringArray::fromTokens (line, "\t", "");
            if (fields.size() == 3 && fields[2] == "done")
            {
                ++reportedDone;
                const auto fileName = juce::String (fields[0].getIntValue()).paddedLeft ('0', 3) + "_";
                EXPECT_EQ (backup.findChildFiles (juce::File::findFiles, false, fileName + "*.tnl").size(), 1)
                    << line;
            }
        }

        for (const auto& file : backup.findChildFiles (juce::File::findFiles, false, "*.tnl"))
            EXPECT_TRUE (readPresetFile (backup.getFullPathName(), file.getFileName()).has_value())
                << file.getFileName();

        EXPECT_EQ (backup.getNumberOfChildFiles (juce::File::findFiles, "*.tnl"), reportedDone)
            << standardOutput().loadFileAsString();
        EXPECT_TRUE (standardError().loadFileAsString().contains (juce::String (reportedDone) +
                                                                  " of 99 presets saved"))
            << standardError().loadFileAsString();
    }
}

namespace
{
    /** Whether another process finds the lock file locked: a child tries to take it. */
    bool lockedForOtherProcesses (const juce::File& lockFile)
    {
        const auto path = lockFile.getFullPathName().toStdString();
        const auto child = fork();

        if (child == 0)
        {
            // Only async-signal-safe calls in the child of a threaded process.
            const auto descriptor = open (path.c_str(), O_RDWR);
            struct flock wanted = {};
            wanted.l_type = F_WRLCK;
            wanted.l_whence = SEEK_SET;
            _exit (descriptor >= 0 && fcntl (descriptor, F_SETLK, &wanted) == 0 ? 0 : 1);
        }

        int status = 0;
        waitpid (child, &status, 0);
        return WIFEXITED (status) && WEXITSTATUS (status) == 1;
    }
} // namespace

TEST (DeviceLockFile, LookingAtTheLockFileLeavesTheLockHeld)
{
    // A lock of the program's kind, under a name of this test's own.
    const auto name = "tonarel-test-lock-" + juce::Uuid().toString();
    const auto lockFile = DeviceLock::lockFileFor (name);
    {
        juce::InterProcessLock lock (name);
        ASSERT_TRUE (lock.enter (0));
        ASSERT_TRUE (lockedForOtherProcesses (lockFile));

        // Closing any descriptor of a file lets go of the process's locks on it.
        EXPECT_EQ (DeviceLock::whyUnusable (lockFile), "");
        EXPECT_TRUE (lockedForOtherProcesses (lockFile)) << "the look let go of the lock";
    }
    lockFile.deleteFile();
}

TEST (DeviceLockFile, OneThatCannotBeOpenedIsNotTakenForAFreeLock)
{
    TemporaryFolder temporary;
    EXPECT_EQ (DeviceLock::whyUnusable (temporary.root.getChildFile ("juceAppLock_Missing")), "")
        << "a missing one is made by the lock";
    const auto usable = temporary.root.getChildFile ("juceAppLock_Usable");
    ASSERT_TRUE (usable.create());
    EXPECT_EQ (DeviceLock::whyUnusable (usable), "");
    // Another user's lock file cannot be opened; the test runs as any user, even the superuser,
    // so a folder in the lock file's place stands in for it.
    const auto unopenable = temporary.root.getChildFile ("juceAppLock_Unopenable");
    ASSERT_TRUE (unopenable.createDirectory());
    const auto why = DeviceLock::whyUnusable (unopenable);
    EXPECT_NE (why, "");
    EXPECT_TRUE (DeviceLock::describeUnusable (unopenable, why).contains (unopenable.getFullPathName()));
    EXPECT_EQ (DeviceLock::lockFileFor ("juceAppLock_TonarelUtil").getParentDirectory().getFullPathName(),
               juce::File ("/var/tmp").isDirectory() ? "/var/tmp" : "/tmp");
}

#endif
