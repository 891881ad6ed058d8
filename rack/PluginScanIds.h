#pragma once

// File names, log texts and XML names of plug-in discovery and scanning. Tests use the same ones.
namespace PluginScanIds
{
// Files: the first two in the per-user folder, the log on the desktop (or in the per-user folder).
inline constexpr const char* knownPluginsFileName = "known_plugins.xml";
inline constexpr const char* blockedPluginsFileName = "BlockedPlugins.txt";
inline constexpr const char* scanLogFileName = "Velmora_Scan_Log.txt";

// JUCE's own known-plug-in list XML, as "known_plugins.xml" holds it.
inline constexpr const char* knownPluginsTag = "KNOWNPLUGINS";

// Plug-in files discovery lists: VST3 bundles and Audio Unit components (files or folders).
inline constexpr const char* pluginFilePattern = "*.vst3;*.component";

// Log texts. Every "\n" is written to the log as CR LF.
inline constexpr const char* discoveryHeader = "\n--- DISCOVERY PHASE ---\n";
inline constexpr const char* checkingDir = "Checking Dir: ";
inline constexpr const char* dirNotFound = "NOT FOUND or Permission Denied\n";
inline constexpr const char* totalFiles = "Total files ready to list: ";
inline constexpr const char* scanHeader = "--- STARTING TARGETED SCAN ---\n";
inline constexpr const char* skippingKnownCrash = "SKIPPING (Known Crash): ";
inline constexpr const char* scanning = "Scanning: ";
inline constexpr const char* scanOk = "OK\n";
inline constexpr const char* scanCrashed = "CRASHED (blocked)\n";
inline constexpr const char* scanTimedOut = "TIMED OUT (blocked)\n";
inline constexpr const char* scanNoFormat = "NO FORMAT FOR THIS FILE (blocked)\n";
inline constexpr const char* scanCancelled = "CANCELLED\n";
inline constexpr const char* scanNotStarted = "SCANNER COULD NOT BE STARTED\n";

// The child process that loads one plug-in file: its command-line flag and its result file.
inline constexpr const char* scanChildFlag = "--dravin8-scan-plugin";
inline constexpr const char* scanResultTag = "PLUGIN_SCAN_RESULT";
} // namespace PluginScanIds
