#include "effects/BuiltInEffects.h"
#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
#include "effects/MultiModulatorEngine.h"
#include "effects/OptoCompEngine.h"
#include "engine/ParameterIds.h"
#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "storage/RackStateXml.h"
#include "storage/StateXmlIds.h"
#include "tests/state/StateTestSupport.h"
#include "tests/support/AudioTestUtils.h"

#include <cstring>

using namespace StateTestSupport;
namespace Ids = StateXmlIds;
using Processor = TavrelDelayAudioProcessor;

namespace
{
class StateBlobTest : public ProcessorStateTest
{
protected:
    Processor processor;

    static void setParameter (Processor& p, const juce::String& id, float value)
    {
        auto* parameter = p.parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    static float raw (Processor& p, const juce::String& id) { return p.parameters.getRawParameterValue (id)->load(); }

    /** The automation store as the device preparation sizes it, silent. */
    static void sizeLanes (Processor& p, int length = Processor::automationPoints)
    {
        p.automationData.setSize (Processor::numChannels, length);
        p.automationData.clear();
    }

    static juce::MemoryBlock blobOf (Processor& p)
    {
        juce::MemoryBlock blob;
        p.getStateInformation (blob);
        return blob;
    }

    static std::unique_ptr<juce::XmlElement> documentOf (const juce::MemoryBlock& blob)
    {
        return Processor::getXmlFromBinary (blob.getData(), (int)blob.getSize());
    }

    static juce::MemoryBlock blobFromText (const juce::String& text)
    {
        const auto xml = parse (text);
        juce::MemoryBlock blob;
        Processor::copyXmlToBinary (*xml, blob);
        return blob;
    }

    static void load (Processor& p, const juce::MemoryBlock& blob)
    {
        p.setStateInformation (blob.getData(), (int)blob.getSize());
    }
};
} // namespace

TEST_F (StateBlobTest, TheBlobIsMagicSizeDocumentAndAZeroByte)
{
    const auto blob = blobOf (processor);
    const auto* bytes = static_cast<const juce::uint8*> (blob.getData());

    ASSERT_GT (blob.getSize(), 9u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes), 0x21324356u);
    EXPECT_EQ (std::memcmp (bytes, "VC2!", 4), 0);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4), (juce::uint32)blob.getSize() - 9);
    EXPECT_EQ (bytes[blob.getSize() - 1], 0);

    const juce::String text (juce::CharPointer_UTF8 ((const char*)bytes + 8), blob.getSize() - 9);
    EXPECT_FALSE (text.containsChar ('\n')) << "one line";

    const auto document = parse (text);
    ASSERT_NE (document, nullptr);
    EXPECT_EQ (document->getTagName(), ParameterIds::PARAMETERS);

    const auto tags = childTags (*document);
    ASSERT_GE (tags.size(), 2);
    EXPECT_EQ (tags[tags.size() - 2], Ids::RACK_STATE);
    EXPECT_EQ (tags[tags.size() - 1], Ids::AUTOMATION);
    EXPECT_EQ (tags[0], "PARAM") << "the parameters come first";
}

TEST_F (StateBlobTest, TheBlobHoldsOneFreshRackEvenWhenTheTreeCarriesAnOldOne)
{
    // A reel load leaves the reel's rack in the tree.
    juce::ValueTree stale (Ids::RACK_STATE);
    stale.setProperty (Ids::aux1BuiltIn, 7, nullptr);
    processor.parameters.state.appendChild (stale, nullptr);
    processor.parameters.state.appendChild (juce::ValueTree (Ids::AUTOMATION), nullptr);

    const auto document = documentOf (blobOf (processor));
    int racks = 0, automations = 0;

    for (auto* child : document->getChildIterator())
    {
        racks += child->hasTagName (Ids::RACK_STATE) ? 1 : 0;
        automations += child->hasTagName (Ids::AUTOMATION) ? 1 : 0;
    }

    EXPECT_EQ (racks, 1);
    EXPECT_EQ (automations, 1);
    EXPECT_EQ (document->getChildByName (Ids::RACK_STATE)->getIntAttribute (Ids::aux1BuiltIn), 1);
}

