#include "rack/PluginSlotLoader.h"

std::vector<PluginSlotLoader::Layout> PluginSlotLoader::getCandidateLayouts (SlotKind kind)
{
    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();

    switch (kind)
    {
        case SlotKind::inputInsert:
            // A track's input is mono: a plug-in that takes mono and gives stereo fits too.
            return {{stereo, stereo}, {mono, stereo}, {mono, mono}};
        case SlotKind::trackInsert:
            return {{stereo, stereo}, {mono, mono}};
        case SlotKind::masterInsert:
        case SlotKind::auxReturn:
            return {{stereo, stereo}};
        case SlotKind::instrument:
            break;
    }

    return {};
}

bool PluginSlotLoader::negotiateBusLayout (juce::AudioProcessor& processor, SlotKind kind)
{
    if (processor.getBusCount (true) != 1 || processor.getBusCount (false) != 1)
        return false;

    for (const auto& candidate : getCandidateLayouts (kind))
    {
        auto layout = processor.getBusesLayout();
        layout.inputBuses.getReference (0) = candidate.input;
        layout.outputBuses.getReference (0) = candidate.output;

        // A plug-in may claim a layout and still refuse to take it: then the next one is tried.
        if (processor.checkBusesLayoutSupported (layout) && processor.setBusesLayout (layout))
            return true;
    }

    return false;
}

void PluginSlotLoader::prepareForSlot (juce::AudioPluginInstance& instance, SlotKind kind,
                                       juce::AudioPlayHead* playHead, const juce::MemoryBlock& state, double sampleRate,
                                       int blockSize)
{
    instance.setPlayHead (playHead);

    // The layout is asked for while the instance is not running.
    instance.releaseResources();
    negotiateBusLayout (instance, kind);

    if (! state.isEmpty())
        instance.setStateInformation (state.getData(), (int)state.getSize());

    instance.prepareToPlay (sampleRate, blockSize);
}
