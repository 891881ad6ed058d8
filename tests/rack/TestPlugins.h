#pragma once

#include "rack/PluginScanIds.h"
#include "rack/PluginScanOptions.h"
#include "tests/plugins/TestPluginNames.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

// Where the build put the test plug-ins (tests/plugins/) and the scan helper that stands in for
// the program in child-process scans. Tests that need them are skipped in a build without them.
namespace TestPlugins
{
#if defined(DRAVIN8_TEST_PLUGIN_DIR) && defined(DRAVIN8_TEST_HANG_PLUGIN_DIR) && defined(DRAVIN8_PLUGIN_SCAN_HELPER)
inline constexpr bool built = true;
inline juce::File folder()
{
    return juce::File (DRAVIN8_TEST_PLUGIN_DIR);
}
inline juce::File hangFolder()
{
    return juce::File (DRAVIN8_TEST_HANG_PLUGIN_DIR);
}
inline juce::File scanHelper()
{
    return juce::File (DRAVIN8_PLUGIN_SCAN_HELPER);
}
#else
inline constexpr bool built = false;
inline juce::File folder()
{
    return {};
}
inline juce::File hangFolder()
{
    return {};
}
inline juce::File scanHelper()
{
    return {};
}
#endif

using TestPluginNames::Kind;

inline juce::String bundleName (Kind kind)
{
    return juce::String (TestPluginNames::identityOf (kind).binaryName) + ".vst3";
}

inline juce::String displayName (Kind kind)
{
    return TestPluginNames::identityOf (kind).displayName;
}

inline juce::File bundle (Kind kind)
{
    return (kind == Kind::hang ? hangFolder() : folder()).getChildFile (bundleName (kind));
}

inline const Kind goodKinds[] = {Kind::gain, Kind::monoToStereo, Kind::quadSynth, Kind::state};

/** Scan options that touch nothing outside root, starting the helper for each file. */
inline PluginScanOptions makeOptions (const juce::File& root)
{
    PluginScanOptions options;
    options.searchFolders = {folder()};
    options.userFolder = root.getChildFile ("user");
    options.logFile = root.getChildFile ("desktop").getChildFile (PluginScanIds::scanLogFileName);
    options.scanExecutable = scanHelper();
    options.scanTimeoutMs = 60000;
    return options;
}
} // namespace TestPlugins

#define DRAVIN8_SKIP_WITHOUT_TEST_PLUGINS()                                                                            \
    if (! TestPlugins::built)                                                                                          \
    GTEST_SKIP() << "built without the test plug-ins (DRAVIN8_BUILD_TEST_PLUGINS)"
