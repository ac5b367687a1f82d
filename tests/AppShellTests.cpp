#include <gtest/gtest.h>

#include <sys/wait.h>

#include "app/CommandIds.h"
#include "app/ContentComp.h"
#include "app/DesktopDocuments.h"
#include "app/TonarelLookAndFeel.h"
#include "app/TonarelWindow.h"
#include "simulator/InProcessMidiPorts.h"
#include "librarian/HelpDocuments.h"
#include "librarian/PresetLibrarianManager.h"
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

        bool isTicked (juce::CommandID id)
        {
            juce::ApplicationCommandInfo info (id);
            content().getCommandInfo (id, info);
            return (info.flags & juce::ApplicationCommandInfo::isTicked) != 0;
        }
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
