// The test process runs as a JUCE application: JUCE is set up once for the
// whole process, and on Linux a standalone application gets the framework's
// tolerant X error handlers, without which a test that opens a real window can
// die on a harmless X error under a bare Xvfb. The tests run inside
// initialise(), on the message thread; a test that needs posted messages
// delivered runs the dispatch loop itself (see TestHelpers.h).

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    int testArgc = 0;
    char** testArgv = nullptr;

    class TestRunnerApplication final : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override { return "tonarel-tests"; }
        const juce::String getApplicationVersion() override { return "1"; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String&) override
        {
            testing::InitGoogleTest (&testArgc, testArgv);
            setApplicationReturnValue (RUN_ALL_TESTS());
            quit();
        }

        void shutdown() override {}

        // A test may close a window that asks the application to quit; the
        // runner ends only when its tests have run.
        void systemRequestedQuit() override {}
    };

    juce::JUCEApplicationBase* createTestRunner()
    {
        return new TestRunnerApplication();
    }
}

int main (int argc, char** argv)
{
    testArgc = argc;
    testArgv = argv;

    juce::JUCEApplicationBase::createInstance = &createTestRunner;
#if JUCE_WINDOWS
    // JUCE's Windows entry takes no arguments: the application reads the command line from the
    // system, and GoogleTest has its own copy above.
    return juce::JUCEApplicationBase::main();
#else
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
#endif
}
