#include "storage/ReelArchiveWriter.h"

#include <array>

namespace
{
constexpr juce::uint32 localHeaderSignature = 0x04034b50;
constexpr juce::uint32 centralHeaderSignature = 0x02014b50;
constexpr juce::uint32 endOfDirectorySignature = 0x06054b50;
constexpr int localHeaderBytes = 30;
constexpr int centralHeaderBytes = 46;
constexpr int endOfDirectoryBytes = 22;
constexpr juce::int64 crcFieldOffset = 14;     // within the local header: CRC, compressed and full size follow
constexpr juce::uint16 versionMadeBy = 0x0314; // Unix, format 2.0: external attributes hold a file mode
constexpr juce::uint16 versionNeeded = 20;     // deflate
constexpr juce::uint16 utf8NamesFlag = 1 << 11;
constexpr juce::uint16 deflateMethod = 8;
constexpr juce::uint32 regularFileAttributes = 0100644u << 16;
constexpr int readBlockBytes = 1 << 16;

constexpr std::array<juce::uint32, 256> makeCrcTable()
{
    std::array<juce::uint32, 256> table{};

    for (juce::uint32 i = 0; i < 256; ++i)
    {
        auto c = i;

        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;

        table[i] = c;
    }

    return table;
}

constexpr auto crcTable = makeCrcTable();

juce::uint32 updateCrc (juce::uint32 crc, const juce::uint8* data, size_t size) noexcept
{
    crc = ~crc;

    for (size_t i = 0; i < size; ++i)
        crc = crcTable[(crc ^ data[i]) & 0xff] ^ (crc >> 8);

    return ~crc;
}

// Deflate can grow incompressible data by a few bytes per block; this bound is above zlib's.
juce::int64 deflateBound (juce::int64 size)
{
    return size + (size >> 11) + 64;
}

juce::int64 nameBytes (const juce::String& name)
{
    return (juce::int64)name.getNumBytesAsUTF8();
}

struct DosTime
{
    juce::uint16 time = 0, date = 0;

    explicit DosTime (juce::Time t)
    {
        int year = t.getYear(), month = t.getMonth() + 1, day = t.getDayOfMonth();
        int hours = t.getHours(), minutes = t.getMinutes(), seconds = t.getSeconds();

        if (year < 1980) // the format starts in 1980 and ends in 2107
        {
            year = 1980, month = 1, day = 1, hours = 0, minutes = 0, seconds = 0;
        }
        else if (year > 2107)
        {
            year = 2107, month = 12, day = 31, hours = 23, minutes = 59, seconds = 58;
        }

        time = (juce::uint16) ((hours << 11) | (minutes << 5) | (seconds / 2));
        date = (juce::uint16) (((year - 1980) << 9) | (month << 5) | day);
    }
};

struct WrittenEntry
{
    juce::String name;
    DosTime when;
    juce::uint32 crc = 0;
    juce::int64 compressedSize = 0, size = 0, headerOffset = 0;
};

bool writeShort (juce::OutputStream& out, int value)
{
    return out.writeShort ((short)(juce::uint16)value);
}
bool writeInt (juce::OutputStream& out, juce::int64 value)
{
    return out.writeInt ((int)(juce::uint32)value);
}

bool writeEntryHeader (juce::OutputStream& out, const WrittenEntry& e, bool central)
{
    bool ok = writeInt (out, central ? centralHeaderSignature : localHeaderSignature);

    if (central)
        ok = ok && writeShort (out, versionMadeBy);

    const auto utf8 = e.name.toUTF8();
    const auto length = (int)nameBytes (e.name);

    ok = ok && writeShort (out, versionNeeded) && writeShort (out, utf8NamesFlag) && writeShort (out, deflateMethod) &&
         writeShort (out, e.when.time) && writeShort (out, e.when.date) && writeInt (out, e.crc) &&
         writeInt (out, e.compressedSize) && writeInt (out, e.size) && writeShort (out, length) &&
         writeShort (out, 0); // no extra field

    if (central)
        ok = ok && writeShort (out, 0) && writeShort (out, 0) && writeShort (out, 0) // comment, disk, internal
             && writeInt (out, regularFileAttributes) && writeInt (out, e.headerOffset);

    return ok && out.write (utf8.getAddress(), (size_t)length);
}
} // namespace

juce::Array<ReelArchiveWriter::Item> ReelArchiveWriter::listFolder (const juce::File& folder)
{
    juce::Array<Item> items;

    for (const auto& file : folder.findChildFiles (juce::File::findFiles, true, "*", juce::File::FollowSymlinks::no))
    {
        if (file.isSymbolicLink())
            continue;

        items.add ({file, file.getRelativePathFrom (folder).replaceCharacter (juce::File::getSeparatorChar(), '/'),
                    file.getSize()});
    }

    std::sort (items.begin(), items.end(), [] (const Item& a, const Item& b) { return a.entryName < b.entryName; });
    return items;
}

juce::int64 ReelArchiveWriter::worstCaseArchiveBytes (const juce::Array<Item>& items)
{
    juce::int64 total = endOfDirectoryBytes;

    for (const auto& item : items)
        total += localHeaderBytes + centralHeaderBytes + 2 * nameBytes (item.entryName) + deflateBound (item.size);

    return total;
}

