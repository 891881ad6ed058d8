#pragma once

#include <juce_core/juce_core.h>

/** Where plug-in discovery and scanning look, write and which program they start to load a
    plug-in file. createDefault() gives what the program uses; tests point everything elsewhere. */
struct PluginScanOptions
{
    /** Folders discovery lists, in order. */
    juce::Array<juce::File> searchFolders;

    /** Holds "BlockedPlugins.txt" and "known_plugins.xml": the per-user folder by default. */
    juce::File userFolder;

    /** The scan log "Velmora_Scan_Log.txt". */
    juce::File logFile;

    /** The executable started with the scan flag to load each file (see PluginScanChild). */
    juce::File scanExecutable;

    /** How long one file may take to load before its child is killed and the file blocked.
        Generous: some plug-ins check licences or unpack data the first time they load. */
    int scanTimeoutMs = 60000;

    /** The standard VST3 folders of this system: on Linux ~/.vst3, /usr/lib/vst3 and
        /usr/local/lib/vst3; on Windows the two folders under Program Files. */
    static juce::Array<juce::File> getStandardSearchFolders();

    /** The user's desktop folder, or the per-user folder when there is no desktop folder. */
    static juce::File getDefaultLogFolder();

    /** Standard folders, the per-user folder, the log on the desktop and this program's own
        executable. */
    static PluginScanOptions createDefault();
};
