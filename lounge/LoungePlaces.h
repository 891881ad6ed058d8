#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

/** Where the room finds its server and keeps its files. standard() gives the program's
    places; tests hand the room places of their own. */
struct LoungePlaces
{
    juce::String serverAddress; // base address of the server; empty: no server, no requests
    juce::File settingsFile;    // "Velmora_Lounge.settings" in the maker's folder
    juce::File cacheFolder;     // downloaded tapes
    juce::File pictureFile;     // the room picture, fetched once

    /** The maker's folder, the settings file, cache and picture in their usual places, and
        the server address stored in the settings file under "lounge_server". */
    static LoungePlaces standard();
};

namespace LoungePlacesFiles
{
/** "Velmora" in the user's application-data folder: the folder above the program's own
    per-user folder, so that the per-user folder overrides move it too. */
juce::File getMakerFolder();

/** The room's settings file (XML, saved 3 s after a change and when closed). */
std::unique_ptr<juce::PropertiesFile> openSettings (const juce::File& settingsFile);
} // namespace LoungePlacesFiles

/** The cache folder of downloaded tapes, "LoungeCache" in the maker's folder, created
    when missing. */
juce::File getLoungeCacheFolder();

/** The cache file of the tape at address: the lower-case MD5 hex of the address's UTF-8
    text plus ".ogg", in folder. */
juce::File getLoungeCacheFile (const juce::File& folder, const juce::String& address);
