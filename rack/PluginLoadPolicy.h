#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Which plug-in files the program may load into a slot. A reel names the plug-in files it uses,
    and a reel may come from anywhere (a download, a backup, a shared archive); loading a plug-in
    runs its code in this process. So a file is loaded only when it lies in one of the standard
    plug-in folders or is in the known plug-in list (the user scanned it), and never when its name
    is in "BlockedPlugins.txt" (it crashed a scan) or in the known list's own blacklist. */
class PluginLoadPolicy
{
public:
    /** The standard plug-in folders; by default those the scanner searches (on Linux ~/.vst3,
        /usr/lib/vst3 and /usr/local/lib/vst3). Tests point it at their own folders. */
    juce::Array<juce::File> standardFolders;

    /** The folder of "BlockedPlugins.txt"; when empty, the per-user folder at the time of asking. */
    juce::File userFolder;

    PluginLoadPolicy();

    /** True when path may be loaded: an absolute path inside a standard folder or named by an
        entry of knownPlugins, whose file name is not blocked. */
    bool isPathAllowed (const juce::String& path, const juce::KnownPluginList& knownPlugins) const;

    /** True when path is an absolute path inside (at any depth) one of the standard folders. */
    bool isInStandardFolder (const juce::String& path) const;

    /** True when an entry of the list names exactly this file. */
    static bool isInKnownList (const juce::String& path, const juce::KnownPluginList& knownPlugins);

    /** True when the path's file name is a line of "BlockedPlugins.txt" (compared exactly, as the
        scanner does) or the path is in the list's blacklist. */
    bool isBlocked (const juce::String& path, const juce::KnownPluginList& knownPlugins) const;
};
