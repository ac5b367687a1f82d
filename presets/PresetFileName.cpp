#include "presets/PresetFileName.h"

#include "presets/PresetData.h"

bool isUnsafeFileNameCharacter (juce::juce_wchar character) noexcept
{
    switch (character)
    {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|': return true;
        default: return (character >= 0 && character < 0x20) || character == 0x7f;
    }
}

bool isReservedDeviceName (const juce::String& fileName)
{
    // Windows ignores the extension and the blanks before it: "nul.tnl" and "NUL .x" are the device.
    const auto base = fileName.upToFirstOccurrenceOf (".", false, false).trimCharactersAtEnd (" ");

    for (auto* reserved : { "CON", "PRN", "AUX", "NUL" })
        if (base.equalsIgnoreCase (reserved))
            return true;

    const auto stem = base.substring (0, 3);
    return base.length() == 4 && (stem.equalsIgnoreCase ("COM") || stem.equalsIgnoreCase ("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

juce::String makePlainFileName (const juce::String& fileName)
{
    juce::String plain;
    plain.preallocateBytes (fileName.getNumBytesAsUTF8() + 1);

    for (auto p = fileName.getCharPointer(); ! p.isEmpty();)
    {
        const auto character = p.getAndAdvance();
        plain << (isUnsafeFileNameCharacter (character) ? (juce::juce_wchar) '_' : character);
    }

    const auto keptLength = plain.trimCharactersAtEnd (". ").length();
    plain = plain.substring (0, keptLength) + juce::String::repeatedString ("_", plain.length() - keptLength);

    if (plain.startsWithChar ('~'))
        plain = "_" + plain.substring (1);

    if (plain.isEmpty() || isReservedDeviceName (plain))
        plain = "_" + plain;

    return plain;
}

bool isPlainFileName (const juce::String& fileName)
{
    return makePlainFileName (fileName) == fileName;
}

bool isFolderEntryName (const juce::String& fileName)
{
    return fileName.isNotEmpty() && fileName != "." && fileName != ".." && ! fileName.containsAnyOf ("/\\");
}

juce::String presetFileName (const PresetData& preset)
{
    const int number = preset.number;
    const juce::String numberText = number < 10    ? "00" + juce::String (number)
                                    : number < 100 ? "0" + juce::String (number)
                                                   : juce::String (number);

    return makePlainFileName (numberText + "_" + preset.name.removeCharacters (" ") + kPresetFileExtension);
}
