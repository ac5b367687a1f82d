#include "bench/FolderScanBench.h"

#include "presets/PresetFile.h"
#include "simulator/DemoPresets.h"

juce::File makePresetFolder (const juce::File& folder, int fileCount)
{
    folder.createDirectory();

    const auto presets = makeDemoPresets();

    for (int i = 0; i < fileCount; ++i)
    {
        const auto& preset = presets[(size_t) i % presets.size()];
        writePresetFile (folder.getFullPathName(), preset, PresetWriteMode::Overwrite);

        // A save names the file after the slot and the name, so the same preset would land in
        // the same file every round; give each its own name.
        folder.getChildFile (presetFileName (preset))
            .moveFileTo (folder.getChildFile (juce::String::formatted ("scan_%04d.tnl", i)));
    }

    return folder;
}

double timeXmlParsing (const juce::File& folder)
{
    const auto started = juce::Time::getMillisecondCounterHiRes();
    int parsed = 0;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, juce::String ("*") + kPresetFileExtension, juce::File::findFiles))
        if (juce::XmlDocument::parse (entry.getFile()) != nullptr)
            ++parsed;

    const auto elapsed = juce::Time::getMillisecondCounterHiRes() - started;
    jassert (parsed > 0);
    return elapsed;
}
