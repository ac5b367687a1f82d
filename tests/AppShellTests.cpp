#include <gtest/gtest.h>

#include "app/CommandIds.h"
#include "app/ContentComp.h"
#include "app/DesktopDocuments.h"
#include "app/TonarelLookAndFeel.h"
#include "app/TonarelWindow.h"
#include "app/TransferLogWindow.h"
#include "librarian/HelpDocuments.h"
#include "librarian/PresetLibrarianManager.h"
#include "simulator/InProcessMidiPorts.h"
#include "tests/TestHelpers.h"

namespace
{
    /** A main window as the application builds it, with scripted dialogs. */
    struct ShellFixture : public testing::Test, public RecordedDesktop
    {
        ScriptedDialogs dialogs;
        InProcessMidiPorts midiPorts;
        AppServices services = servicesFor (dialogs, midiPorts);
        std::unique_ptr<TonarelWindow> window = std::make_unique<TonarelWindow> (services);

        ContentComp& content() { return *dynamic_cast<ContentComp*> (window->getContentComponent()); }

        bool hasFlag (juce::CommandID id, int flag)
        {
            juce::ApplicationCommandInfo info (id);
            content().getCommandInfo (id, info);
            return (info.flags & flag) != 0;
        }

        bool isTicked (juce::CommandID id) { return hasFlag (id, juce::ApplicationCommandInfo::isTicked); }

        bool invoke (juce::CommandID id) { return window->getCommandManager().invokeDirectly (id, false); }

        /** Runs the message loop until the librarian page is on show, after "Ignore" in the box
            that says the device is missing.
        */
        PresetLibrarianManager* awaitLibrarian()
        {
            dialogs.answers.push_front (2);
            EXPECT_TRUE (dispatchMessagesUntil ([this] { return content().getCurrentPage() != nullptr; }));
            dialogs.boxes.clear();
            return dynamic_cast<PresetLibrarianManager*> (content().getCurrentPage());
        }

        juce::File librarianFolder() const { return documents.root.getChildFile ("Tonarel Librarian Files"); }
    };
}

TEST_F (ShellFixture, LibrarianPageIsBuiltFromTheMessageLoopAndReplacedOnEachCommand)
{
    SCOPED_TRACE ("before the message loop runs, no page is shown and nothing is ticked");
    EXPECT_EQ (content().getCurrentPage(), nullptr);
    EXPECT_EQ (content().getCurrentCommand(), 0);
    EXPECT_FALSE (isTicked (CommandIds::showPresetLibrarian));

    ASSERT_TRUE (dispatchMessagesUntil ([this] { return content().getCurrentPage() != nullptr; }));

    auto* firstPage = content().getCurrentPage();
    EXPECT_NE (dynamic_cast<PresetLibrarianManager*> (firstPage), nullptr);
    EXPECT_EQ (content().getCurrentCommand(), CommandIds::showPresetLibrarian);
    EXPECT_TRUE (isTicked (CommandIds::showPresetLibrarian));
    EXPECT_FALSE (isTicked (CommandIds::showHelp));

    SCOPED_TRACE ("running the command again builds a fresh page");
    juce::Component::SafePointer<juce::Component> oldPage (firstPage);
    EXPECT_TRUE (window->getCommandManager().invokeDirectly (CommandIds::showPresetLibrarian, false));
    EXPECT_EQ (oldPage.getComponent(), nullptr);
    ASSERT_NE (content().getCurrentPage(), nullptr);
    EXPECT_EQ (content().getNumChildComponents(), 1);
}

