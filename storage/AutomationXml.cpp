#include "storage/AutomationXml.h"

#include "storage/StateXmlIds.h"
#include "storage/StateXmlValues.h"

#include <cmath>
#include <cstring>

namespace AutomationXml
{
namespace
{
    juce::String encodeLane (const float* points, int numPoints)
    {
        juce::MemoryBlock block ((size_t)numPoints * sizeof (float));
        auto* bytes = static_cast<juce::uint32*> (block.getData());

        for (int i = 0; i < numPoints; ++i)
        {
            juce::uint32 bits;
            std::memcpy (&bits, points + i, sizeof (bits));
            bytes[i] = juce::ByteOrder::swapIfBigEndian (bits);
        }

        return block.toBase64Encoding();
    }
} // namespace

std::unique_ptr<juce::XmlElement> create (const juce::AudioBuffer<float>& lanes, const Modes& modes, int numTracks)
{
    auto automation = std::make_unique<juce::XmlElement> (StateXmlIds::AUTOMATION);
    const auto length = lanes.getNumSamples();

    for (int channel = 0; channel < numChannels; ++channel)
    {
        if (channel >= numTracks && channel < firstAuxChannel)
            continue;

        auto* track = automation->createNewChildElement (StateXmlIds::TRACK);
        track->setAttribute (StateXmlIds::id, channel);
        track->setAttribute (StateXmlIds::mode, modes[(size_t)channel].load());

        if (length > 0 && channel < lanes.getNumChannels())
            track->setAttribute (StateXmlIds::data, encodeLane (lanes.getReadPointer (channel), length));
    }

    return automation;
}

DecodedChannel decodeChannel (const juce::XmlElement& track)
{
    DecodedChannel decoded;
    const auto channel = StateXmlValues::readCodeOrFallback (track, StateXmlIds::id, -1, 0, numChannels - 1);

    // A missing id is channel 0; an id outside the channels is not applied at all.
    if (! track.hasAttribute (StateXmlIds::id))
        decoded.channel = 0;
    else
        decoded.channel = channel;

    if (decoded.channel < 0)
        return decoded;

    decoded.mode = StateXmlValues::readCodeOrFallback (track, StateXmlIds::mode, 0, 0, numModes - 1);

    const auto text = track.getStringAttribute (StateXmlIds::data);

    if (text.isNotEmpty())
        decoded.hasData = StateXmlValues::decodeMemoryBlock (text, decoded.data);

    return decoded;
}

std::vector<DecodedChannel> decodeAll (const juce::XmlElement& automation)
{
    std::vector<DecodedChannel> channels;

    for (auto* track : automation.getChildIterator())
        channels.push_back (decodeChannel (*track));

    return channels;
}

void applyChannel (const DecodedChannel& decoded, juce::AudioBuffer<float>& lanes, Modes& modes)
{
    if (decoded.channel < 0 || decoded.channel >= numChannels)
        return;

    modes[(size_t)decoded.channel] = decoded.mode;

    if (! decoded.hasData || decoded.channel >= lanes.getNumChannels() || lanes.getNumSamples() <= 0)
        return;

    const auto numPoints = (int)juce::jmin ((size_t)lanes.getNumSamples(), decoded.data.getSize() / sizeof (float));
    const auto* bytes = static_cast<const juce::uint8*> (decoded.data.getData());

    // Taking the write pointer also tells the store it is no longer silent.
    auto* lane = lanes.getWritePointer (decoded.channel);

    for (int i = 0; i < numPoints; ++i)
    {
        const auto bits = juce::ByteOrder::littleEndianInt (bytes + (size_t)i * sizeof (float));
        float point;
        std::memcpy (&point, &bits, sizeof (float));

        // Points are normalised fader values; anything else is damage that must not reach a fader.
        lane[i] = std::isfinite (point) ? juce::jlimit (0.0f, 1.0f, point) : 0.0f;
    }
}
} // namespace AutomationXml
