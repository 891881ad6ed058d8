// The room picture comes from the network: only whole, well-formed PNGs reach the decoder,
// whatever the server sends.

#include "lounge/LoungePicture.h"
#include "tests/lounge/LoungeTestFiles.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace
{
void chunk (juce::MemoryOutputStream& out, const char* type, const juce::MemoryBlock& data)
{
    const auto big = [&out] (juce::uint32 v) { out.writeIntBigEndian ((int) v); };
    big ((juce::uint32) data.getSize());
    out.write (type, 4);
    out.write (data.getData(), data.getSize());
    auto crc = crc32 (0L, (const Bytef*) type, 4);
    if (data.getSize() > 0) // crc32 of no buffer is 0, not the running value
        crc = crc32 (crc, (const Bytef*) data.getData(), (uInt) data.getSize());
    big ((juce::uint32) crc);
}

/** A 4 x 3 grey PNG whose raw rows (filter byte first) are given as they are. */
juce::MemoryBlock greyPng (const std::vector<juce::uint8>& raw, const char* extraCriticalChunk = nullptr)
{
    juce::MemoryOutputStream out;
    const juce::uint8 signature[] = { 0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a };
    out.write (signature, 8);

    juce::MemoryOutputStream ihdr;
    ihdr.writeIntBigEndian (4);
    ihdr.writeIntBigEndian (3);
    const juce::uint8 rest[] = { 8, 0, 0, 0, 0 };
    ihdr.write (rest, 5);
    chunk (out, "IHDR", ihdr.getMemoryBlock());

    if (extraCriticalChunk != nullptr)
        chunk (out, extraCriticalChunk, juce::MemoryBlock (4, true));

    uLongf packedSize = compressBound ((uLong) raw.size());
    juce::MemoryBlock packed (packedSize);
    compress ((Bytef*) packed.getData(), &packedSize, raw.data(), (uLong) raw.size());
    packed.setSize (packedSize);
    chunk (out, "IDAT", packed);
    chunk (out, "IEND", {});
    return out.getMemoryBlock();
}

std::vector<juce::uint8> rows (int count, juce::uint8 filter)
{
    std::vector<juce::uint8> raw ((size_t) count * 5);
    for (size_t r = 0; r < (size_t) count; ++r)
    {
        raw[r * 5] = filter;
        for (size_t x = 0; x < 4; ++x)
            raw[r * 5 + 1 + x] = (juce::uint8) (10 + 76 * x);
    }
    return raw;
}
} // namespace

TEST (LoungePicture, DecodesOnlyWholeWellFormedPngs)
{
    const auto good = greyPng (rows (3, 0));
    ASSERT_TRUE (LoungePicture::decode (good).isValid());
    EXPECT_EQ (LoungePicture::decode (good).getPixelAt (3, 2).getRed(), 238);

    const auto real = LoungeTestFiles::roomPicture();
    EXPECT_EQ (LoungePicture::decode (real).getWidth(), 320);

    auto badCrc = good;
    static_cast<juce::uint8*> (badCrc.getData())[20] ^= 1;
    auto cutRows = rows (3, 0);
    cutRows.resize (cutRows.size() - 2);
    auto extraRows = rows (4, 0);

    const std::pair<const char*, juce::MemoryBlock> damaged[] = {
        { "empty", {} },
        { "cut in half", juce::MemoryBlock (real.getData(), real.getSize() / 2) },
        { "cut before IEND", juce::MemoryBlock (real.getData(), real.getSize() - 12) },
        { "bad checksum", badCrc },
        { "row filter 7", greyPng (rows (3, 7)) },
        { "rows missing", greyPng (cutRows) },
        { "rows to spare", greyPng (extraRows) },
        { "unknown critical chunk", greyPng (rows (3, 0), "ZZZZ") },
        { "not a PNG", juce::MemoryBlock ("GIF89a........", 14) },
    };

    for (const auto& [name, data] : damaged)
        EXPECT_FALSE (LoungePicture::decode (data).isValid()) << name;
}