TEST_F (ShellFixture, ContentInstallsItsLookAndFeelForItsWholeLife)
{
    EXPECT_NE (dynamic_cast<TonarelLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);

    window.reset();
    EXPECT_EQ (dynamic_cast<TonarelLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
}

TEST_F (ShellFixture, HelpOpensTheDocumentBesideTheProgramOrShowsTheErrorBox)
{
    const auto helpFile = programFolder.root.getChildFile ("PresetLibrarianHelp.pdf");

    auto expectErrorBox = [this, &helpFile]
    {
        ASSERT_EQ (dialogs.boxes.size(), 1u);
        const auto& box = dialogs.boxes.front();
        EXPECT_EQ (box.icon, Dialogs::Icon::warning);
        EXPECT_EQ (box.title, "Error");
        EXPECT_EQ (box.message, "Cannot open help file!\n\n" + helpFile.getFullPathName());
        EXPECT_EQ (box.buttons, juce::StringArray { "Ok" });
        dialogs.boxes.clear();
    };

    SCOPED_TRACE ("no document at all");
    EXPECT_TRUE (window->getCommandManager().invokeDirectly (CommandIds::showHelp, false));
    expectErrorBox();

    SCOPED_TRACE ("a folder of the document's name is not a document");
    ASSERT_TRUE (helpFile.createDirectory());
    EXPECT_TRUE (window->getCommandManager().invokeDirectly (CommandIds::showHelp, false));
    helpFile.deleteRecursively();
    expectErrorBox();
    EXPECT_TRUE (openedDocuments.isEmpty());

    SCOPED_TRACE ("the document is there but the desktop cannot open it");
    ASSERT_TRUE (helpFile.replaceWithText ("%PDF-1.4"));
    documentsOpen = false;
    EXPECT_TRUE (window->getCommandManager().invokeDirectly (CommandIds::showHelp, false));
    expectErrorBox();

    SCOPED_TRACE ("the document opens");
    documentsOpen = true;
    EXPECT_TRUE (window->getCommandManager().invokeDirectly (CommandIds::showHelp, false));
    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_EQ (openedDocuments, (juce::Array<juce::File> { helpFile, helpFile }));
}

TEST_F (ShellFixture, SnapshotAndVerifyItemsAreTickedFromTheSettingsAndOutliveThePanel)
{
    SCOPED_TRACE ("without a librarian page there are no settings to change");
    EXPECT_TRUE (hasFlag (CommandIds::keepSnapshotBeforeLoading, juce::ApplicationCommandInfo::isDisabled));
    EXPECT_FALSE (invoke (CommandIds::verifyAfterLoading));

    ASSERT_NE (awaitLibrarian(), nullptr);
    EXPECT_TRUE (isTicked (CommandIds::keepSnapshotBeforeLoading));
    EXPECT_FALSE (isTicked (CommandIds::verifyAfterLoading));

    EXPECT_TRUE (invoke (CommandIds::keepSnapshotBeforeLoading));
    EXPECT_TRUE (invoke (CommandIds::verifyAfterLoading));
    EXPECT_FALSE (isTicked (CommandIds::keepSnapshotBeforeLoading));
    EXPECT_TRUE (isTicked (CommandIds::verifyAfterLoading));

    SCOPED_TRACE ("a new panel reads them back; the configuration file still holds only the folder");
    dialogs.answers.push_front (2);
    EXPECT_TRUE (invoke (CommandIds::showPresetLibrarian));
    EXPECT_FALSE (isTicked (CommandIds::keepSnapshotBeforeLoading));
    EXPECT_TRUE (isTicked (CommandIds::verifyAfterLoading));
    const auto configuration = librarianFolder().getChildFile ("tonarel.cfg").loadFileAsString();
    EXPECT_FALSE (configuration.containsIgnoreCase ("snapshot")) << configuration;

    EXPECT_TRUE (invoke (CommandIds::keepSnapshotBeforeLoading));
    EXPECT_TRUE (isTicked (CommandIds::keepSnapshotBeforeLoading));
}

TEST_F (ShellFixture, UndoLastLoadIsGreyedUntilThereIsALoadToUndoAndHasCtrlZ)
{
    const auto keys = window->getCommandManager().getKeyMappings()->getKeyPressesAssignedToCommand (
        CommandIds::undoLastLoad);
    EXPECT_TRUE (keys.contains (juce::KeyPress ('z', juce::ModifierKeys::commandModifier, 0)));
    EXPECT_TRUE (hasFlag (CommandIds::undoLastLoad, juce::ApplicationCommandInfo::isDisabled));

    ASSERT_NE (awaitLibrarian(), nullptr);
    EXPECT_TRUE (hasFlag (CommandIds::undoLastLoad, juce::ApplicationCommandInfo::isDisabled))
        << "no load yet, and no device";
    EXPECT_FALSE (invoke (CommandIds::undoLastLoad));
    EXPECT_TRUE (dialogs.boxes.empty());
}

TEST_F (ShellFixture, AboutTellsVersionLicenceFrameworkAndWhereTheFilesAre)
{
    EXPECT_TRUE (invoke (CommandIds::showAbout));

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    const auto& box = dialogs.boxes.front();
    EXPECT_EQ (box.title, "About TonarelUtil");
    EXPECT_TRUE (
        box.message.startsWith (juce::String ("TonarelUtil ") + JUCE_APPLICATION_VERSION_STRING + "\n"));
    EXPECT_TRUE (box.message.contains ("GPL-3.0-or-later"));
    EXPECT_TRUE (box.message.contains (juce::SystemStats::getJUCEVersion()));
    EXPECT_TRUE (box.message.contains (librarianFolder().getFullPathName()));
}

TEST_F (ShellFixture, DemoSaysItIsTheDemoAndTheLibrarianKeepsItsTitle)
{
    const auto librarianTitle = juce::String ("Tonarel Librarian - v") + JUCE_APPLICATION_VERSION_STRING;
    EXPECT_EQ (window->getName(), librarianTitle);

    window.reset();
    services.edition = LibrarianConfiguration::Edition::demo;
    window = std::make_unique<TonarelWindow> (services);
    EXPECT_EQ (window->getName(), librarianTitle + " (Demo)");

    EXPECT_TRUE (invoke (CommandIds::showAbout));
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    const auto& about = dialogs.boxes.front().message;
    EXPECT_TRUE (
        about.startsWith (juce::String ("TonarelUtilDemo ") + JUCE_APPLICATION_VERSION_STRING + "\n"))
        << about;
    EXPECT_TRUE (about.contains ("simulated")) << about;
    EXPECT_TRUE (
        about.contains (documents.root.getChildFile ("Tonarel Librarian Files (Demo)").getFullPathName()))
        << about;
}

TEST_F (ShellFixture, TransferLogWindowShowsTheLogAsATableFromItsEndFiltersFailuresCopiesAndOpensItsFolder)
{
    ASSERT_NE (awaitLibrarian(), nullptr);

    SCOPED_TRACE ("no log yet");
    EXPECT_TRUE (invoke (CommandIds::showTransferLog));
    auto* logWindow = content().getTransferLogWindow();
    ASSERT_NE (logWindow, nullptr);
    EXPECT_TRUE (logWindow->isVisible());
    auto& view = logWindow->getView();
    EXPECT_EQ (view.getNumShownRows(), 0);
    EXPECT_EQ (view.getDetailText(), TransferLogView::noLogText);
    EXPECT_FALSE (view.getCopyButton().isEnabled());

    SCOPED_TRACE ("a long log is shown whole, a row per line, its last line in view");
    const juce::String time ("2026-01-01 12:00:00.000");
    juce::String log;
    for (int line = 1; line <= 300; ++line)
        log << time << "\tSave\tread\t" << (line % 99 + 1) << "\t-\t1\tdone\t0.100 s\n";
    const auto failure = time + "\tLoad To\tsend\t7\t007_A.tnl\t2\tTimeout\t1.000 s\t> F0 01 F7 | < F0 02 F7";
    log << failure << "\n"
        << "not a line of the log's\n";
    ASSERT_TRUE (librarianFolder().getChildFile ("tonarel.log").replaceWithText (log));
    logWindow->closeButtonPressed();
    EXPECT_FALSE (logWindow->isVisible());
    EXPECT_TRUE (invoke (CommandIds::showTransferLog));
    EXPECT_EQ (content().getTransferLogWindow(), logWindow) << "the one window is shown again";

    ASSERT_EQ (view.getNumShownRows(), 302);
    EXPECT_EQ (view.getShownLine (300).outcome, "Timeout");
    auto& table = view.getTable();
    const auto lastRow = table.getRowPosition (301, true);
    EXPECT_TRUE (table.getViewport()->getBounds().contains (lastRow.getCentre())) << lastRow.toString();
    EXPECT_FALSE (table.getViewport()->getBounds().contains (table.getRowPosition (0, true).getCentre()));

    SCOPED_TRACE ("Failures Only: the failure alone, its frames below the table once selected");
    EXPECT_EQ (view.getDetailText(), "") << "nothing selected";
    view.getFailuresOnlyButton().triggerClick();
    EXPECT_TRUE (dispatchMessagesUntil ([&view] { return view.getNumShownRows() == 1; }));
    table.selectRow (0);
    EXPECT_EQ (view.getDetailText(), "Frames around the failure, oldest first:\n> F0 01 F7\n< F0 02 F7");

    SCOPED_TRACE ("Copy puts the rows shown on the clipboard, as the log's lines");
    view.getCopyButton().triggerClick();
    EXPECT_TRUE (dispatchMessagesUntil (
        [&failure] { return juce::SystemClipboard::getTextFromClipboard() == failure + "\n"; }));

    SCOPED_TRACE ("all rows again: the failure stays selected, a line not the log's is shown whole");
    view.setFailuresOnly (false);
    EXPECT_EQ (view.getNumShownRows(), 302);
    EXPECT_EQ (table.getSelectedRow(), 300);
    table.selectRow (301);
    EXPECT_TRUE (view.getDetailText().endsWith ("not a line of the log's"));
    view.getCopyButton().triggerClick();
    EXPECT_TRUE (
        dispatchMessagesUntil ([&log] { return juce::SystemClipboard::getTextFromClipboard() == log; }));

    SCOPED_TRACE ("Open Folder opens the librarian's folder, or says where it is");
    view.getOpenFolderButton().triggerClick();
    EXPECT_TRUE (dispatchMessagesUntil ([this] { return ! openedDocuments.isEmpty(); }));
    EXPECT_EQ (openedDocuments, juce::Array<juce::File> { librarianFolder() });
    EXPECT_TRUE (dialogs.boxes.empty());

    documentsOpen = false;
    view.getOpenFolderButton().triggerClick();
    EXPECT_TRUE (dispatchMessagesUntil ([this] { return ! dialogs.boxes.empty(); }));
    EXPECT_EQ (dialogs.boxes.front().title, "Error");
    EXPECT_EQ (dialogs.boxes.front().message,
               "Cannot open Tonarel Librarian Files.\n\n" + librarianFolder().getFullPathName());
}

#if ! JUCE_WINDOWS
// Linux only from here on: the installed layout under a prefix is Linux's (Windows keeps the help
// beside the program), and the desktop's openers run from PATH as separate programs only there
// (Windows hands the document to the shell).
#include <sys/wait.h>

TEST (HelpDocuments, AreLookedForBesideTheProgramFirstThenInTheInstalledDocumentationFolder)
{
    TemporaryFolder prefix;
    const auto programFolder = prefix.root.getChildFile ("bin");
    const auto besideProgram = programFolder.getChildFile ("PresetLibrarianHelp.htm");
    const auto installed = prefix.root.getChildFile ("share/doc/tonarelutil/PresetLibrarianHelp.htm");
    ASSERT_TRUE (programFolder.createDirectory());

    SCOPED_TRACE ("in neither place: the place beside the program, which the error box names");
    EXPECT_EQ (findHelpDocument (programFolder, "PresetLibrarianHelp.htm"), besideProgram);

    SCOPED_TRACE ("installed only");
    ASSERT_TRUE (installed.create());
    EXPECT_EQ (findHelpDocument (programFolder, "PresetLibrarianHelp.htm"), installed);

    SCOPED_TRACE ("beside the program as well: that one is taken");
    ASSERT_TRUE (besideProgram.create());
    EXPECT_EQ (findHelpDocument (programFolder, "PresetLibrarianHelp.htm"), besideProgram);
}

namespace
{
    /** PATH holding only a folder of our own with an "xdg-open" that runs the given script. */
    struct FakeOpener
    {
        explicit FakeOpener (const juce::String& script)
        {
            if (script.isNotEmpty())
            {
                const auto opener = folder.root.getChildFile ("xdg-open");
                opener.replaceWithText ("#!/bin/sh\n" + script + "\n", false, false, "\n");
                opener.setExecutePermission (true);
            }

            ::setenv ("PATH", folder.root.getFullPathName().toRawUTF8(), 1);
        }

        ~FakeOpener() { ::setenv ("PATH", originalPath.toRawUTF8(), 1); }

        /** True when a child of ours has ended and was never reaped. */
        static bool zombieLeft()
        {
            int status = 0;
            return ::waitpid (-1, &status, WNOHANG) > 0;
        }

        TemporaryFolder folder;
        const juce::String originalPath = juce::SystemStats::getEnvironmentVariable ("PATH", {});
    };
} // namespace

TEST (DesktopDocuments, OpenerIsRunWithoutAShellAndItsFailureIsReported)
{
    TemporaryFolder documents;
    const auto document = documents.root.getChildFile ("$(touch ran) `touch ran` \"; touch ran.htm");
    ASSERT_TRUE (document.replaceWithText ("<html></html>"));

    {
        SCOPED_TRACE ("no program on the machine can open documents");
        FakeOpener none ({});
        EXPECT_FALSE (openWithDesktop (document, 100));
        EXPECT_FALSE (FakeOpener::zombieLeft());
    }

    {
        SCOPED_TRACE ("the opener finds nothing that handles the type");
        FakeOpener failing ("exit 3");
        EXPECT_FALSE (openWithDesktop (document, 5000));
        EXPECT_FALSE (FakeOpener::zombieLeft());
    }

    {
        SCOPED_TRACE ("the opener hands the path on unchanged");
        const auto argument = documents.root.getChildFile ("argument");
        FakeOpener recording ("printf '%s' \"$1\" > '" + argument.getFullPathName() + "'");
        EXPECT_TRUE (openWithDesktop (document, 5000));
        EXPECT_EQ (argument.loadFileAsString(), document.getFullPathName());
        EXPECT_FALSE (FakeOpener::zombieLeft());
    }

    {
        SCOPED_TRACE ("a browser that keeps running is showing the document");
        FakeOpener browser ("exec /bin/sleep 1");
        EXPECT_TRUE (openWithDesktop (document, 50));
        EXPECT_FALSE (FakeOpener::zombieLeft());
    }

    EXPECT_FALSE (juce::File::getCurrentWorkingDirectory().getChildFile ("ran").exists());
    EXPECT_FALSE (documents.root.getChildFile ("ran").exists());
}

#endif
