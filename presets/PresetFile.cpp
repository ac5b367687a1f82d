#include "presets/PresetFile.h"

#include "presets/PresetFileName.h"
#include "presets/PresetNumberText.h"
#include "presets/StrictUtf8.h"
#include "presets/VerifiedFileWrite.h"

#include <cstring>
#include <filesystem>
#include <optional>

namespace
{
    /** A real preset file is a few kilobytes; anything much larger is not one, and reading it
        would only stall the folder scan.
    */
    constexpr size_t kMaxPresetFileBytes = 1024 * 1024;

    /** A preset nests four elements deep. JUCE's parser recurses once per level and overflows the
        stack on a few thousand, so deeper documents are refused before it sees them.
    */
    constexpr int kMaxElementDepth = 32;

    constexpr const char* kNewLine = "\r\n";
    constexpr int kIndentPerLevel = 2;

    //==============================================================================
    /** Everything but printable ASCII goes out as a character reference, so the file stays ASCII
        and tabs and line breaks in a device name come back unchanged (a parser folds raw line
        breaks). Other control characters have no proper XML 1.0 form at all; as references, this
        program's reader still takes them back, so the name survives the round trip.
    */
    void writeEscapedText (juce::OutputStream& out, const juce::String& text)
    {
        for (auto p = text.getCharPointer(); ! p.isEmpty();)
        {
            const auto character = (juce::uint32) p.getAndAdvance();

            if (character == '&')
                out << "&amp;";
            else if (character == '<')
                out << "&lt;";
            else if (character == '>')
                out << "&gt;";
            else if (character >= 0x20 && character < 0x7f)
                out.writeByte ((char) character);
            else
                out << "&#" << (juce::int64) character << ";";
        }
    }

    void writeIndent (juce::OutputStream& out, int level)
    {
        out.writeRepeatedByte (' ', (size_t) (level * kIndentPerLevel));
    }

    void writeTextElement (juce::OutputStream& out, int level, const char* tag, const juce::String& text)
    {
        writeIndent (out, level);
        out << "<" << tag << ">";
        writeEscapedText (out, text);
        out << "</" << tag << ">" << kNewLine;
    }

    /** The whole file. JUCE's XmlElement writer is not used: it leaves line breaks inside text
        raw, so a carriage return in a name would not come back.
    */
    juce::MemoryBlock presetDocument (const PresetData& preset)
    {
        juce::MemoryOutputStream out;
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" << kNewLine << kNewLine;
        out << "<preset>" << kNewLine;
        writeTextElement (out, 1, "name", preset.name);
        writeTextElement (out, 1, "version", juce::String (preset.version));
        writeTextElement (out, 1, "desc", juce::String (preset.number));
        writeIndent (out, 1);

        if (preset.parameters.empty())
        {
            out << "<data/>" << kNewLine;
        }
        else
        {
            out << "<data>" << kNewLine;

            for (const auto& parameter : preset.parameters)
            {
                writeIndent (out, 2);
                out << "<parameter>" << kNewLine;
                writeTextElement (out, 3, "ID", juce::String (parameter.index));
                writeTextElement (out, 3, "Value", juce::String (parameter.value));
                writeIndent (out, 2);
                out << "</parameter>" << kNewLine;
            }

            writeIndent (out, 1);
            out << "</data>" << kNewLine;
        }

        out << "</preset>" << kNewLine;
        return out.getMemoryBlock();
    }

    //==============================================================================
    bool isXmlBlank (char c)
    {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    }

