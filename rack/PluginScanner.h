#pragma once

#include "rack/PluginScanOptions.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>

/** Plug-in discovery and crash-safe scanning into a known-plug-in list.

    Discovery lists the plug-in files (".vst3", ".component"; files or bundle folders) directly in
    each search folder and in their direct sub-folders (vendor folders), logging each folder.

    A targeted scan loads each chosen file once, in a child process (ChildProcessPluginScanner),
    to read its descriptions into the list, and writes the list to "known_plugins.xml". Before a
    file is loaded its name goes into "BlockedPlugins.txt" and it is taken out again when the file
    has loaded: a plug-in that crashes or hangs stays there, and every later scan skips a file of
    that name with "SKIPPING (Known Crash): ". Every step is logged to "Velmora_Scan_Log.txt", each
    write appended and the file closed again.

    Scans run on the calling thread, one at a time in the whole process. While scanning a file
    the scanner replaces the list's custom scanner with its own and removes it afterwards. */
class PluginScanner
{
public:
    /** What scanFile did with one path. */
    enum class FileResult
    {
        skippedMissing,   // empty path or no such file: nothing logged
        skippedBlocked,   // its name is in "BlockedPlugins.txt": not loaded
        scanned,          // loaded (or already known): its descriptions are in the list
        crashed,          // its child crashed: blocked from now on
        timedOut,         // its child hung and was killed: blocked from now on
        noFormat,         // no plug-in format takes the file: blocked from now on
        cancelled,        // the scan was cancelled while the file was loading: not blocked
        scannerNotStarted // the child process could not be started: not blocked
    };

    PluginScanner (juce::AudioPluginFormatManager& formats, juce::KnownPluginList& list,
                   PluginScanOptions options = PluginScanOptions::createDefault());

    /** Lists the plug-in files of the search folders (not searched deeper than one sub-folder;
        no duplicates removed) and appends the discovery to the log. */
    juce::StringArray discoverPluginFiles() const;

    /** A targeted scan: starts the log afresh, scans each path in order, then writes
        "known_plugins.xml". */
    void scanPluginFiles (const juce::StringArray& paths);

    /** Starts the log afresh with the targeted-scan header. */
    void startScanLog() const;

    /** Scans one path into the list, appending to the log; does not write "known_plugins.xml". */
    FileResult scanFile (const juce::String& path);

    /** Writes the list to "known_plugins.xml" (JUCE's own list XML). */
    bool saveKnownPluginList() const;

    /** Fills list from "known_plugins.xml" in userFolder; a missing or unreadable file leaves it
        as it was and returns false. */
    static bool loadKnownPluginList (juce::KnownPluginList& list, const juce::File& userFolder);

    /** The names in "BlockedPlugins.txt" (empty when there is no such file). */
    juce::StringArray readBlockedPlugins() const;

    juce::File getBlockedPluginsFile() const;
    juce::File getKnownPluginsFile() const;
    const PluginScanOptions& getOptions() const noexcept { return options; }

    /** The file name part of a path (after the last slash or backslash). */
    static juce::String getFileNameOf (const juce::String& path);

    /** Polled while a file loads: true cancels that file (its child is killed). A JUCE thread
        that is asked to exit cancels too. */
    std::function<bool()> shouldCancel;

private:
    void appendToLog (const juce::String& text) const;
    void appendToBlockedPlugins (const juce::String& name) const;
    void rewriteBlockedPlugins (const juce::StringArray& names) const;
    juce::AudioPluginFormat* findFormatFor (const juce::String& path) const;

    juce::AudioPluginFormatManager& formatManager;
    juce::KnownPluginList& knownPlugins;
    const PluginScanOptions options;

    JUCE_DECLARE_NON_COPYABLE (PluginScanner)
};
