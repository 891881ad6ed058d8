#include "rack/PluginManagerResult.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "rack/PluginManagerWindow.h"
#include "rack/PluginScanIds.h"
#include "rack/PluginScanner.h"
#include "rack/SafePluginScanner.h"

void PluginManagerResult::apply (TavrelDelayAudioProcessor& processor, const juce::StringArray& filesToScan,
                                 const juce::StringArray& filesToForget)
{
    auto& list = processor.knownPluginList;
    const auto types = list.getTypes();

    for (int i = types.size(); --i >= 0;)
        if (filesToForget.contains (types.getReference (i).fileOrIdentifier))
            list.removeType (types.getReference (i));

    juce::StringArray known;
    for (const auto& type : list.getTypes())
        known.add (type.fileOrIdentifier);

    juce::StringArray newFiles;
    for (const auto& file : filesToScan)
        if (! known.contains (file))
            newFiles.add (file);

    if (! newFiles.isEmpty())
    {
        new SafePluginScanner (processor, newFiles);
        return;
    }

    if (auto xml = list.createXml())
        xml->writeTo (Platform::getUserDataFolder().getChildFile (PluginScanIds::knownPluginsFileName));
}

void PluginManagerResult::openManager (TavrelDelayAudioProcessor& processor)
{
    const PluginScanner scanner (processor.pluginFormatManager, processor.knownPluginList);
    const auto files = scanner.discoverPluginFiles();

    new PluginManagerWindow (files, &processor.knownPluginList,
                             [weak = juce::WeakReference<TavrelDelayAudioProcessor> (&processor)] (
                                 const juce::StringArray& toScan, const juce::StringArray& toForget)
                             {
                                 if (auto* p = weak.get())
                                     apply (*p, toScan, toForget);
                             });
}
