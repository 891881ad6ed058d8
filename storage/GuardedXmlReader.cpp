#include "storage/GuardedXmlReader.h"

#include "platform/Platform.h"
#include "storage/Utf8Text.h"

#include <cstring>

namespace
{
/** Where needle starts at or after from, or npos. */
size_t find (const char* data, size_t numBytes, size_t from, const char* needle)
{
    const auto length = std::strlen (needle);

    for (auto i = from; i + length <= numBytes; ++i)
        if (std::memcmp (data + i, needle, length) == 0)
            return i;

    return std::string::npos;
}

bool startsWith (const char* data, size_t numBytes, size_t at, const char* prefix)
{
    const auto length = std::strlen (prefix);
    return at + length <= numBytes && std::memcmp (data + at, prefix, length) == 0;
}

/** The length of the entity or character reference at data[at] (an '&'), ';' included, or 0
    when it is not one the parser handles safely: the five predefined entities (any case, as
    JUCE reads them) and references to code points of Unicode, no others. */
size_t entityLength (const char* data, size_t numBytes, size_t at)
{
    constexpr size_t longest = 12; // "&#x10FFFF;" and "&#1114111;" with room to spare
    size_t end = at + 1;

    while (end < numBytes && end - at <= longest && data[end] != ';')
        ++end;

    if (end >= numBytes || data[end] != ';')
        return 0;

    const juce::String name (data + at + 1, end - at - 1); // ASCII or refused below

    for (auto* known : { "amp", "quot", "apos", "lt", "gt" })
        if (name.equalsIgnoreCase (known))
            return end - at + 1;

    if (! name.startsWithChar ('#') || name.length() < 2)
        return 0;

    const bool hex = name[1] == 'x' || name[1] == 'X';
    const auto digits = name.substring (hex ? 2 : 1);

    if (digits.isEmpty() || digits.length() > 7 ||
        ! digits.containsOnly (hex ? "0123456789abcdefABCDEF" : "0123456789"))
        return 0;

    const auto value = (unsigned long)(hex ? digits.getHexValue64() : digits.getLargeIntValue());
    return Utf8Text::isUsableCodePoint (value) ? end - at + 1 : 0;
}
bool isNameCharacter (char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == ':' || c == '.';
}

bool isSpace (char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Tag
{
    size_t length = 0; // from '<' to '>' inclusive; 0 when refused
    bool selfClosing = false;
    const char* problem = "a tag is malformed";
};

/** An opening tag at data[at]: '<', a name, attributes written name="value" (or 'value'),
    then '>' or "/>". Names are plain ASCII; values hold no '<' and only known entities. */
Tag tagLength (const char* data, size_t numBytes, size_t at)
{
    Tag tag;
    auto i = at + 1;

    const auto skipSpace = [&]
    {
        while (i < numBytes && isSpace (data[i]))
            ++i;
    };
    const auto skipName = [&]
    {
        const auto start = i;

        while (i < numBytes && isNameCharacter (data[i]))
            ++i;

        return i > start;
    };

    skipSpace();

    if (! skipName())
        return tag;

    for (;;)
    {
        const auto before = i;
        skipSpace();

        if (i >= numBytes)
        {
            tag.problem = "a tag is not closed";
            return tag;
        }

        if (data[i] == '>' || (data[i] == '/' && i + 1 < numBytes && data[i + 1] == '>'))
        {
            tag.selfClosing = data[i] == '/';
            tag.length = i + (tag.selfClosing ? 2 : 1) - at;
            return tag;
        }

        if (i == before || ! skipName()) // attributes are set apart by space
            return tag;

        skipSpace();

        if (i >= numBytes || data[i] != '=')
            return tag;

        ++i;
        skipSpace();

        if (i >= numBytes || (data[i] != '"' && data[i] != '\''))
            return tag;

        const auto quote = data[i++];

        for (; i < numBytes && data[i] != quote; ++i)
        {
            if (data[i] == '<')
                return tag;

            if (data[i] == '&' && entityLength (data, numBytes, i) == 0)
            {
                tag.problem = "it holds an unknown entity";
                return tag;
            }
        }

        if (i >= numBytes)
        {
            tag.problem = "a tag is not closed";
            return tag;
        }

        ++i; // the closing quote
    }
}
} // namespace

juce::Result GuardedXmlReader::clean (const char* data, size_t numBytes, std::string& cleaned)
{
    cleaned.clear();

    if (numBytes > maximumBytes)
        return juce::Result::fail ("it is larger than " + juce::File::descriptionOfSizeInBytes ((juce::int64)maximumBytes));

    // A byte-order mark in front and NULs behind (a C string's end) carry nothing.
    if (startsWith (data, numBytes, 0, "\xef\xbb\xbf"))
    {
        data += 3;
        numBytes -= 3;
    }

    while (numBytes > 0 && data[numBytes - 1] == 0)
        --numBytes;

    if (std::memchr (data, 0, numBytes) != nullptr || ! Utf8Text::isValid (data, numBytes))
        return juce::Result::fail ("it is not valid UTF-8 text");

    const auto damaged = [] (const char* what) { return juce::Result::fail (what); };
    cleaned.reserve (numBytes);
    int depth = 0;
    size_t i = 0;

    while (i < numBytes)
    {
        const auto c = data[i];

        if (c == '&')
        {
            const auto length = entityLength (data, numBytes, i);

            if (length == 0)
                return damaged ("it holds an unknown entity");

            cleaned.append (data + i, length);
            i += length;
            continue;
        }

        if (c != '<')
        {
            cleaned.push_back (c);
            ++i;
            continue;
        }

        if (startsWith (data, numBytes, i, "<?"))
        {
            // Dropped: the parser loops for ever on one that text follows.
            const auto end = find (data, numBytes, i + 2, "?>");

            if (end == std::string::npos)
                return damaged ("a processing instruction is not closed");

            i = end + 2;
            continue;
        }

        if (startsWith (data, numBytes, i, "<!--") || startsWith (data, numBytes, i, "<![CDATA["))
        {
            const bool comment = data[i + 2] == '-';
            const auto end = find (data, numBytes, i + (comment ? 4 : 9), comment ? "-->" : "]]>");

            if (end == std::string::npos)
                return damaged (comment ? "a comment is not closed" : "a CDATA section is not closed");

            cleaned.append (data + i, end + 3 - i);
            i = end + 3;
            continue;
        }

        if (startsWith (data, numBytes, i, "<!"))
            return damaged ("it holds a document type or other declaration");

        // A tag, read by the grammar the parser follows, so that both see it end at the same
        // '>': anything the parser would read differently (an unquoted value, a stray
        // character, a '<' inside) is refused, or text after it could hide an instruction.
        size_t end = std::string::npos;

        if (startsWith (data, numBytes, i, "</"))
        {
            end = find (data, numBytes, i + 2, ">");

            if (end == std::string::npos)
                return damaged ("a tag is not closed");

            if (std::memchr (data + i + 2, '<', end - i - 2) != nullptr)
                return damaged ("a tag is malformed");

            depth = juce::jmax (0, depth - 1);
        }
        else
        {
            const auto tag = tagLength (data, numBytes, i);

            if (tag.length == 0)
                return damaged (tag.problem);

            end = i + tag.length - 1;

            if (! tag.selfClosing && ++depth > maximumDepth)
                return damaged ("its elements are nested too deeply");
        }

        cleaned.append (data + i, end + 1 - i);
        i = end + 1;
    }

    return juce::Result::ok();
}

std::unique_ptr<juce::XmlElement> GuardedXmlReader::parseBytes (const void* data, size_t numBytes,
                                                                const juce::String& name, juce::String* problem,
                                                                bool onlyOuterElement)
{
    const auto refuse = [&] (const juce::String& why) -> std::unique_ptr<juce::XmlElement>
    {
        if (problem != nullptr)
            *problem = name + " is damaged and was not read: " + why + ".";

        return nullptr;
    };

    std::string cleaned;

    if (auto checked = clean (static_cast<const char*> (data), numBytes, cleaned); checked.failed())
        return refuse (checked.getErrorMessage());

    juce::XmlDocument document (juce::String::fromUTF8 (cleaned.data(), (int)cleaned.size()));
    auto xml = document.getDocumentElement (onlyOuterElement);

    if (xml == nullptr)
        return refuse ("it is not well-formed XML (" +
                       (document.getLastParseError().isNotEmpty() ? document.getLastParseError()
                                                                  : juce::String ("no element")) +
                       ")");

    if (problem != nullptr)
        problem->clear();

    return xml;
}

std::unique_ptr<juce::XmlElement> GuardedXmlReader::parseFile (const juce::File& file, juce::String* problem,
                                                               bool onlyOuterElement)
{
    const auto name = "The file \"" + file.getFileName() + "\"";

    if (problem != nullptr)
        problem->clear();

    if (! file.existsAsFile())
        return nullptr;

    if (! Platform::isRegularFile (file))
    {
        if (problem != nullptr)
            *problem = name + " is not a plain file and was not read.";

        return nullptr;
    }

    if (file.getSize() > (juce::int64)maximumBytes)
        return parseBytes (nullptr, maximumBytes + 1, name, problem);

    juce::MemoryBlock bytes;

    if (! file.loadFileAsData (bytes))
    {
        if (problem != nullptr)
            *problem = name + " could not be read.";

        return nullptr;
    }

    return parseBytes (bytes.getData(), bytes.getSize(), name, problem, onlyOuterElement);
}

std::unique_ptr<juce::XmlElement> GuardedXmlReader::parseText (const juce::String& text, juce::String* problem)
{
    // The stored bytes, which a string built from bad input may hold; never walked as UTF-8.
    const auto* raw = text.toRawUTF8();
    return parseBytes (raw, std::strlen (raw), "The text", problem);
}

std::unique_ptr<juce::XmlElement> GuardedXmlReader::parseStateBlob (const void* data, int sizeInBytes,
                                                                    juce::String* problem)
{
    // JUCE's binary form: a magic number, the text's length, the text (and a NUL).
    constexpr juce::uint32 magicXmlNumber = 0x21324356;

    if (problem != nullptr)
        problem->clear();

    if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != magicXmlNumber)
        return nullptr;

    // The length is a signed 32-bit count, as JUCE reads it: one above 2 GB is no length.
    const auto declared = (juce::int32)juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));
    const auto length = juce::jmin ((juce::int64)sizeInBytes - 8, (juce::int64)declared);

    if (length <= 0)
        return nullptr;

    return parseBytes (juce::addBytesToPointer (data, 8), (size_t)length, "The saved state", problem);
}
