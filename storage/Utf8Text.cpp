#include "storage/Utf8Text.h"

bool Utf8Text::isValid (const char* data, size_t numBytes) noexcept
{
    const auto* bytes = reinterpret_cast<const unsigned char*> (data);
    size_t i = 0;

    while (i < numBytes)
    {
        const auto lead = bytes[i];

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        // Lead byte: its count of continuation bytes and the smallest code point it may carry.
        int extra = 0;
        unsigned long codePoint = 0, smallest = 0;

        if (lead >= 0xc2 && lead <= 0xdf)
        {
            extra = 1;
            codePoint = lead & 0x1fu;
            smallest = 0x80;
        }
        else if (lead >= 0xe0 && lead <= 0xef)
        {
            extra = 2;
            codePoint = lead & 0x0fu;
            smallest = 0x800;
        }
        else if (lead >= 0xf0 && lead <= 0xf4)
        {
            extra = 3;
            codePoint = lead & 0x07u;
            smallest = 0x10000;
        }
        else
        {
            return false; // a continuation byte out of place, or a lead byte no valid text has
        }

        if (numBytes - i <= (size_t)extra)
            return false;

        for (int k = 1; k <= extra; ++k)
        {
            const auto next = bytes[i + (size_t)k];

            if ((next & 0xc0) != 0x80)
                return false;

            codePoint = (codePoint << 6) | (next & 0x3fu);
        }

        if (codePoint < smallest || ! isUsableCodePoint (codePoint))
            return false;

        i += (size_t)extra + 1;
    }

    return true;
}

bool Utf8Text::isUsableCodePoint (unsigned long codePoint) noexcept
{
    return codePoint >= 1 && codePoint <= 0x10ffff && ! (codePoint >= 0xd800 && codePoint <= 0xdfff);
}
