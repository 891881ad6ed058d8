#pragma once

#include "rack/PluginScanIds.h"

#include <juce_core/juce_core.h>

#include <optional>

/** The child side of crash-safe plug-in scanning.

    Loading an unknown plug-in can crash or hang the process that loads it, so the scanner never
    loads one itself: it starts the program's own executable again with
        <executable> --dravin8-scan-plugin <format name> <plug-in file> <result file>
    and this entry point, called first thing in main(), loads the one file in that child process
    and writes what it found to the result file.

    The result file tells the parent what happened, since the exit code of a child killed by a
    signal cannot be told from a clean exit: the child creates it empty before it loads anything
    and replaces it with the complete result (root PLUGIN_SCAN_RESULT, one PLUGIN element per
    description) only once the file has been loaded. No file: the child never got that far. An
    empty file: it died while loading. */
class PluginScanChild
{
public:
    static constexpr const char* commandLineFlag = PluginScanIds::scanChildFlag;

    /** Exit codes of a child scan. */
    enum ExitCode
    {
        scanned = 0,
        badArguments = 64,
        resultNotWritten = 73
    };

    /** When argv asks for a plug-in scan, performs it and returns the exit code for main() to
        return; otherwise does nothing and returns no value, and the program starts as usual. */
    static std::optional<int> runIfRequested (int argc, const char* const* argv);

    /** The command line that scans one file in a child process (program first). */
    static juce::StringArray makeArguments (const juce::File& executable, const juce::String& formatName,
                                            const juce::String& pluginFile, const juce::File& resultFile);

private:
    static int scanOneFile (const juce::String& formatName, const juce::String& pluginFile,
                            const juce::File& resultFile);
};