    /** The text of a preset file as XmlDocument gets it, or nothing when the bytes are no
        document it can safely take.

        JUCE 7.0.5's parser reads past its buffer on bytes that are not UTF-8 and recurses once
        per nesting level, and a preset folder can hold any file, so both are checked first (and
        zero bytes, at which it would quietly stop reading).
        Document type declarations are refused too: a preset never has one, and JUCE would
        expand its entities into elements unchecked. A BOM is dropped.

        The parser also drops text made only of white space even when told to keep empty text
        ("<name>   </name>" reads as no name), so such element content is handed to it as
        character references, which it keeps.
    */
    std::optional<juce::String> preparedDocumentText (const juce::MemoryBlock& bytes)
    {
        auto* text = static_cast<const char*> (bytes.getData());
        auto size = bytes.getSize();

        if (size >= 3 && juce::CharPointer_UTF8::isByteOrderMark (text))
        {
            text += 3;
            size -= 3;
        }

        if (size == 0 || ! isStrictUtf8 (text, size))
            return std::nullopt;

        const auto startsWith = [&] (size_t at, const char* token)
        {
            const auto length = std::strlen (token);
            return size - at >= length && std::memcmp (text + at, token, length) == 0;
        };

        const auto skipPast = [&] (size_t from, const char* token)
        {
            for (auto at = from; at < size; ++at)
                if (startsWith (at, token))
                    return at + std::strlen (token);

            return size;
        };

        const auto endOfTag = [&] (size_t from)
        {
            for (char quote = 0; from < size; ++from)
            {
                if (quote != 0)
                    quote = text[from] == quote ? 0 : quote;
                else if (text[from] == '"' || text[from] == '\'')
                    quote = text[from];
                else if (text[from] == '>')
                    break;
            }

            return from;
        };

        // JUCE's parser reads "&#" and up to twelve characters of any kind before a ";" as a
        // number and inserts whatever character comes out, far beyond Unicode too; such a name
        // would not survive being written and read again. Only proper references pass.
        const auto isProperCharacterReference = [&] (size_t from)
        {
            auto at = from + 2;
            const bool hex = at < size && (text[at] == 'x' || text[at] == 'X');
            juce::int64 value = 0;
            int digits = 0;

            for (at += hex ? 1 : 0; at < size && text[at] != ';'; ++at, ++digits)
            {
                const auto digit =
                    hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) text[at])
                        : (text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -1);

                if (digit < 0 || digits >= 8)
                    return false;

                value = value * (hex ? 16 : 10) + digit;
            }

