#include "storage/ArchiveEntryNames.h"

#include "storage/Utf8Text.h"

#include <cstring>

namespace
{
constexpr juce::uint32 endOfDirectorySignature = 0x06054b50;
constexpr juce::uint32 directoryEntrySignature = 0x02014b50;
constexpr int directoryEntryBytes = 46;

juce::uint32 readInt (const char* p)
{
    return juce::ByteOrder::littleEndianInt (p);
}

juce::uint16 readShort (const char* p)
{
    return juce::ByteOrder::littleEndianShort (p);
}

/** Where ZipFile will start reading the central directory, and how many entries it will read:
    the end record is searched from the end of the stream backwards over at most 1 MB, and an
    offset that points just past the first entry's signature is moved back onto it. */
juce::int64 findDirectory (juce::InputStream& input, int& numEntries)
{
    juce::BufferedInputStream in (input, 8192);

    in.setPosition (in.getTotalLength());
    auto pos = in.getPosition();
    const auto lowestPos = juce::jmax ((juce::int64)0, pos - 1048576);
    char buffer[32] = {};

    while (pos > lowestPos)
    {
        in.setPosition (pos - 22);
        pos = in.getPosition();
        std::memcpy (buffer + 22, buffer, 4);

        if (in.read (buffer, 22) != 22)
            return 0;

        for (int i = 0; i < 22; ++i)
        {
            if (readInt (buffer + i) != endOfDirectorySignature)
                continue;

            in.setPosition (pos + i);
            in.read (buffer, 22);
            numEntries = readShort (buffer + 10);
            auto offset = (juce::int64)readInt (buffer + 16);

            if (offset >= 4)
            {
                in.setPosition (offset);

                if ((juce::uint32)in.readInt() != directoryEntrySignature)
                {
                    in.setPosition (offset - 4);

                    if ((juce::uint32)in.readInt() == directoryEntrySignature)
                        offset -= 4;
                }
            }

            return offset;
        }
    }

    return 0;
}
} // namespace

juce::Result ArchiveEntryNames::check (juce::InputStream& archive)
{
    int numEntries = 0;
    const auto directory = findDirectory (archive, numEntries);
    const auto total = archive.getTotalLength();

    if (directory < 0 || directory >= total)
        return juce::Result::ok();

    const auto size = total - directory;
    juce::int64 pos = 0;
    juce::HeapBlock<char> name (65536);

    for (int i = 0; i < numEntries; ++i)
    {
        char header[directoryEntryBytes];

        if (pos + directoryEntryBytes > size || ! archive.setPosition (directory + pos) ||
            archive.read (header, directoryEntryBytes) != directoryEntryBytes)
            break;

        const auto nameLength = (int)readShort (header + 28);

        if (pos + directoryEntryBytes + nameLength > size)
            break;

        if (archive.read (name, nameLength) != nameLength || std::memchr (name.get(), 0, (size_t)nameLength) != nullptr ||
            ! Utf8Text::isValid (name.get(), (size_t)nameLength))
            return juce::Result::fail ("The archive holds an entry whose name is not valid text (entry " +
                                       juce::String (i + 1) + "); it is damaged and cannot be imported.");

        pos += directoryEntryBytes + nameLength + readShort (header + 30) + readShort (header + 32);
    }

    return juce::Result::ok();
}
