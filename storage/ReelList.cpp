#include "storage/ReelList.h"

#include "storage/GuardedXmlReader.h"
#include "storage/StorageIds.h"

#include <cmath>

namespace ReelList
{
namespace
{
    juce::String twoDigits (int value)
    {
        return juce::String (value).paddedLeft ('0', 2);
    }

    juce::int64 wholePart (double value)
    {
        return std::isfinite (value) ? (juce::int64)value : 0;
    }
} // namespace

juce::String formatDate (juce::Time t)
{
    // Spelled out rather than through strftime, so the text does not change with the locale.
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto hours = t.getHours();
    const auto hours12 = hours % 12 == 0 ? 12 : hours % 12;

    return juce::String (months[juce::jlimit (0, 11, t.getMonth())]) + " " + twoDigits (t.getDayOfMonth()) + ", " +
           juce::String (t.getYear()).paddedLeft ('0', 4) + "  -  " + twoDigits (hours12) + ":" +
           twoDigits (t.getMinutes()) + (hours < 12 ? " AM" : " PM");
}

juce::int64 folderSize (const juce::File& folder)
{
    juce::int64 total = 0;

    for (const auto& f : folder.findChildFiles (juce::File::findFiles, true, "*", juce::File::FollowSymlinks::no))
        total += juce::jmax ((juce::int64)0, f.getSize());

    return total;
}

juce::String formatFolderSize (juce::int64 bytes)
{
    return juce::String (bytes / 1048576) + " MB";
}

ReelInfo makeRow (const ShelfEntry& entry)
{
    ReelInfo row;
    row.name = entry.name;
    row.folder = entry.folder;
    row.lastWriteTime = entry.lastWriteTime;
    row.dateText = formatDate (juce::Time (entry.lastWriteTime));
    row.sizeText = formatFolderSize (entry.folder == juce::File() ? 0 : folderSize (entry.folder));

    const auto settings =
        entry.folder == juce::File() ? juce::File() : entry.folder.getChildFile (StorageIds::settingsFile);

    if (settings == juce::File() || ! settings.existsAsFile())
    {
        row.trackCountText = juce::String (StorageIds::defaultNumTracks) + " Tracks";
        row.sampleRateText = juce::String (StorageIds::defaultSampleRate / 1000.0, 1) + " kHz";
        row.lengthText = juce::String (wholePart (StorageIds::defaultReelLength / 60.0)) + " Min";
        row.ramText = "Unknown RAM";
        return row;
    }

    // The row needs only the root element's attributes: a settings file that also holds
    // plug-in states can be large, and the list is rebuilt on every keystroke of the search.
    if (const auto root = GuardedXmlReader::parseFile (settings, nullptr, true))
    {
        const auto tracks = root->getIntAttribute (StorageIds::numTracksAttribute, StorageIds::defaultNumTracks);
        const auto rate = root->getDoubleAttribute (StorageIds::sampleRateAttribute, StorageIds::defaultSampleRate);
        const auto seconds = root->getDoubleAttribute (StorageIds::reelLengthAttribute, StorageIds::defaultReelLength);
        const auto ramBytes = (double)tracks * rate * seconds * 4.0; // 32-bit float per sample per track

        row.trackCountText = juce::String (tracks) + " Tracks";
        row.sampleRateText = juce::String (rate / 1000.0, 1) + " kHz";
        row.lengthText = juce::String (wholePart (seconds / 60.0)) + " Min";
        row.ramText = juce::String (ramBytes / 1024.0 / 1024.0, 1) + " MB";
    }

    return row;
}

bool matchesSearch (const juce::String& reelName, const juce::String& searchText)
{
    const auto text = searchText.trim();
    return text.isEmpty() || reelName.containsIgnoreCase (text);
}

void sortReelInfosByName (juce::Array<ReelInfo>& rows)
{
    std::stable_sort (rows.begin(), rows.end(),
                      [] (const ReelInfo& a, const ReelInfo& b) { return a.name.compareIgnoreCase (b.name) < 0; });
}

void sortReelInfosByRecent (juce::Array<ReelInfo>& rows)
{
    std::stable_sort (rows.begin(), rows.end(),
                      [] (const ReelInfo& a, const ReelInfo& b) { return a.lastWriteTime > b.lastWriteTime; });
}

juce::Array<ReelInfo> buildRows (const juce::Array<ShelfEntry>& shelf, const juce::String& searchText, int sortId)
{
    juce::Array<ReelInfo> rows;

    for (const auto& entry : shelf)
        if (matchesSearch (entry.name, searchText))
            rows.add (makeRow (entry));

    if (sortId == sortByName)
        sortReelInfosByName (rows);
    else
        sortReelInfosByRecent (rows);

    return rows;
}

int indexOfReel (const juce::Array<ReelInfo>& rows, const juce::String& reelName)
{
    for (int i = 0; i < rows.size(); ++i)
        if (rows.getReference (i).name == reelName)
            return i;

    return -1;
}
} // namespace ReelList