juce::Result ReelArchiveWriter::checkLimits (const juce::Array<Item>& items)
{
    if (items.size() > maxEntries)
        return juce::Result::fail ("The tape holds " + juce::String (items.size()) +
                                   " files, but a backup archive can hold at most " + juce::String (maxEntries) + ".");

    for (const auto& item : items)
    {
        if (item.size > maxArchiveBytes)
            return juce::Result::fail ("The file \"" + item.entryName +
                                       "\" is too large for a backup archive, which holds files of up to 4 GB.");

        if (nameBytes (item.entryName) > 0xffff)
            return juce::Result::fail ("The file name \"" + item.entryName + "\" is too long for a backup archive.");
    }

    if (worstCaseArchiveBytes (items) > maxArchiveBytes)
    {
        juce::int64 total = 0;

        for (const auto& item : items)
            total += item.size;

        return juce::Result::fail ("The tape's files take " + juce::File::descriptionOfSizeInBytes (total) +
                                   ", but a backup archive can hold at most 4 GB.");
    }

    return juce::Result::ok();
}

juce::Result ReelArchiveWriter::write (const juce::Array<Item>& items, const juce::File& destination,
                                       std::atomic<double>* progress, const std::function<bool()>& shouldCancel)
{
    if (auto limits = checkLimits (items); limits.failed())
        return limits;

    const auto cancelled = [&shouldCancel] { return shouldCancel != nullptr && shouldCancel(); };
    const auto cancelledResult = juce::Result::fail ("The backup was cancelled.");
    const auto writeFailed = juce::Result::fail ("The backup file could not be written.");

    if (destination.isDirectory() || ! destination.getParentDirectory().isDirectory())
        return writeFailed;

    juce::int64 totalBytes = 0, bytesDone = 0;

    for (const auto& item : items)
        totalBytes += item.size;

    const auto report = [&] (int entriesDone)
    {
        if (progress == nullptr)
            return;

        const auto fraction = totalBytes > 0 ? (double)bytesDone / (double)totalBytes
                                             : (double)entriesDone / (double)juce::jmax (1, items.size());
        progress->store (juce::jlimit (0.0, 0.99, fraction));
    };

    // Written beside the destination (same file system) and moved over it only when complete;
    // the temporary file is deleted on every way out of here.
    juce::TemporaryFile temporary (destination, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream out (temporary.getFile(), readBlockBytes);

        if (out.failedToOpen())
            return writeFailed;

        std::vector<WrittenEntry> written;
        written.reserve ((size_t)items.size());
        juce::HeapBlock<juce::uint8> buffer (readBlockBytes);

        for (int i = 0; i < items.size(); ++i)
        {
            if (cancelled())
                return cancelledResult;

            report (i);
            const auto& item = items.getReference (i);
            WrittenEntry entry{item.entryName, DosTime (item.file.getLastModificationTime())};
            entry.headerOffset = out.getPosition();

            juce::FileInputStream in (item.file);

            if (in.failedToOpen())
                return juce::Result::fail ("The file \"" + item.entryName + "\" could not be read.");

            if (! writeEntryHeader (out, entry, false))
                return writeFailed;

            const auto dataStart = out.getPosition();

            {
                juce::GZIPCompressorOutputStream compressor (out, compressionLevel,
                                                             juce::GZIPCompressorOutputStream::windowBitsRaw);

                for (;;)
                {
                    if (cancelled())
                        return cancelledResult;

                    const auto bytesRead = in.read (buffer, readBlockBytes);

                    if (bytesRead <= 0)
                        break;

                    entry.crc = updateCrc (entry.crc, buffer, (size_t)bytesRead);
                    entry.size += bytesRead;
                    bytesDone += bytesRead;

                    if (entry.size > maxArchiveBytes) // the file grew while it was being archived
                        return juce::Result::fail (
                            "The file \"" + item.entryName +
                            "\" is too large for a backup archive, which holds files of up to 4 GB.");

                    if (! compressor.write (buffer, (size_t)bytesRead))
                        return writeFailed;

                    report (i);
                }

                compressor.flush();
            }

            if (in.getStatus().failed())
                return juce::Result::fail ("The file \"" + item.entryName + "\" could not be read.");

            const auto dataEnd = out.getPosition();
            entry.compressedSize = dataEnd - dataStart;

            if (dataEnd > maxArchiveBytes)
                return juce::Result::fail ("The backup archive would be larger than 4 GB.");

            // Sizes and checksum are known only now: fill them into the local header.
            if (! (out.setPosition (entry.headerOffset + crcFieldOffset) && writeInt (out, entry.crc) &&
                   writeInt (out, entry.compressedSize) && writeInt (out, entry.size) && out.setPosition (dataEnd)))
                return writeFailed;

            written.push_back (entry);
        }

        const auto directoryStart = out.getPosition();

        for (const auto& entry : written)
            if (! writeEntryHeader (out, entry, true))
                return writeFailed;

        const auto directoryEnd = out.getPosition();

        if (directoryEnd + endOfDirectoryBytes > maxArchiveBytes)
            return juce::Result::fail ("The backup archive would be larger than 4 GB.");

        const auto count = (int)written.size();

        if (! (writeInt (out, endOfDirectorySignature) && writeShort (out, 0) && writeShort (out, 0) &&
               writeShort (out, count) && writeShort (out, count) && writeInt (out, directoryEnd - directoryStart) &&
               writeInt (out, directoryStart) && writeShort (out, 0)))
            return writeFailed;

        out.flush();

        if (out.getStatus().failed())
            return writeFailed;
    }

    if (cancelled())
        return cancelledResult;

    if (! temporary.overwriteTargetFileWithTemporary())
        return writeFailed;

    if (progress != nullptr)
        progress->store (1.0);

    return juce::Result::ok();
}