TEST_F (StateBlobTest, AUnityFaderIsStoredAtItsNormalisedValue)
{
    sizeLanes (processor);
    setParameter (processor, "VOL_1", 1.0f);
    const auto normalised = processor.parameters.getParameter ("VOL_1")->getValue();
    juce::FloatVectorOperations::fill (processor.automationData.getWritePointer (0), normalised,
                                       processor.automationData.getNumSamples());

    const auto document = documentOf (blobOf (processor));
    const auto* lane = document->getChildByName (Ids::AUTOMATION)->getChildElement (0);
    ASSERT_EQ (lane->getIntAttribute (Ids::id), 0);

    juce::MemoryBlock bytes;
    ASSERT_TRUE (bytes.fromBase64Encoding (lane->getStringAttribute (Ids::data)));
    const auto bits = juce::ByteOrder::littleEndianInt (bytes.getData());
    float point;
    std::memcpy (&point, &bits, 4);
    EXPECT_NEAR (point, 0.75785828f, 1.0e-7f);
}

TEST_F (StateBlobTest, ASecondProcessorRestoresEverythingTheBlobHolds)
{
    setParameter (processor, "VOL_3", 1.5f);
    setParameter (processor, ParameterIds::AUX1_RETURN, 0.3f);
    processor.parameters.state.setProperty (ParameterIds::PROJECT_BPM, 97.5, nullptr);
    processor.parameters.state.setProperty (ParameterIds::PROJECT_TS_NUM, 7, nullptr);
    processor.parameters.state.setProperty (ParameterIds::PROJECT_TS_DENOM, 8, nullptr);
    processor.parameters.state.setProperty ("TrackName_2", "Bass", nullptr);

    auto slot = makeInstrumentPlugin();
    slot->builtInType = BuiltInInstruments::PolySynth;
    slot->createEngine (44100.0);
    slot->polyEngine->synthCutoff = 2345.0f;
    slot->midiChannel = 9;
    processor.instruments.push_back (slot);

    auto echo = makeInsertPlugin();
    echo->builtInType = TapeEcho;
    echo->echoTime = 432.1f;
    echo->targetTrack = 2;
    processor.trackInserts.push_back (echo);
    processor.trackInputSources[2] = 101;
    processor.channelGroups[2] = 6;
    processor.aux2BuiltIn = 0;

    sizeLanes (processor, 1000);
    processor.automationData.setSample (2, 10, 0.42f);
    processor.automationData.setSample (25, 999, 0.9f);
    processor.automationModes[2] = Processor::automationWrite;
    processor.automationModes[25] = Processor::automationTouch;

    Processor second;
    sizeLanes (second, 1000);
    load (second, blobOf (processor));

    EXPECT_FLOAT_EQ (raw (second, "VOL_3"), 1.5f);
    EXPECT_NEAR (raw (second, ParameterIds::AUX1_RETURN), 0.3f, 1.0e-6f);
    EXPECT_EQ (second.bpm, 97.5);
    EXPECT_EQ (second.timeSigNumerator, 7);
    EXPECT_EQ (second.timeSigDenominator, 8);
    EXPECT_EQ (second.parameters.state.getProperty ("TrackName_2").toString(), "Bass");

    ASSERT_EQ (second.instruments.size(), 1u);
    EXPECT_EQ (second.instruments[0]->polyEngine->synthCutoff, 2345.0f);
    EXPECT_EQ (second.instruments[0]->midiChannel, 9);
    ASSERT_EQ (second.trackInserts.size(), 1u);
    EXPECT_EQ (second.trackInserts[0]->echoTime, 432.1f);
    EXPECT_NE (second.trackInserts[0]->echoEngine, nullptr);
    EXPECT_EQ (second.trackInputSources[2], 101);
    EXPECT_EQ (second.channelGroups[2], 6);
    EXPECT_EQ (second.aux2BuiltIn, 0);

    EXPECT_EQ (second.automationData.getSample (2, 10), 0.42f);
    EXPECT_EQ (second.automationData.getSample (25, 999), 0.9f);
    EXPECT_EQ (second.automationModes[2], Processor::automationWrite);
    EXPECT_EQ (second.automationModes[25], Processor::automationTouch);

    // The rack and lanes do not linger in the parameter tree as stale copies.
    EXPECT_FALSE (second.parameters.state.getChildWithName (Ids::RACK_STATE).isValid());
    EXPECT_FALSE (second.parameters.state.getChildWithName (Ids::AUTOMATION).isValid());
}