            return at < size && value > 0 && value < 0x110000;
        };

        // JUCE's parser takes any other "&" as the start of an entity of its own and, on some
        // that start none (an "&" before a "<", say), reads past the end of its buffer. A preset
        // file holds only the five predefined entities and proper character references.
        const auto isProperReference = [&] (size_t from)
        {
            if (startsWith (from, "&#"))
                return isProperCharacterReference (from);

            for (auto* entity : { "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" })
                if (startsWith (from, entity))
                    return true;

            return false;
        };

        // Wherever it stands: the parser's idea of where a tag or a comment ends need not be ours.
        for (size_t at = 0; at < size; ++at)
            if (text[at] == '&' && ! isProperReference (at))
                return std::nullopt;

        juce::MemoryOutputStream prepared (size + 64);
        size_t copiedUpTo = 0;
        int depth = 0;
        bool rootStarted = false;

        for (size_t at = 0; at < size;)
        {
            if (text[at] != '<')
            {
                ++at;
            }
            else if (startsWith (at, "<!--"))
            {
                at = skipPast (at + 4, "-->");
            }
            else if (startsWith (at, "<![CDATA["))
            {
                at = skipPast (at + 9, "]]>");
            }
            else if (startsWith (at, "<?"))
            {
                at = skipPast (at + 2, "?>");
            }
            else if (startsWith (at, "<!"))
            {
                return std::nullopt;
            }
            else if (startsWith (at, "</"))
            {
                // JUCE's parser takes a closing tag cut off before its ">" as closing every
                // element still open, so a file cut there would read as a whole preset.
                const auto tagEnd = endOfTag (at + 2);

                if (tagEnd >= size)
                    return std::nullopt;

                depth = juce::jmax (0, depth - 1);
                at = tagEnd + 1;
            }
            else
            {
                // Inside an element, JUCE's parser skips a processing instruction as white space,
                // then rolls back to it when text follows and adds empty text elements until
                // memory runs out. A preset has none past its declaration, so from the root on
                // "<?" is refused wherever it stands (in a tag, a comment or a section too: the
                // parser's idea of where those end need not be ours).
                if (! rootStarted)
                {
                    rootStarted = true;

                    for (auto later = at; later < size; ++later)
                        if (startsWith (later, "<?"))
                            return std::nullopt;
                }

                if (++depth > kMaxElementDepth)
                    return std::nullopt;

                const auto tagEnd = endOfTag (at + 1);

                if (tagEnd >= size)
                    break;

                at = tagEnd + 1;

                if (text[tagEnd - 1] == '/')
                {
                    --depth;
                    continue;
                }

                auto blankEnd = at;

                while (blankEnd < size && isXmlBlank (text[blankEnd]))
                    ++blankEnd;

                if (blankEnd > at && startsWith (blankEnd, "</"))
                {
                    prepared.write (text + copiedUpTo, at - copiedUpTo);

                    for (auto blank = at; blank < blankEnd; ++blank)
                    {
                        // XML reads a CR LF pair, and a lone CR, as one LF.
                        if (text[blank] == '\r' && blank + 1 < blankEnd && text[blank + 1] == '\n')
                            continue;

                        prepared << "&#" << (text[blank] == '\r' ? (int) '\n' : (int) text[blank]) << ";";
                    }

                    copiedUpTo = blankEnd;
                }

                at = blankEnd;
            }
        }

        // An element left open is a file cut short, whatever the parser would make of it.
        if (depth > 0)
            return std::nullopt;

        prepared.write (text + copiedUpTo, size - copiedUpTo);
        return juce::String::fromUTF8 (static_cast<const char*> (prepared.getData()),
                                       (int) prepared.getDataSize());
    }

    /** A regular file, not a folder, a pipe or a device: opening a pipe named like a preset file
        would block the folder scan until something writes to it.
    */
    bool isRegularFile (const juce::File& file)
    {
        std::error_code error;
        return std::filesystem::is_regular_file (file.getFullPathName().toStdString(), error);
    }

    std::optional<juce::String> readDocumentText (const juce::File& file)
    {
        if (! isRegularFile (file) || file.getSize() > (juce::int64) kMaxPresetFileBytes)
            return std::nullopt;

        juce::FileInputStream in (file);

        if (in.failedToOpen())
            return std::nullopt;

        // Read at most one byte past the limit: the file may be growing, or not a file at all.
        juce::MemoryBlock bytes;
        in.readIntoMemoryBlock (bytes, (ssize_t) kMaxPresetFileBytes + 1);

        if (bytes.getSize() > kMaxPresetFileBytes)
            return std::nullopt;

        return preparedDocumentText (bytes);
    }

    /** Only the element's own text children: text inside nested elements is not part of it. */
    juce::String ownText (const juce::XmlElement& element)
    {
        juce::String text;

        for (auto* child : element.getChildIterator())
            if (child->isTextElement())
                text << child->getText();

        return text;
    }

    bool hasTag (const juce::XmlElement& element, const char* tag)
    {
        return ! element.isTextElement() && element.getTagName().equalsIgnoreCase (tag);
    }

    PresetParameter readParameter (const juce::XmlElement& element)
    {
        PresetParameter parameter;

        for (auto* child : element.getChildIterator())
        {
            if (hasTag (*child, "ID"))
                parameter.index = lowBitsAsInt16 (readNumberBits (ownText (*child)));
            else if (hasTag (*child, "Value"))
                parameter.value = lowBitsAsInt32 (readNumberBits (ownText (*child)));
        }

        return parameter;
    }
} // namespace

//==============================================================================
bool presetFileExists (const juce::String& folder, const PresetData& preset)
{
    return isUsableFolderPath (folder) && folderEntry (folder, presetFileName (preset)).existsAsFile();
}

