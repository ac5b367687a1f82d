#include "presets/PresetFile.h"

#include "presets/FilesystemPath.h"
#include "presets/PresetFileName.h"
#include "presets/PresetNumberText.h"
#include "presets/StrictUtf8.h"
#include "presets/VerifiedFileWrite.h"
#include "presets/WrittenLayoutReader.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

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

    /** The bytes of a preset file, with the token helpers the checks below share. */
    struct DocumentBytes
    {
        const char* text = nullptr;
        size_t size = 0;

        bool startsWith (size_t at, const char* token) const
        {
            const auto length = std::strlen (token);
            return size - at >= length && std::memcmp (text + at, token, length) == 0;
        }

        /** The position of the next c at or after from, or size. */
        size_t find (size_t from, char c) const
        {
            if (from >= size)
                return size;

            const auto* found = std::memchr (text + from, c, size - from);
            return found == nullptr ? size : (size_t) (static_cast<const char*> (found) - text);
        }

        size_t skipPast (size_t from, const char* token) const
        {
            for (auto at = find (from, token[0]); at < size; at = find (at + 1, token[0]))
                if (startsWith (at, token))
                    return at + std::strlen (token);

            return size;
        }

        /** The ">" that ends the tag whose name starts at from (a ">" inside quotes does not),
            or size.
        */
        size_t endOfTag (size_t from) const
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
        }
    };

    /** The bytes without a BOM, or nothing when they are empty or not strict UTF-8 (which also
        refuses zero bytes, at which JUCE's parser would quietly stop reading).
    */
    std::optional<DocumentBytes> documentBytes (const juce::MemoryBlock& block)
    {
        DocumentBytes bytes { static_cast<const char*> (block.getData()), block.getSize() };

        if (bytes.size >= 3 && juce::CharPointer_UTF8::isByteOrderMark (bytes.text))
        {
            bytes.text += 3;
            bytes.size -= 3;
        }

        if (bytes.size == 0 || ! isStrictUtf8 (bytes.text, bytes.size))
            return std::nullopt;

        return bytes;
    }

    /** JUCE's parser reads "&#" and up to twelve characters of any kind before a ";" as a number
        and inserts whatever character comes out, far beyond Unicode too; such a name would not
        survive being written and read again. Only proper references pass.
    */
    bool isProperCharacterReference (const DocumentBytes& bytes, size_t from)
    {
        const auto* text = bytes.text;
        auto at = from + 2;
        const bool hex = at < bytes.size && (text[at] == 'x' || text[at] == 'X');
        juce::int64 value = 0;
        int digits = 0;

        for (at += hex ? 1 : 0; at < bytes.size && text[at] != ';'; ++at, ++digits)
        {
            const auto digit = hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) text[at])
                                   : (text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -1);

            if (digit < 0 || digits >= 8)
                return false;

            value = value * (hex ? 16 : 10) + digit;
        }

        return at < bytes.size && value > 0 && value < 0x110000;
    }

    /** JUCE's parser takes any "&" as the start of an entity of its own and, on some that start
        none (an "&" before a "<", say), reads past the end of its buffer. A preset file holds
        only the five predefined entities and proper character references, wherever an "&"
        stands: the parser's idea of where a tag or a comment ends need not be ours.
    */
    bool hasOnlyProperReferences (const DocumentBytes& bytes)
    {
        for (auto at = bytes.find (0, '&'); at < bytes.size; at = bytes.find (at + 1, '&'))
        {
            if (bytes.startsWith (at, "&#"))
            {
                if (! isProperCharacterReference (bytes, at))
                    return false;

                continue;
            }

            const auto predefined = [&]
            {
                for (auto* entity : { "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" })
                    if (bytes.startsWith (at, entity))
                        return true;

                return false;
            };

            if (! predefined())
                return false;
        }

        return true;
    }

    /** Inside an element, JUCE's parser skips a processing instruction as white space, then rolls
        back to it when text follows and adds empty text elements until memory runs out. A preset
        has none past its declaration, so from the root on "<?" is refused wherever it stands (in
        a tag, a comment or a section too: the parser's idea of where those end need not be ours).
    */
    bool hasInstructionFrom (const DocumentBytes& bytes, size_t from)
    {
        // Looked for by its "?", which is rare past the declaration, where "<" is everywhere.
        for (auto at = bytes.find (from, '?'); at < bytes.size; at = bytes.find (at + 1, '?'))
            if (at > from && bytes.text[at - 1] == '<')
                return true;

        return false;
    }

    /** Walks the markup of a preset file once, refusing what JUCE's parser cannot safely take
        (document type declarations, nesting past kMaxElementDepth, a processing instruction
        inside the root, an element left open or a closing tag cut off), and copies the text for
        the parser with element content made only of white space turned into character
        references: the parser drops such text even when told to keep empty text ("<name>
        </name>" would read as no name), but keeps references.
    */
    class MarkupWalk
    {
    public:
        explicit MarkupWalk (const DocumentBytes& documentBytes) : bytes (documentBytes)
        {
            prepared.reserve (bytes.size);
        }

        std::optional<juce::String> run()
        {
            for (size_t at = bytes.find (0, '<'); at < bytes.size;)
            {
                const auto next = nextAfterMarkup (at);

                if (! next.has_value())
                    return std::nullopt;

                // Most markup is followed at once by the next tag.
                at = *next < bytes.size && bytes.text[*next] == '<' ? *next : bytes.find (*next, '<');
            }

            // An element left open is a file cut short, whatever the parser would make of it.
            if (depth > 0)
                return std::nullopt;

            copyUpTo (bytes.size);
            return juce::String::fromUTF8 (prepared.data(), (int) prepared.size());
        }

    private:
        /** Where to look on after the markup that starts with the "<" at at; nothing for a
            document to refuse.
        */
        std::optional<size_t> nextAfterMarkup (size_t at)
        {
            const auto next = at + 1 < bytes.size ? bytes.text[at + 1] : 0;

            if (next == '!')
            {
                if (bytes.startsWith (at, "<!--"))
                    return bytes.skipPast (at + 4, "-->");

                if (bytes.startsWith (at, "<![CDATA["))
                    return bytes.skipPast (at + 9, "]]>");

                return std::nullopt;
            }

            if (next == '?')
                return bytes.skipPast (at + 2, "?>");

            if (next == '/')
            {
                // JUCE's parser takes a closing tag cut off before its ">" as closing every
                // element still open, so a file cut there would read as a whole preset.
                const auto tagEnd = bytes.endOfTag (at + 2);

                if (tagEnd >= bytes.size)
                    return std::nullopt;

                depth = juce::jmax (0, depth - 1);
                return tagEnd + 1;
            }

            return afterStartTag (at);
        }

        std::optional<size_t> afterStartTag (size_t at)
        {
            if (! rootStarted)
            {
                rootStarted = true;

                if (hasInstructionFrom (bytes, at))
                    return std::nullopt;
            }

            if (++depth > kMaxElementDepth)
                return std::nullopt;

            const auto tagEnd = bytes.endOfTag (at + 1);

            // Cut off inside its start tag: the element stays open, and the file is refused.
            if (tagEnd >= bytes.size)
                return bytes.size;

            if (bytes.text[tagEnd - 1] == '/')
            {
                --depth;
                return tagEnd + 1;
            }

            const auto contentStart = tagEnd + 1;
            auto blankEnd = contentStart;

            while (blankEnd < bytes.size && isXmlBlank (bytes.text[blankEnd]))
                ++blankEnd;

            if (blankEnd > contentStart && bytes.startsWith (blankEnd, "</"))
                writeBlanksAsReferences (contentStart, blankEnd);

            return blankEnd;
        }

        void writeBlanksAsReferences (size_t from, size_t to)
        {
            copyUpTo (from);

            for (auto blank = from; blank < to; ++blank)
            {
                // XML reads a CR LF pair, and a lone CR, as one LF.
                if (bytes.text[blank] == '\r' && blank + 1 < to && bytes.text[blank + 1] == '\n')
                    continue;

                const auto character = bytes.text[blank] == '\r' ? (int) '\n' : (int) bytes.text[blank];
                prepared += "&#" + std::to_string (character) + ";";
            }

            copiedUpTo = to;
        }

        void copyUpTo (size_t position)
        {
            prepared.append (bytes.text + copiedUpTo, position - copiedUpTo);
            copiedUpTo = position;
        }

        const DocumentBytes& bytes;
        std::string prepared;
        size_t copiedUpTo = 0;
        int depth = 0;
        bool rootStarted = false;
    };

    /** A regular file, not a folder, a pipe or a device: opening a pipe named like a preset file
        would block the folder scan until something writes to it.
    */
    bool isRegularFile (const juce::File& file)
    {
        std::error_code error;
        return std::filesystem::is_regular_file (FilesystemPath::of (file), error);
    }

    /** The whole of a file that may be a preset file; nothing for one that is not a regular file
        or is too large.
    */
    std::optional<juce::MemoryBlock> readFileBytes (const juce::File& file)
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

        return bytes;
    }

    /** The element's one child when it is text, as it is with every element of text this
        program writes; else null.
    */
    const juce::XmlElement* onlyTextChild (const juce::XmlElement& element)
    {
        const auto* first = element.getFirstChildElement();
        return first != nullptr && first->isTextElement() && first->getNextElement() == nullptr ? first
                                                                                                : nullptr;
    }

    /** Only the element's own text children: text inside nested elements is not part of it. */
    juce::String ownText (const juce::XmlElement& element)
    {
        if (const auto* text = onlyTextChild (element))
            return text->getText();

        juce::String text;

        for (auto* child : element.getChildIterator())
            if (child->isTextElement())
                text << child->getText();

        return text;
    }

    /** The number the element's own text begins with (see readNumberBits). */
    juce::uint32 ownNumberBits (const juce::XmlElement& element)
    {
        if (const auto* text = onlyTextChild (element))
            return readNumberBits (text->getText());

        return readNumberBits (ownText (element));
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
                parameter.index = lowBitsAsInt16 (ownNumberBits (*child));
            else if (hasTag (*child, "Value"))
                parameter.value = lowBitsAsInt32 (ownNumberBits (*child));
        }

        return parameter;
    }

    /** The "preset" element of checked bytes, through JUCE's parser, or null. The text is gone
        before the elements are looked at.
    */
    std::unique_ptr<juce::XmlElement> parsePresetElement (const DocumentBytes& bytes)
    {
        const auto text = MarkupWalk (bytes).run();

        if (! text.has_value())
            return nullptr;

        juce::XmlDocument document (*text);
        document.setEmptyTextElementsIgnored (false);
        auto root = document.getDocumentElement();

        if (root == nullptr || ! hasTag (*root, "preset"))
            return nullptr;

        return root;
    }

    /** What a "preset" element holds: the elements of each kind in any case, in any order, the
        last of a kind counting, the parameters of every "data" element.
    */
    PresetData presetFromElement (const juce::XmlElement& root, juce::String* desc)
    {
        PresetData preset;

        for (auto* element : root.getChildIterator())
        {
            if (hasTag (*element, "name"))
            {
                preset.name = ownText (*element);
            }
            else if (hasTag (*element, "version"))
            {
                preset.version = lowBitsAsInt16 (ownNumberBits (*element));
            }
            else if (hasTag (*element, "desc"))
            {
                if (desc != nullptr)
                    *desc = ownText (*element);
            }
            else if (hasTag (*element, "data"))
            {
                // Once: a file of many "data" elements must not make it reserve more each time.
                if (preset.parameters.capacity() == 0)
                    preset.parameters.reserve (kParametersPerPreset);

                for (auto* parameter : element->getChildIterator())
                    if (hasTag (*parameter, "parameter"))
                        preset.parameters.push_back (readParameter (*parameter));
            }
        }

        return preset;
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

juce::MemoryBlock presetFileContent (const PresetData& preset)
{
    return presetDocument (preset);
}

std::optional<PresetData> readPresetFile (const juce::String& folder, const juce::String& fileName,
                                          juce::String* desc)
{
    if (! isUsableFolderPath (folder) || ! isFolderEntryName (fileName))
        return std::nullopt;

    const auto block = readFileBytes (folderEntry (folder, fileName));

    if (! block.has_value())
        return std::nullopt;

    // JUCE 7.0.5's parser reads past its buffer on bytes that are not UTF-8 or on an entity it
    // does not know, expands the entities of a document type declaration into elements
    // unchecked, and recurses once per nesting level; a preset folder can hold any file, so all
    // of that is checked before it sees one (see MarkupWalk for the checks of the markup).
    const auto bytes = documentBytes (*block);

    if (! bytes.has_value() || ! hasOnlyProperReferences (*bytes))
        return std::nullopt;

    // A file as this program writes it needs no document, and no parser to be kept safe from.
    if (auto preset = readWrittenLayout (bytes->text, bytes->size, desc))
        return preset;

    const auto root = parsePresetElement (*bytes);
    return root == nullptr ? std::nullopt : std::optional<PresetData> (presetFromElement (*root, desc));
}

PresetFileCopy copyPresetFile (const juce::String& folder, const juce::String& fileName)
{
    if (! isUsableFolderPath (folder) || ! isFolderEntryName (fileName))
        return { {}, "it is not a file of the preset folder" };

    const auto source = folderEntry (folder, fileName);
    juce::MemoryBlock content;

    if (! isRegularFile (source) || source.getSize() > (juce::int64) kMaxPresetFileBytes)
        return { {}, "it is no longer a preset file" };

    if (! source.loadFileAsData (content))
        return { {}, "it cannot be read" };

    // As durable as a save: a copy cut short must not leave a spoilt preset under the copy's name.
    const juce::File copy (presetCopyFileName (folder, fileName));
    const auto copied = writeFileVerified (copy, content);
    return copied ? PresetFileCopy { copy.getFileName(), {} } : PresetFileCopy { {}, copied.failure };
}

juce::Result deletePresetFile (const juce::String& folder, const juce::String& fileName)
{
    if (! isUsableFolderPath (folder) || ! isFolderEntryName (fileName))
        return juce::Result::fail ("it is not a file of the preset folder");

    const auto path = FilesystemPath::of (folderEntry (folder, fileName));
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
