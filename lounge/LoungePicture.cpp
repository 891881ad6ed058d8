#include "lounge/LoungePicture.h"

#include <zlib.h>

namespace LoungePicture
{
namespace
{
juce::uint32 bigEndian (const juce::uint8* p)
{
    return ((juce::uint32) p[0] << 24) | ((juce::uint32) p[1] << 16) | ((juce::uint32) p[2] << 8) | p[3];
}

bool isLetter (juce::uint8 c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

struct Header
{
    juce::uint32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;

    int channels() const
    {
        switch (colourType)
        {
            case 0: return 1;
            case 2: return 3;
            case 3: return 1;
            case 4: return 2;
            case 6: return 4;
            default: return 0;
        }
    }

    bool valid() const
    {
        const auto depthFits = [this]
        {
            switch (colourType)
            {
                case 0: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
                case 3: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
                case 2: case 4: case 6: return bitDepth == 8 || bitDepth == 16;
                default: return false;
            }
        };

        return width > 0 && height > 0 && width <= (juce::uint32) maxSide && height <= (juce::uint32) maxSide
            && (juce::int64) width * height <= maxPixels && depthFits() && (interlace == 0 || interlace == 1);
    }

    /** Bytes of one filtered row of w pixels, filter byte included. */
    size_t rowBytes (juce::uint32 w) const
    {
        return 1 + ((size_t) w * (size_t) (channels() * bitDepth) + 7) / 8;
    }
};

/** Every row of the raw image data, pass by pass when interlaced: (row length, row count). */
std::vector<std::pair<size_t, juce::uint32>> rowsOf (const Header& h)
{
    if (h.interlace == 0)
        return { { h.rowBytes (h.width), h.height } };

    static const int startX[] = { 0, 4, 0, 2, 0, 1, 0 }, stepX[] = { 8, 8, 4, 4, 2, 2, 1 };
    static const int startY[] = { 0, 0, 4, 0, 2, 0, 1 }, stepY[] = { 8, 8, 8, 4, 4, 2, 2 };
    std::vector<std::pair<size_t, juce::uint32>> passes;

    for (int p = 0; p < 7; ++p)
    {
        const auto w = h.width > (juce::uint32) startX[p] ? (h.width - (juce::uint32) startX[p] + (juce::uint32) stepX[p] - 1) / (juce::uint32) stepX[p] : 0u;
        const auto rows = h.height > (juce::uint32) startY[p] ? (h.height - (juce::uint32) startY[p] + (juce::uint32) stepY[p] - 1) / (juce::uint32) stepY[p] : 0u;

        if (w > 0 && rows > 0)
            passes.emplace_back (h.rowBytes (w), rows);
    }

    return passes;
}

/** Inflates the image data and checks that it holds exactly the rows promised, each with a
    known filter type. Streams through it, so a large picture costs no second copy. */
bool imageDataFits (const juce::MemoryBlock& compressed, const Header& h)
{
    z_stream z {};
    if (inflateInit (&z) != Z_OK)
        return false;

    z.next_in = (Bytef*) compressed.getData();
    z.avail_in = (uInt) compressed.getSize();

    std::vector<juce::uint8> row;
    bool fits = true;

    for (const auto& [length, count] : rowsOf (h))
    {
        row.resize (length);

        for (juce::uint32 r = 0; r < count && fits; ++r)
        {
            z.next_out = row.data();
            z.avail_out = (uInt) length;

            while (z.avail_out > 0)
            {
                const auto status = inflate (&z, Z_NO_FLUSH);

                if (status == Z_STREAM_END && z.avail_out > 0)
                    break;
                if (status != Z_OK && status != Z_STREAM_END)
                    break;
            }

            fits = z.avail_out == 0 && row[0] <= 4;
        }

        if (! fits)
            break;
    }

    // Nothing may follow the last row.
    if (fits)
    {
        juce::uint8 extra;
        z.next_out = &extra;
        z.avail_out = 1;
        fits = inflate (&z, Z_FINISH) == Z_STREAM_END && z.avail_out == 1;
    }

    inflateEnd (&z);
    return fits;
}

void appendChunk (juce::MemoryOutputStream& out, const char* type, const void* data, size_t size)
{
    const auto writeBig = [&out] (juce::uint32 v)
    {
        const juce::uint8 b[] = { (juce::uint8) (v >> 24), (juce::uint8) (v >> 16), (juce::uint8) (v >> 8), (juce::uint8) v };
        out.write (b, 4);
    };

    writeBig ((juce::uint32) size);
    out.write (type, 4);
    if (size > 0)
        out.write (data, size);

    auto crc = crc32 (0L, (const Bytef*) type, 4);
    if (size > 0)
        crc = crc32 (crc, (const Bytef*) data, (uInt) size);
    writeBig ((juce::uint32) crc);
}
} // namespace

juce::MemoryBlock sanitisePng (const void* data, size_t size)
{
    static const juce::uint8 signature[] = { 0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a };
    const auto* bytes = static_cast<const juce::uint8*> (data);

    if (data == nullptr || size < 8 || std::memcmp (bytes, signature, 8) != 0)
        return {};

    Header header;
    juce::MemoryBlock palette, imageData;
    bool seenHeader = false, seenData = false, dataEnded = false, seenEnd = false;
    size_t pos = 8;

    while (pos < size && ! seenEnd)
    {
        if (size - pos < 12)
            return {};

        const auto length = bigEndian (bytes + pos);
        const auto* type = bytes + pos + 4;
        const auto* body = bytes + pos + 8;

        if (length > 0x7fffffffu || size - pos - 12 < length)
            return {};

        for (int i = 0; i < 4; ++i)
            if (! isLetter (type[i]))
                return {};

        auto crc = crc32 (0L, type, 4);
        crc = crc32 (crc, body, (uInt) length);
        if ((juce::uint32) crc != bigEndian (body + length))
            return {};

        const juce::String name ((const char*) type, 4);
        const auto critical = (type[0] & 0x20) == 0;

        if (! seenHeader && name != "IHDR")
            return {};

        if (seenData && name != "IDAT")
            dataEnded = true;

        if (name == "IHDR")
        {
            if (seenHeader || length != 13)
                return {};

            seenHeader = true;
            header.width = bigEndian (body);
            header.height = bigEndian (body + 4);
            header.bitDepth = body[8];
            header.colourType = body[9];
            header.interlace = body[12];

            if (body[10] != 0 || body[11] != 0 || ! header.valid())
                return {};
        }
        else if (name == "PLTE")
        {
            if (seenData || palette.getSize() > 0 || length == 0 || length % 3 != 0 || length > 768
                || header.colourType == 0 || header.colourType == 4)
                return {};

            palette.append (body, length);
        }
        else if (name == "IDAT")
        {
            if (dataEnded)
                return {};

            seenData = true;
            imageData.append (body, length);

            if (imageData.getSize() > (size_t) (maxPixels * 8))
                return {};
        }
        else if (name == "IEND")
        {
            seenEnd = true;
        }
        else if (critical)
        {
            return {}; // a critical chunk we do not know: the decoder would refuse it
        }

        pos += 12 + length;
    }

    if (! seenEnd || ! seenData || (header.colourType == 3 && palette.getSize() == 0) || ! imageDataFits (imageData, header))
        return {};

    // Only what the picture needs: no ancillary chunk reaches the decoder.
    juce::MemoryOutputStream out;
    out.write (signature, 8);
    appendChunk (out, "IHDR", bytes + 16, 13);
    if (palette.getSize() > 0)
        appendChunk (out, "PLTE", palette.getData(), palette.getSize());
    appendChunk (out, "IDAT", imageData.getData(), imageData.getSize());
    appendChunk (out, "IEND", nullptr, 0);
    return out.getMemoryBlock();
}

juce::Image decode (const juce::MemoryBlock& data)
{
    const auto clean = sanitisePng (data.getData(), data.getSize());

    if (clean.isEmpty())
        return {};

    juce::MemoryInputStream in (clean, false);
    return juce::PNGImageFormat().decodeImage (in);
}

juce::Image decode (const juce::File& file, juce::int64 maxBytes)
{
    if (! file.existsAsFile() || file.getSize() > maxBytes)
        return {};

    juce::MemoryBlock data;
    return file.loadFileAsData (data) ? decode (data) : juce::Image();
}
} // namespace LoungePicture