TEST_F (StateBlobTest, ChannelsTheBlobDoesNotMentionKeepTheirLanes)
{
    sizeLanes (processor, 10);
    processor.automationData.setSample (5, 3, 0.6f);
    processor.automationModes[5] = Processor::automationRead;

    load (processor, blobFromText ("<PARAMETERS><AUTOMATION><TRACK id=\"1\" mode=\"2\"/></AUTOMATION></PARAMETERS>"));

    EXPECT_EQ (processor.automationData.getSample (5, 3), 0.6f);
    EXPECT_EQ (processor.automationModes[5], Processor::automationRead);
    EXPECT_EQ (processor.automationModes[1], Processor::automationTouch);
}

TEST_F (StateBlobTest, UnusableBlobsChangeNothing)
{
    setParameter (processor, "VOL_1", 1.7f);
    processor.trackInputSources[0] = 5;
    const auto valid = blobFromText ("<PARAMETERS><RACK_STATE/></PARAMETERS>");

    auto wrongMagic = valid;
    static_cast<char*> (wrongMagic.getData())[0] ^= 1;
    auto hugeLength = valid;
    static_cast<juce::uint32*> (hugeLength.getData())[1] = 0xfffffff0u;
    const char garbage[] = "VC2!\x05\x00\x00\x00<<<<\x00";

    const std::pair<const void*, int> blobs[] = {
        {nullptr, 0},
        {valid.getData(), 8},
        {wrongMagic.getData(), (int)wrongMagic.getSize()},
        {hugeLength.getData(), (int)hugeLength.getSize()},
        {garbage, (int)sizeof (garbage)},
    };

    for (const auto& [data, size] : blobs)
    {
        processor.setStateInformation (data, size);
        EXPECT_FLOAT_EQ (raw (processor, "VOL_1"), 1.7f);
        EXPECT_EQ (processor.trackInputSources[0], 5);
    }
}

TEST_F (StateBlobTest, AnotherRootRestoresTheRackAndLanesButNotTheParameters)
{
    setParameter (processor, "VOL_1", 1.7f);
    sizeLanes (processor, 4);

    load (processor, blobFromText ("<SOMETHING_ELSE PROJECT_BPM=\"90\"><PARAM id=\"VOL_1\" value=\"0.1\"/>"
                                   "<rack_state aux1BuiltIn=\"2\"><ROUTING track_0=\"7\"/></rack_state>"
                                   "<AUTOMATION><TRACK id=\"0\" mode=\"1\"/></AUTOMATION></SOMETHING_ELSE>"));

    EXPECT_FLOAT_EQ (raw (processor, "VOL_1"), 1.7f);
    EXPECT_EQ (processor.bpm, 120.0);
    EXPECT_EQ (processor.aux1BuiltIn, 2);
    EXPECT_EQ (processor.trackInputSources[0], 7);
    EXPECT_EQ (processor.automationModes[0], Processor::automationRead);
}

TEST_F (StateBlobTest, ATreeInAnotherCaseStillRestoresTheParameters)
{
    load (processor, blobFromText ("<parameters PROJECT_BPM=\"140\"><PARAM id=\"VOL_1\" value=\"0.5\"/></parameters>"));

    EXPECT_FLOAT_EQ (raw (processor, "VOL_1"), 0.5f);
    EXPECT_EQ (processor.bpm, 140.0);
    EXPECT_EQ (processor.parameters.state.getType().toString(), ParameterIds::PARAMETERS);
}

TEST_F (StateBlobTest, TempoAndSignatureFallBackWhenMissingOrDamaged)
{
    struct Case
    {
        const char* attributes;
        double bpm;
        int numerator, denominator;
    };

    const Case cases[] = {
        {"", 120.0, 4, 4},
        {"PROJECT_BPM=\"133.25\" PROJECT_TS_NUM=\"3\" PROJECT_TS_DENOM=\"16\"", 133.25, 3, 16},
        {"PROJECT_BPM=\"nan\" PROJECT_TS_NUM=\"0\" PROJECT_TS_DENOM=\"-4\"", 120.0, 4, 4},
        {"PROJECT_BPM=\"-80\" PROJECT_TS_NUM=\"1000\" PROJECT_TS_DENOM=\"abc\"", 120.0, 4, 4},
        {"PROJECT_BPM=\"1e300\"", 300.0, 4, 4},
        {"PROJECT_BPM=\"5\"", 20.0, 4, 4},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.attributes);
        load (processor, blobFromText (juce::String ("<PARAMETERS ") + c.attributes + "/>"));
        EXPECT_EQ (processor.bpm, c.bpm);
        EXPECT_EQ (processor.timeSigNumerator, c.numerator);
        EXPECT_EQ (processor.timeSigDenominator, c.denominator);
    }
}

