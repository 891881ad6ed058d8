#pragma once

#include <juce_core/juce_core.h>

/** The once-per-run update check: the version document on the maker's server holds the latest
    version on its first line and the release notes on the lines after it. */
struct UpdateCheck
{
    struct Outcome
    {
        bool updateAvailable = false;
        juce::String notes; // the release notes, one per line; set when an update is available
    };

    /** Reads a version document against the program's own version: an update is a first line
        (after trimming the whole text) that is not empty, shorter than 10 characters (an HTML
        page is not a version) and differs from ownVersion as text; versions are not ordered.
        The notes are the non-blank lines after it, trimmed; "Bug fixes and performance
        improvements." when there are none. */
    static Outcome parse (const juce::String& document, const juce::String& ownVersion);

    /** The address of the version document under serverAddress ("version.txt" with a query
        that defeats caches); an invalid URL when the address is empty (the check is off). */
    static juce::URL makeDocumentAddress (const juce::String& serverAddress, juce::uint32 cacheBreaker);

    /** The server address: the environment variable DRAVIN8_UPDATE_URL when set (tests point it at
        a local server or set it empty), else the attribute "updateServer" of "global_settings.xml"
        in the per-user folder when present, else the maker's server. Empty means no check. */
    static juce::String findServerAddress (const juce::File& userFolder);

    /** The text of the document, read through the framework's URL stream with a connection
        time-out and at most maxBytes bytes; empty on any failure, including an HTTP error. */
    static juce::String fetch (const juce::URL& address, int connectTimeoutMs = 5000, int maxBytes = 16384);

    /** Fetches the document and reads it; what the background job runs. */
    static Outcome run (const juce::String& serverAddress, const juce::String& ownVersion);

    static constexpr const char* defaultServerAddress = "https://updates.velmora.invalid/dravin8/";
    static constexpr const char* serverAttribute = "updateServer";
    static constexpr const char* environmentVariable = "DRAVIN8_UPDATE_URL";
    static constexpr const char* noNotesText = "Bug fixes and performance improvements.";
    static constexpr const char* notesHeading = "New in this version:\n\n";
};
