#pragma once

#include <juce_core/juce_core.h>

/** Writes ZIP archives byte by byte, with stored (uncompressed) entries, so tests can build
    archives no well-behaved writer makes: names with "..", absolute paths, symbolic links,
    entries whose declared size lies. */
class ZipBytes
{
public:
    struct Entry
    {
        juce::String name;
        juce::MemoryBlock data;
        juce::uint32 externalAttributes = 0100644u << 16;
        juce::int64 declaredSize = -1; // uncompressed size written in the headers; -1: the real one
    };

    void add (const juce::String& name, const juce::String& text) { entries.push_back ({name, asBlock (text)}); }

    void addSymbolicLink (const juce::String& name, const juce::String& target)
    {
        entries.push_back ({name, asBlock (target), 0120777u << 16});
    }

    void addWithDeclaredSize (const juce::String& name, const juce::String& text, juce::int64 declaredSize)
    {
        entries.push_back ({name, asBlock (text), 0100644u << 16, declaredSize});
    }

    juce::MemoryBlock build() const
    {
        juce::MemoryOutputStream out;
        juce::MemoryOutputStream directory;
        const auto time = juce::uint16 ((10 << 11) | (30 << 5));    // 10:30:00
        const auto date = juce::uint16 ((44 << 9) | (3 << 5) | 14); // 2024-03-14

        for (const auto& e : entries)
        {
            const auto offset = (juce::uint32)out.getPosition();
            const auto crc = crc32 (e.data);
            const auto size = (juce::uint32)e.data.getSize();
            const auto declared = e.declaredSize < 0 ? size : (juce::uint32)e.declaredSize;
            const auto nameBytes = e.name.toUTF8();
            const auto nameLength = (juce::uint16)e.name.getNumBytesAsUTF8();

            out.writeInt (0x04034b50);
            out.writeShort (10);
            out.writeShort (1 << 11);
            out.writeShort (0); // stored
            out.writeShort ((short)time);
            out.writeShort ((short)date);
            out.writeInt ((int)crc);
            out.writeInt ((int)size);
            out.writeInt ((int)declared);
            out.writeShort ((short)nameLength);
            out.writeShort (0);
            out.write (nameBytes.getAddress(), nameLength);
            out.write (e.data.getData(), e.data.getSize());

            directory.writeInt (0x02014b50);
            directory.writeShort (0x0314);
            directory.writeShort (10);
            directory.writeShort (1 << 11);
            directory.writeShort (0);
            directory.writeShort ((short)time);
            directory.writeShort ((short)date);
            directory.writeInt ((int)crc);
            directory.writeInt ((int)size);
            directory.writeInt ((int)declared);
            directory.writeShort ((short)nameLength);
            directory.writeShort (0);
            directory.writeShort (0);
            directory.writeShort (0);
            directory.writeShort (0);
            directory.writeInt ((int)e.externalAttributes);
            directory.writeInt ((int)offset);
            directory.write (nameBytes.getAddress(), nameLength);
        }

        const auto directoryStart = (juce::uint32)out.getPosition();
        out << directory.getMemoryBlock();
        out.writeInt (0x06054b50);
        out.writeShort (0);
        out.writeShort (0);
        out.writeShort ((short)entries.size());
        out.writeShort ((short)entries.size());
        out.writeInt ((int)directory.getDataSize());
        out.writeInt ((int)directoryStart);
        out.writeShort (0);
        return out.getMemoryBlock();
    }

    void writeTo (const juce::File& file) const
    {
        const auto bytes = build();
        file.replaceWithData (bytes.getData(), bytes.getSize());
    }

private:
    std::vector<Entry> entries;

    static juce::MemoryBlock asBlock (const juce::String& text) { return {text.toRawUTF8(), text.getNumBytesAsUTF8()}; }

    static juce::uint32 crc32 (const juce::MemoryBlock& block)
    {
        juce::uint32 crc = 0xffffffffu;

        for (size_t i = 0; i < block.getSize(); ++i)
        {
            crc ^= (juce::uint8)block[i];

            for (int k = 0; k < 8; ++k)
                crc = (crc & 1) != 0 ? 0xedb88320u ^ (crc >> 1) : crc >> 1;
        }

        return ~crc;
    }
};