VerifiedWrite writePresetFile (const juce::String& folder, const PresetData& preset, PresetWriteMode mode)
{
    if (mode == PresetWriteMode::Skip)
        return { true, true, {} };

    // An unnamed slot is still a preset worth keeping: its file is "NNN_.tnl".
    if (preset.number < kFirstPresetNumber || preset.number > kLastPresetNumber)
        return { false, false, "the slot number is outside 1 to 99" };

    if (! isUsableFolderPath (folder))
        return { false, false, "the folder is not a full path" };

    const auto fileName = presetFileName (preset);
    const auto target = mode == PresetWriteMode::CreateCopy
                            ? juce::File (presetCopyFileName (folder, fileName))
                            : folderEntry (folder, fileName);

    return writeFileVerified (target, presetDocument (preset));
}

std::optional<PresetData> readPresetFile (const juce::String& folder, const juce::String& fileName,
                                          juce::String* desc)
{
    if (! isUsableFolderPath (folder) || ! isFolderEntryName (fileName))
        return std::nullopt;

    const auto text = readDocumentText (folderEntry (folder, fileName));

    if (! text.has_value())
        return std::nullopt;

    juce::XmlDocument document (*text);
    document.setEmptyTextElementsIgnored (false);
    const auto root = document.getDocumentElement();

    if (root == nullptr || ! hasTag (*root, "preset"))
        return std::nullopt;

    PresetData preset;

    for (auto* element : root->getChildIterator())
    {
        if (hasTag (*element, "name"))
        {
            preset.name = ownText (*element);
        }
        else if (hasTag (*element, "version"))
        {
            preset.version = lowBitsAsInt16 (readNumberBits (ownText (*element)));
        }
        else if (hasTag (*element, "desc"))
        {
            if (desc != nullptr)
                *desc = ownText (*element);
        }
        else if (hasTag (*element, "data"))
        {
            for (auto* parameter : element->getChildIterator())
                if (hasTag (*parameter, "parameter"))
                    preset.parameters.push_back (readParameter (*parameter));
        }
    }

    return preset;
}

juce::Result copyPresetFile (const juce::String& folder, const juce::String& fileName)
{
    if (! isUsableFolderPath (folder) || ! isFolderEntryName (fileName))
        return juce::Result::fail ("it is not a file of the preset folder");

    const auto source = folderEntry (folder, fileName);
    juce::MemoryBlock content;

    if (! isRegularFile (source) || source.getSize() > (juce::int64) kMaxPresetFileBytes)
        return juce::Result::fail ("it is no longer a preset file");

    if (! source.loadFileAsData (content))
        return juce::Result::fail ("it cannot be read");

    // As durable as a save: a copy cut short must not leave a spoilt preset under the copy's name.
    const auto copied = writeFileVerified (juce::File (presetCopyFileName (folder, fileName)), content);
    return copied ? juce::Result::ok() : juce::Result::fail (copied.failure);
}

juce::Result deletePresetFile (const juce::String& folder, const juce::String& fileName)
{
    if (! isUsableFolderPath (folder) || ! isFolderEntryName (fileName))
        return juce::Result::fail ("it is not a file of the preset folder");

    const std::filesystem::path path (folderEntry (folder, fileName).getFullPathName().toStdString());
    std::error_code error;

    if (std::filesystem::is_directory (std::filesystem::symlink_status (path, error)))
        return juce::Result::fail ("it is a folder");

    // A file already gone is what was asked for; a link goes, never what it points to.
    std::filesystem::remove (path, error);
    return error ? juce::Result::fail (error.message()) : juce::Result::ok();
}

juce::StringArray listPresetFileNames (const juce::File& folder)
{
    juce::StringArray names;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFiles))
    {
        const auto name = entry.getFile().getFileName();

        if (name.endsWithIgnoreCase (kPresetFileExtension))
            names.add (name);
    }

    names.sort (true);
    return names;
}
