#include "rack/PluginScanChild.h"

#include "platform/Platform.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_events/juce_events.h>

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
#include <sys/resource.h>
#endif

std::optional<int> PluginScanChild::runIfRequested (int argc, const char* const* argv)
{
    if (argc < 2 || argv == nullptr || argv[1] == nullptr || juce::String (argv[1]) != commandLineFlag)
        return std::nullopt;

    if (argc != 5)
        return badArguments;

    return scanOneFile (juce::CharPointer_UTF8 (argv[2]), juce::CharPointer_UTF8 (argv[3]),
                        juce::File (juce::CharPointer_UTF8 (argv[4])));
}

juce::StringArray PluginScanChild::makeArguments (const juce::File& executable, const juce::String& formatName,
                                                  const juce::String& pluginFile, const juce::File& resultFile)
{
    return {executable.getFullPathName(), commandLineFlag, formatName, pluginFile, resultFile.getFullPathName()};
}

int PluginScanChild::scanOneFile (const juce::String& formatName, const juce::String& pluginFile,
                                  const juce::File& resultFile)
{
    if (! juce::File::isAbsolutePath (resultFile.getFullPathName()) || ! resultFile.create())
        return resultNotWritten;

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
    // A plug-in that crashes here is expected now and then: leave no core file behind for it.
    const rlimit noCoreFiles{0, 0};
    setrlimit (RLIMIT_CORE, &noCoreFiles);
#endif

    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    juce::XmlElement result (PluginScanIds::scanResultTag);
    result.setAttribute ("format", formatName);
    result.setAttribute ("file", pluginFile);

    {
        juce::AudioPluginFormatManager formats;
        formats.addDefaultFormats();

        juce::AudioPluginFormat* format = nullptr;

        for (int i = 0; i < formats.getNumFormats(); ++i)
            if (formats.getFormat (i)->getName() == formatName)
                format = formats.getFormat (i);

        if (format == nullptr)
        {
            result.setAttribute ("error", "unknown plug-in format");
        }
        else
        {
            juce::OwnedArray<juce::PluginDescription> found;
            format->findAllTypesForFile (found, pluginFile);

            for (auto* description : found)
                result.addChildElement (description->createXml().release());
        }
    }

    // Written beside the result file and moved over it, so the parent never reads half of it.
    const auto partFile = resultFile.getSiblingFile (resultFile.getFileName() + ".part");

    if (! result.writeTo (partFile) || ! Platform::replaceFile (partFile, resultFile))
    {
        partFile.deleteFile();
        return resultNotWritten;
    }

    return scanned;
}
