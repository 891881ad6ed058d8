#include "storage/InsertXml.h"

#include "effects/BuiltInEffects.h"
#include "storage/StateXmlIds.h"
#include "storage/StateXmlValues.h"

namespace InsertXml
{
namespace
{
    using namespace StateXmlIds;
    using StateXmlValues::flagField;
    using StateXmlValues::intField;
    using StateXmlValues::realField;

    // The settings after type, targetTrack and bypass, in their stored order, each with the
    // value of a new entry and the range of its control. Choice settings index the editors'
    // item lists, so they are held to their items.
    const StateXmlValues::Field<InsertPlugin> settingFields[] = {
        intField (revType, &InsertPlugin::revType, 1, 0, 3),
        realField (revDecay, &InsertPlugin::revDecay, 0.5f, 0.0f, 1.0f),
        realField (revDamp, &InsertPlugin::revDamp, 0.5f, 0.0f, 1.0f),
        realField (revMix, &InsertPlugin::revMix, 0.5f, 0.0f, 1.0f),
        realField (revPan, &InsertPlugin::revPan, 0.0f, -1.0f, 1.0f),
        realField (echoTime, &InsertPlugin::echoTime, 300.0f, 0.0f, 3000.0f),
        realField (echoFb, &InsertPlugin::echoFb, 0.4f, 0.0f, 1.2f),
        intField (echoAge, &InsertPlugin::echoAge, 1, 0, 2),
        realField (echoMix, &InsertPlugin::echoMix, 0.5f, 0.0f, 1.0f),
        realField (echoPan, &InsertPlugin::echoPan, 0.0f, -1.0f, 1.0f),
        flagField (echoSync, &InsertPlugin::echoSync, false),
        realField (echoDrive, &InsertPlugin::echoDrive, -6.0f, -100.0f, 24.0f),
        realField (laGain, &InsertPlugin::laGain, 50.0f, 0.0f, 100.0f),
        realField (laReduction, &InsertPlugin::laReduction, 0.0f, 0.0f, 100.0f),
        intField (laMode, &InsertPlugin::laMode, 0, 0, 1),
        realField (fetInput, &InsertPlugin::fetInput, 0.0f, -100.0f, 24.0f),
        realField (fetOutput, &InsertPlugin::fetOutput, 0.0f, -100.0f, 24.0f),
        realField (fetAttack, &InsertPlugin::fetAttack, 0.8f, 0.02f, 0.8f),
        realField (fetRelease, &InsertPlugin::fetRelease, 500.0f, 10.0f, 1100.0f),
        intField (fetRatio, &InsertPlugin::fetRatio, 0, 0, 4),
        realField (gainLevel, &InsertPlugin::gainLevel, 0.0f, -100.0f, 24.0f),
        intField (mfxType, &InsertPlugin::mfxType, 0, 0, 6),
        realField (mfxP1, &InsertPlugin::mfxP1, 0.5f, 0.0f, 1.0f),
        realField (mfxP2, &InsertPlugin::mfxP2, 0.5f, 0.0f, 1.0f),
        flagField (mfxSync, &InsertPlugin::mfxSync, false),
    };

    constexpr int numBands = 5;
    constexpr float newBandFrequency[numBands] = {60.0f, 250.0f, 1000.0f, 4000.0f, 12000.0f};
    constexpr float newBandQ[numBands] = {0.7f, 1.0f, 1.0f, 1.0f, 0.7f};

    juce::String bandAttribute (const char* prefix, int band)
    {
        return juce::String (prefix) + juce::String (band);
    }
} // namespace

bool isBuiltInTag (const juce::String& tag)
{
    return tag.startsWith (builtInPrefix);
}

std::unique_ptr<juce::XmlElement> createBuiltIn (const InsertPlugin& entry, const juce::String& entryName)
{
    auto element = std::make_unique<juce::XmlElement> (juce::String (builtInPrefix) + entryName);
    element->setAttribute (type, entry.builtInType);
    element->setAttribute (targetTrack, entry.targetTrack);
    element->setAttribute (bypass, entry.bypass ? 1 : 0);
    StateXmlValues::writeFields (*element, entry, settingFields);

    for (int band = 0; band < numBands; ++band)
    {
        StateXmlValues::writeReal (*element, bandAttribute (eqFreqPrefix, band), entry.eqFreq[band]);
        StateXmlValues::writeReal (*element, bandAttribute (eqGainPrefix, band), entry.eqGain[band]);
        StateXmlValues::writeReal (*element, bandAttribute (eqQPrefix, band), entry.eqQ[band]);
    }

    return element;
}

std::shared_ptr<InsertPlugin> restoreBuiltIn (const juce::XmlElement& element, double sampleRate)
{
    auto entry = makeInsertPlugin();

    // An unknown type would make no engine and could index the rack's type lists: refuse it.
    entry->builtInType = StateXmlValues::readCodeOrFallback (element, type, NoBuiltInEffect, BuiltInEffects::firstType,
                                                             BuiltInEffects::lastType);
    entry->name = BuiltInEffects::tapeEchoName;
    entry->targetTrack =
        StateXmlValues::readCodeOrFallback (element, targetTrack, -1, -1, TavrelDelayAudioProcessor::maxTracks - 1);
    entry->bypass = element.getBoolAttribute (bypass, false);

    if (BuiltInEffects::isBuiltInEffectType (entry->builtInType))
    {
        entry->createEngine (sampleRate);
        entry->name = BuiltInEffects::getDeviceName (entry->builtInType);
    }

    StateXmlValues::readFields (element, *entry, settingFields);

    for (int band = 0; band < numBands; ++band)
    {
        entry->eqFreq[band] = StateXmlValues::readReal (element, bandAttribute (eqFreqPrefix, band),
                                                        newBandFrequency[band], 20.0f, 20000.0f);
        entry->eqGain[band] =
            StateXmlValues::readReal (element, bandAttribute (eqGainPrefix, band), 0.0f, -18.0f, 18.0f);
        entry->eqQ[band] =
            StateXmlValues::readReal (element, bandAttribute (eqQPrefix, band), newBandQ[band], 0.1f, 10.0f);
    }

    return entry;
}
} // namespace InsertXml
