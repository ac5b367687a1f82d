#pragma once

#include "presets/PresetData.h"

#include <optional>

/** How a preset in a slot differs from the preset it should hold. The name is compared as the
    device stores it (see toDeviceName), so a file whose name the wire shortens is not a
    difference; the parameters are compared by index, whatever order they came in.
*/
struct PresetDifferences
{
    struct Parameter
    {
        juce::int16 index = 0;
        std::optional<juce::int32> expected; // none: the slot has a parameter the file lacks
        std::optional<juce::int32> actual;   // none: the slot lacks one of the file's parameters
    };

    bool nameDiffers = false;
    bool versionDiffers = false;
    std::vector<Parameter> parameters;

    bool isEmpty() const noexcept { return ! nameDiffers && ! versionDiffers && parameters.empty(); }

    /** One line for a notice or a log: what differs first, and how many parameters do. */
    juce::String summary() const;
};

/** A parameter's value as text: "none" where one side lacks the parameter. */
juce::String valueText (const std::optional<juce::int32>& value);

/** Compares what was meant to be in a slot (expected, from a file) with what a read of the slot
    brought back (actual).
*/
PresetDifferences comparePresets (const PresetData& expected, const PresetData& actual);
