// Every input the fuzzers ever crashed on is kept under tests/fuzz/regressions/<target>/ and
// replayed here through the same entry function, together with the seed corpus, so the plain
// build checks them on every run without clang or libFuzzer.

#include "tests/fuzz/FuzzEntries.h"

#include <gtest/gtest.h>

namespace
{
    using FuzzEntry = bool (*) (const uint8_t*, size_t);

    /** Runs every file of tests/fuzz/<kind>/<target> through the entry; returns how many. */
    int replayInputs (const char* kind, const char* target, FuzzEntry entry)
    {
        const auto folder = juce::File (TONAREL_FUZZ_INPUTS).getChildFile (kind).getChildFile (target);
        int replayed = 0;

        for (const auto& input : folder.findChildFiles (juce::File::findFiles, false))
        {
            juce::MemoryBlock bytes;
            EXPECT_TRUE (input.loadFileAsData (bytes)) << input.getFullPathName();
            EXPECT_TRUE (entry (static_cast<const uint8_t*> (bytes.getData()), bytes.getSize()))
                << input.getFullPathName();
            ++replayed;
        }

        return replayed;
    }

    void replayTarget (const char* target, FuzzEntry entry)
    {
        EXPECT_GT (replayInputs ("corpus", target, entry), 0) << "no seed inputs for " << target;
        replayInputs ("regressions", target, entry);
    }
} // namespace

TEST (FuzzRegressions, DeviceFramesDuringReadAndSend)
{
    replayTarget ("preset-manager", fuzzPresetManagerExchange);
}

TEST (FuzzRegressions, PresetFiles)
{
    replayTarget ("preset-file", fuzzPresetFileRead);
}

TEST (FuzzRegressions, ConfigurationFiles)
{
    replayTarget ("configuration", fuzzConfigurationRead);
}