//==============================================================================
namespace
{
/** A rack with every kind of built-in slot, as a file would hold it. */
std::unique_ptr<juce::XmlElement> makeFullRack()
{
    Processor source;

    for (int type = BuiltInInstruments::firstType; type <= BuiltInInstruments::lastType; ++type)
    {
        auto slot = makeInstrumentPlugin();
        slot->builtInType = type;
        slot->createEngine (44100.0);
        source.instruments.push_back (slot);
    }

    for (int type = BuiltInEffects::firstType; type <= BuiltInEffects::lastType; ++type)
    {
        auto entry = makeInsertPlugin();
        entry->builtInType = type;
        source.masterInserts.push_back (entry);
    }

    auto rack = source.createRackStateXml();
    rack->setAttribute (Ids::builtInInstrument, 2);
    return rack;
}

void damageEveryAttribute (juce::XmlElement& xml, const juce::String& value, bool keepTypes)
{
    for (int i = 0; i < xml.getNumAttributes(); ++i)
        if (! (keepTypes && xml.getAttributeName (i) == Ids::type))
            xml.setAttribute (xml.getAttributeName (i), value);

    for (auto* child : xml.getChildIterator())
        damageEveryAttribute (*child, value, keepTypes);
}
} // namespace

TEST_F (StateBlobTest, AHostileFileLoadsAsFarAsItCanAndEverythingStaysInRange)
{
    const juce::String hostileValues[] = {
        "-2147483649", "2147483648", "99999999999999999999", "nan", "inf", "-inf", "1e308", "-1e308", "abc", "", "-1",
        "7",           "65536"};

    processor.setRateAndBufferSizeDetails (48000.0, 512);
    sizeLanes (processor, 64);

    // Once with the slot types intact, so that every engine meets the damaged settings, once
    // with the types damaged too.
    for (const auto& value : hostileValues)
        for (bool keepTypes : {true, false})
        {
            SCOPED_TRACE (value + (keepTypes ? " (types kept)" : ""));
            auto rack = makeFullRack();
            damageEveryAttribute (*rack, value, keepTypes);

            juce::XmlElement document (ParameterIds::PARAMETERS);
            document.setAttribute (ParameterIds::PROJECT_BPM, value);
            document.addChildElement (rack.release());
            auto* automation = document.createNewChildElement (Ids::AUTOMATION);
            auto* track = automation->createNewChildElement (Ids::TRACK);
            track->setAttribute (Ids::id, value);
            track->setAttribute (Ids::mode, value);
            track->setAttribute (Ids::data, value + "." + value);

            juce::MemoryBlock blob;
            Processor::copyXmlToBinary (document, blob);
            load (processor, blob);

            EXPECT_TRUE (std::isfinite (processor.bpm) && processor.bpm >= 20.0 && processor.bpm <= 300.0);
            EXPECT_LE (processor.instruments.size(), (size_t)RackStateXml::maxInstrumentSlots);

            if (keepTypes)
            {
                // The older "builtInInstrument" may add one more when its damaged text still reads 1..5.
                EXPECT_GE (processor.instruments.size(), (size_t)BuiltInInstruments::lastType);
                EXPECT_EQ (processor.masterInserts.size(), (size_t)BuiltInEffects::lastType);
            }
            EXPECT_GE (processor.aux1BuiltIn, 0);
            EXPECT_LE (processor.aux1BuiltIn, BuiltInEffects::lastType);

            for (int i = 0; i < 24; ++i)
            {
                EXPECT_TRUE (RackStateXml::isInputSourceCode (processor.trackInputSources[(size_t)i]));
                EXPECT_GE (processor.channelGroups[(size_t)i], 0);
                EXPECT_LE (processor.channelGroups[(size_t)i], 8);
            }

            for (const auto& mode : processor.automationModes)
                EXPECT_TRUE (mode >= 0 && mode <= 4);

            // Every restored instrument renders finite audio.
            for (const auto& slot : processor.instruments)
            {
                EXPECT_GE (slot->midiChannel, 0);
                EXPECT_LE (slot->midiChannel, 16);
                EXPECT_TRUE (slot->builtInType >= 0 && slot->builtInType <= BuiltInInstruments::lastType);

                juce::AudioBuffer<float> audio (2, 512);
                audio.clear();
                juce::MidiBuffer midi;
                midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.9f), 0);

                if (slot->monoEngine)
                    slot->monoEngine->renderNextBlock (audio, midi);
                if (slot->polyEngine)
                    slot->polyEngine->renderNextBlock (audio, midi);
                if (slot->tannerinEngine)
                    slot->tannerinEngine->renderNextBlock (audio, midi);
                if (slot->keyboardEngine)
                    slot->keyboardEngine->renderNextBlock (audio, midi);
                if (slot->rhythmEngine)
                    slot->rhythmEngine->renderNextBlock (audio, midi, processor.bpm, true);

                EXPECT_TRUE (AudioTestUtils::allFinite (audio)) << slot->builtInType;
            }

            // Every restored effect, driven as the block callback drives it, stays finite.
            for (const auto& entry : processor.masterInserts)
            {
                EXPECT_TRUE (entry->builtInType >= 0 && entry->builtInType <= BuiltInEffects::lastType);
                EXPECT_TRUE (entry->revType >= 0 && entry->revType <= 3);
                EXPECT_TRUE (entry->echoAge >= 0 && entry->echoAge <= 2);
                EXPECT_TRUE (entry->laMode >= 0 && entry->laMode <= 1);
                EXPECT_TRUE (entry->fetRatio >= 0 && entry->fetRatio <= 4);
                EXPECT_TRUE (entry->mfxType >= 0 && entry->mfxType <= 6);
                EXPECT_TRUE (entry->targetTrack >= -1 && entry->targetTrack < 24);

                using Insert = Processor::InsertPlugin;

                for (auto member :
                     {&Insert::revDecay, &Insert::revDamp, &Insert::revMix, &Insert::revPan, &Insert::echoTime,
                      &Insert::echoFb, &Insert::echoMix, &Insert::echoPan, &Insert::echoDrive, &Insert::laGain,
                      &Insert::laReduction, &Insert::fetInput, &Insert::fetOutput, &Insert::fetAttack,
                      &Insert::fetRelease, &Insert::gainLevel, &Insert::mfxP1, &Insert::mfxP2})
                    EXPECT_TRUE (std::isfinite ((*entry).*member));

                for (int b = 0; b < 5; ++b)
                    EXPECT_TRUE (std::isfinite (entry->eqFreq[b]) && std::isfinite (entry->eqGain[b]) &&
                                 std::isfinite (entry->eqQ[b]));

                auto audio = AudioTestUtils::makeSine (2, 512, 440.0, 48000.0, 0.5f);

                if (entry->reverbEngine)
                {
                    entry->reverbEngine->setParameters (entry->revType + 1, entry->revDecay, entry->revDamp,
                                                        entry->revMix, entry->revPan);
                    entry->reverbEngine->process (audio);
                }
                if (entry->echoEngine)
                {
                    const auto drive = entry->echoDrive > -100.0f ? std::pow (10.0f, entry->echoDrive * 0.05f) : 0.0f;
                    entry->echoEngine->setParameters (entry->echoTime, entry->echoFb, entry->echoAge + 1,
                                                      entry->echoMix, entry->echoPan, entry->echoSync, processor.bpm,
                                                      drive);
                    entry->echoEngine->process (audio);
                }
                if (entry->optoEngine)
                {
                    entry->optoEngine->setParameters (entry->laGain, entry->laReduction, entry->laMode);
                    entry->optoEngine->process (audio);
                }
                if (entry->fetEngine)
                {
                    entry->fetEngine->setParameters (entry->fetInput, entry->fetOutput, entry->fetAttack,
                                                     entry->fetRelease, entry->fetRatio);
                    entry->fetEngine->process (audio);
                }
                if (entry->lineAmpGain)
                    audio.applyGain (entry->gainLevel > -100.0f ? std::pow (10.0f, entry->gainLevel / 20.0f) : 0.0f);
                if (entry->eqEngine)
                {
                    for (int b = 0; b < 5; ++b)
                    {
                        entry->eqEngine->freq[(size_t)b] = entry->eqFreq[b];
                        entry->eqEngine->q[(size_t)b] = entry->eqQ[b];
                        entry->eqEngine->gainDb[(size_t)b] = entry->eqGain[b];
                    }
                    entry->eqEngine->process (audio);
                }
                if (entry->multiEngine)
                {
                    entry->multiEngine->setParameters (entry->mfxType, entry->mfxP1, entry->mfxP2, entry->mfxSync,
                                                       processor.bpm);
                    entry->multiEngine->process (audio);
                }

                EXPECT_TRUE (AudioTestUtils::allFinite (audio)) << entry->builtInType;
            }
        }
}
