#pragma once

#include <juce_core/juce_core.h>

#include <vector>

//==============================================================================
/** The device's preset slots are numbered 1 to 99. */
inline constexpr int kFirstPresetNumber = 1;
inline constexpr int kLastPresetNumber = 99;
inline constexpr int kPresetSlotCount = kLastPresetNumber - kFirstPresetNumber + 1;

/** The parameters of a full preset, indices 0 to 174. A preset may carry others; this count only
    says what a whole one looks like (for progress, and for the presets the simulator makes up).
*/
inline constexpr int kParametersPerPreset = 175;

/** The extension of the preset files the librarian writes and lists. */
inline constexpr const char* kPresetFileExtension = ".tnl";

//==============================================================================

/** One parameter of a preset: the device's number for it and its value. It travels as one
    PARAMETER DATA message and is stored as one "parameter" element of a preset file.
*/
struct PresetParameter
{
    juce::int16 index = 0;
    juce::int32 value = 0;

    bool operator== (const PresetParameter& other) const noexcept
    {
        return index == other.index && value == other.value;
    }

    bool operator!= (const PresetParameter& other) const noexcept { return ! operator== (other); }
};

/** One preset of the device in memory: its slot, its name, the preset format version the device
    reported with it, and its parameters in the order the device sent them. Copied by value.
*/
struct PresetData
{
    juce::int16 number = 0; // device slot 1 to 99; 0 when unknown
    juce::String name;
    juce::int16 version = 0;
    std::vector<PresetParameter> parameters;

    void clear()
    {
        number = 0;
        name.clear();
        version = 0;
        parameters.clear();
    }

    bool operator== (const PresetData& other) const
    {
        return number == other.number && name == other.name && version == other.version &&
               parameters == other.parameters;
    }

    bool operator!= (const PresetData& other) const { return ! operator== (other); }
};

/** What writing a preset file does when the caller has chosen. */
enum class PresetWriteMode
{
    Overwrite = 0,
    Skip = 1,
    CreateCopy = 2
};
