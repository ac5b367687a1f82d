#include "presets/PresetFileName.h"

#include "presets/PresetNumberText.h"

#include <cstring>

namespace
{
    /** A number read from a file name outside the slots and not a clone: "some other preset". */
    constexpr int kUnknownFileNumber = 999;

    /** Each "clone_" in front of a file name puts its slot number another hundred higher. */
    constexpr const char* kClonePrefix = "clone_";
    constexpr int kCloneNumberStep = 100;
} // namespace

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

juce::int16 presetNumberFromFileName (const juce::String& fileName)
{
    const auto leading = lowBitsAsInt32 (readNumberBits (fileName.substring (0, 3)));

    if (leading >= kFirstPresetNumber && leading <= kLastPresetNumber)
        return (juce::int16) leading;

    if (! fileName.startsWithIgnoreCase (kClonePrefix))
        return (juce::int16) kUnknownFileNumber;

    auto rest = fileName;
    juce::uint32 clones = 0;

    while (rest.startsWithIgnoreCase (kClonePrefix))
    {
        rest = rest.substring ((int) std::strlen (kClonePrefix));
        ++clones;
    }

    return lowBitsAsInt16 (readNumberBits (rest.substring (0, 3)) + clones * (juce::uint32) kCloneNumberStep);
}

std::optional<int> presetSlotFromFileName (const juce::String& fileName)
{
    const auto number = (int) presetNumberFromFileName (fileName);

    if (number < kFirstPresetNumber || number > kLastPresetNumber)
        return std::nullopt;

    return number;
}

bool isUsableFolderPath (const juce::String& folder)
{
    return folder.isNotEmpty() && juce::File::isAbsolutePath (folder);
}

juce::File folderEntry (const juce::String& folder, const juce::String& fileName)
{
    return juce::File (folder + "/" + fileName);
}

juce::String presetCopyFileName (const juce::String& folder, const juce::String& fileName)
{
    if (! isUsableFolderPath (folder) || ! isFolderEntryName (fileName))
        return {};

    const auto base = fileName.upToLastOccurrenceOf (".", false, false);

    for (juce::int64 copyNumber = 1;; ++copyNumber)
    {
        const auto candidate = folderEntry (folder, makePlainFileName ("copy" + juce::String (copyNumber) +
                                                                       "_" + base + kPresetFileExtension));

        if (! candidate.existsAsFile())
            return candidate.getFullPathName();
    }
}
