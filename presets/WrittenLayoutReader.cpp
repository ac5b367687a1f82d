#include "presets/WrittenLayoutReader.h"

#include "presets/PresetNumberText.h"

#include <cstring>

namespace
{
    /** The text of an element: where it starts and where its closing tag does. */
    struct ElementText
    {
        const char* start = nullptr;
        const char* end = nullptr;

        juce::String toString() const
        {
            return { juce::CharPointer_UTF8 (start), juce::CharPointer_UTF8 (end) };
        }

        /** The number it begins with; the text ends at a "<", where the number does at the latest. */
        juce::uint32 numberBits() const { return readNumberBits (juce::CharPointer_UTF8 (start)); }
    };

    /** Goes through the bytes one expected piece after another; a piece that is not there ends
        the reading.
    */
    class LayoutCursor
    {
    public:
        LayoutCursor (const char* text, size_t size) : at (text), end (text + size) {}

        /** The literal, after any white space between tags. */
        bool take (const char* literal)
        {
            while (at < end && (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n'))
                ++at;

            const auto length = std::strlen (literal);

            if ((size_t) (end - at) < length || std::memcmp (at, literal, length) != 0)
                return false;

            at += length;
            return true;
        }

        /** The text of the element whose opening tag is next, and its closing tag. */
        std::optional<ElementText> takeTextElement (const char* openingTag, const char* closingTag)
        {
            if (! take (openingTag))
                return std::nullopt;

            ElementText text { at, at };

            // Printable ASCII only: a line end or a reference is read the full way.
            for (; text.end < end && *text.end != '<'; ++text.end)
                if (*text.end < 0x20 || *text.end > 0x7e || *text.end == '&')
                    return std::nullopt;

            // Straight after the text, which ends at a "<", so no white space is skipped here.
            at = text.end;

            if (! take (closingTag))
                return std::nullopt;

            return text;
        }

        bool isAtEnd() { return take ("") && at == end; }

    private:
        const char* at;
        const char* const end;
    };

    /** "<data/>", or "<data>", its parameters and "</data>". */
    bool takeParameters (LayoutCursor& cursor, PresetData& preset)
    {
        if (cursor.take ("<data/>"))
            return true;

        if (! cursor.take ("<data>"))
            return false;

        preset.parameters.reserve (kParametersPerPreset);

        while (! cursor.take ("</data>"))
        {
            if (! cursor.take ("<parameter>"))
                return false;

            const auto index = cursor.takeTextElement ("<ID>", "</ID>");
            const auto value = cursor.takeTextElement ("<Value>", "</Value>");

            if (! index.has_value() || ! value.has_value() || ! cursor.take ("</parameter>"))
                return false;

            preset.parameters.push_back (
                { lowBitsAsInt16 (index->numberBits()), lowBitsAsInt32 (value->numberBits()) });
        }

        return true;
    }
} // namespace

std::optional<PresetData> readWrittenLayout (const char* text, size_t size, juce::String* desc)
{
    LayoutCursor cursor { text, size };

    if (! cursor.take ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") || ! cursor.take ("<preset>"))
        return std::nullopt;

    const auto name = cursor.takeTextElement ("<name>", "</name>");
    const auto version = cursor.takeTextElement ("<version>", "</version>");
    const auto slot = cursor.takeTextElement ("<desc>", "</desc>");

    if (! name.has_value() || ! version.has_value() || ! slot.has_value())
        return std::nullopt;

    PresetData preset;

    if (! takeParameters (cursor, preset) || ! cursor.take ("</preset>") || ! cursor.isAtEnd())
        return std::nullopt;

    preset.name = name->toString();
    preset.version = lowBitsAsInt16 (version->numberBits());

    if (desc != nullptr)
        *desc = slot->toString();

    return preset;
}
