#pragma once

#include <juce_core/juce_core.h>

/** A folder of preset files, made for timing the scan that fills the computer list. The files
    are real preset files, written as a save from the device writes them, with the demo
    presets' content under names of their own.
*/
juce::File makePresetFolder (const juce::File& folder, int fileCount);

/** The time in ms to read and parse every preset file of the folder with XmlDocument and
    nothing more: the least any scan that looks inside the files must spend.
*/
double timeXmlParsing (const juce::File& folder);
