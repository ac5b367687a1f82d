#pragma once

#include <juce_core/juce_core.h>

/** A preset header read from the device, and a row of the device list. */
struct DevicePresetEntry
{
    /** The device slot, 1 to 99. */
    juce::int32 number = 0;
    juce::String name;
    juce::int16 version = 0;

    /** Set by "Compare Device with Folder" when the slot differs from its file in the preset
        folder, or has none; any later read or send of the slot takes it away.
    */
    bool differsFromFolder = false;
};

/** A preset file of the preset folder, and a row of the computer list. */
struct LocalPresetEntry
{
    /** The preset's name as the file records it. */
    juce::String name;

    /** The file's name within the preset folder, extension included. */
    juce::String fileName;
};
