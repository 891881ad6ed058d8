#include "rack/ChildProcessPluginScanner.h"

#include "rack/PluginScanChild.h"
#include "rack/PluginScanIds.h"
#include "storage/GuardedXmlReader.h"

#include <juce_core/juce_core.h>

namespace
{
// Removes the child's result file (and its half-written sibling) however the scan ends.
struct ResultFiles
{
    ResultFiles()
        : result (
              juce::File::getSpecialLocation (juce::File::tempDirectory)
                  .getNonexistentChildFile ("dravin8-plugin-scan-" +
                                                juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()),
                                            ".xml", false)),
          part (result.getSiblingFile (result.getFileName() + ".part"))
    {
    }

    ~ResultFiles()
    {
        result.deleteFile();
        part.deleteFile();
    }

    const juce::File result, part;

    JUCE_DECLARE_NON_COPYABLE (ResultFiles)
};

bool stopChild (juce::ChildProcess& child)
{
    child.kill();
    return child.waitForProcessToFinish (5000); // reaps it, so no zombie is left behind
}
} // namespace

ChildProcessPluginScanner::ChildProcessPluginScanner (juce::File executableToStart, int timeoutMilliseconds,
                                                      std::function<bool()> shouldCancel)
    : executable (std::move (executableToStart)), timeoutMs (timeoutMilliseconds),
      cancelCheck (std::move (shouldCancel))
{
}

bool ChildProcessPluginScanner::findPluginTypesFor (juce::AudioPluginFormat& format,
                                                    juce::OwnedArray<juce::PluginDescription>& result,
                                                    const juce::String& fileOrIdentifier)
{
    lastOutcome = scanInChildProcess (executable, format.getName(), fileOrIdentifier, timeoutMs, result,
                                      [this] { return shouldExit() || (cancelCheck && cancelCheck()); });

    // Reporting a crash here would put the file on JUCE's own blocked list; ours is the only one.
    return true;
}

ChildProcessPluginScanner::Outcome
ChildProcessPluginScanner::scanInChildProcess (const juce::File& executable, const juce::String& formatName,
                                               const juce::String& fileOrIdentifier, int timeoutMilliseconds,
                                               juce::OwnedArray<juce::PluginDescription>& result,
                                               const std::function<bool()>& shouldCancel)
{
    if (! executable.existsAsFile())
        return Outcome::notStarted;

    const ResultFiles files;
    juce::ChildProcess child;

    // No pipes: a child that writes a lot would otherwise block on a full pipe nobody reads.
    if (! child.start (PluginScanChild::makeArguments (executable, formatName, fileOrIdentifier, files.result), 0))
        return Outcome::notStarted;

    const auto startTime = juce::Time::getMillisecondCounterHiRes();

    while (! child.waitForProcessToFinish (10))
    {
        if (juce::Thread::currentThreadShouldExit() || (shouldCancel && shouldCancel()))
        {
            stopChild (child);
            return Outcome::cancelled;
        }

        if (juce::Time::getMillisecondCounterHiRes() - startTime > timeoutMilliseconds)
        {
            stopChild (child);
            return Outcome::timedOut;
        }
    }

    // The exit code cannot tell a crash from a clean exit: the result file can.
    if (! files.result.existsAsFile())
        return Outcome::notStarted;

    const auto xml = GuardedXmlReader::parseFile (files.result);

    if (xml == nullptr || ! xml->hasTagName (PluginScanIds::scanResultTag))
        return Outcome::crashed;

    for (auto* element : xml->getChildWithTagNameIterator ("PLUGIN"))
    {
        juce::PluginDescription description;

        if (description.loadFromXml (*element))
            result.add (new juce::PluginDescription (description));
    }

    return Outcome::loaded;
}
