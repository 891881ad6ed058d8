#include "rack/PluginScanOptions.h"

#include "platform/Platform.h"
#include "rack/PluginScanIds.h"

juce::Array<juce::File> PluginScanOptions::getStandardSearchFolders()
{
#if JUCE_WINDOWS
    return {juce::File ("C:\\Program Files\\Common Files\\VST3"),
            juce::File ("C:\\Program Files\\Steinberg\\VstPlugins")};
#elif JUCE_MAC
    return {juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("Library/Audio/Plug-Ins/VST3"),
            juce::File ("/Library/Audio/Plug-Ins/VST3")};
#else
    return {juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".vst3"),
            juce::File ("/usr/lib/vst3"), juce::File ("/usr/local/lib/vst3")};
#endif
}

juce::File PluginScanOptions::getDefaultLogFolder()
{
    // JUCE names ~/Desktop on Linux even when there is no such folder (common on servers and in
    // minimal desktops): then the log goes where the other per-user files are.
    auto desktop = juce::File::getSpecialLocation (juce::File::userDesktopDirectory);
    return desktop.isDirectory() ? desktop : Platform::getUserDataFolder();
}

PluginScanOptions PluginScanOptions::createDefault()
{
    PluginScanOptions options;
    options.searchFolders = getStandardSearchFolders();
    options.userFolder = Platform::getUserDataFolder();
    options.logFile = getDefaultLogFolder().getChildFile (PluginScanIds::scanLogFileName);
    options.scanExecutable = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    return options;
}
