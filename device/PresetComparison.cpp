#include "device/PresetComparison.h"

#include "device/SysexFrame.h"

#include <map>

namespace
{
    using ParameterValues = std::map<juce::int16, juce::int32>;

    // A preset repeating an index is not one the device would send; the last value wins, as it
    // would in the device's own store.
    ParameterValues valuesByIndex (const PresetData& preset)
    {
        ParameterValues values;

        for (const auto& parameter : preset.parameters)
            values[parameter.index] = parameter.value;

        return values;
    }

    std::optional<juce::int32> find (const ParameterValues& values, juce::int16 index)
    {
        const auto found = values.find (index);
        return found != values.end() ? std::optional<juce::int32> (found->second) : std::nullopt;
    }
}

juce::String valueText (const std::optional<juce::int32>& value)
{
    return value.has_value() ? juce::String (*value) : juce::String ("none");
}

PresetDifferences comparePresets (const PresetData& expected, const PresetData& actual)
{
    PresetDifferences differences;
    differences.nameDiffers = toDeviceName (expected.name) != actual.name;
    differences.versionDiffers = expected.version != actual.version;

    const auto expectedValues = valuesByIndex (expected);
    const auto actualValues = valuesByIndex (actual);
    auto indices = expectedValues;
    indices.insert (actualValues.begin(), actualValues.end());

    for (const auto& [index, unused] : indices)
    {
        juce::ignoreUnused (unused);
        const auto wanted = find (expectedValues, index);
        const auto found = find (actualValues, index);

        if (wanted != found)
            differences.parameters.push_back ({ index, wanted, found });
    }

    return differences;
}

juce::String PresetDifferences::summary() const
{
    juce::StringArray parts;

    if (nameDiffers)
        parts.add ("the name differs");

    if (versionDiffers)
        parts.add ("the version differs");

    if (! parameters.empty())
    {
        const auto& first = parameters.front();
        parts.add (juce::String ((int) parameters.size()) +
                   (parameters.size() == 1 ? " parameter differs" : " parameters differ") + " (parameter " +
                   juce::String (first.index) + ": " + valueText (first.expected) + " sent, " +
                   valueText (first.actual) + " read back)");
    }

    return parts.isEmpty() ? juce::String ("identical") : parts.joinIntoString (", ");
}
