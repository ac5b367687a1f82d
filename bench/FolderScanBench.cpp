#include "bench/FolderScanBench.h"

#include "simulator/DemoPresets.h"
#include "simulator/InProcessMidiPorts.h"
#include "device/PresetManager.h"

juce::File makePresetFolder (const juce::File& folder, int fileCount)
{
    folder.createDirectory();

    InProcessMidiPorts noPorts;
    PresetManager writer (noPorts);
    writer.presetFolder = folder.getFullPathName();

    const auto presets = makeDemoPresets();

    for (int i = 0; i < fileCount; ++i)
    {
        writer.received = presets[(size_t) i % presets.size()];
        writer.writePresetFile (PresetWriteMode::Overwrite);

        // A save names the file after the slot and the name, so the same preset would land in
        // the same file every round; give each its own name.
        folder.getChildFile (PresetManager::presetFileName (writer.received))
            .moveFileTo (folder.getChildFile (juce::String::formatted ("scan_%04d.tnl", i)));
    }

    return folder;
}

double timeXmlParsing (const juce::File& folder)
{
    const auto started = juce::Time::getMillisecondCounterHiRes();
    int parsed = 0;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*.tnl", juce::File::findFiles))
        if (juce::XmlDocument::parse (entry.getFile()) != nullptr)
            ++parsed;

    const auto elapsed = juce::Time::getMillisecondCounterHiRes() - started;
    jassert (parsed > 0);
    return elapsed;
}
