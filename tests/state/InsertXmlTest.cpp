#include "storage/InsertXml.h"
#include "effects/BuiltInEffects.h"
#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
#include "effects/MultiModulatorEngine.h"
#include "effects/OptoCompEngine.h"
#include "storage/StateXmlIds.h"
#include "tests/state/StateTestSupport.h"

using namespace StateTestSupport;
namespace Ids = StateXmlIds;
using InsertPlugin = TavrelDelayAudioProcessor::InsertPlugin;

namespace
{
/** Every setting away from its default and inside its control's range. */
void setNonDefaultSettings (InsertPlugin& entry)
{
    entry.targetTrack = 5;
    entry.bypass = true;
    entry.revType = 3;
    entry.revDecay = 0.123456789f;
    entry.revDamp = 0.9f;
    entry.revMix = 0.1f;
    entry.revPan = -0.3f;
    entry.echoTime = 777.7f;
    entry.echoFb = 1.1f;
    entry.echoAge = 2;
    entry.echoMix = 0.33f;
    entry.echoPan = 0.7f;
    entry.echoSync = true;
    entry.echoDrive = 12.5f;
    entry.laGain = 77.0f;
    entry.laReduction = 42.5f;
    entry.laMode = 1;
    entry.fetInput = -3.3f;
    entry.fetOutput = 4.4f;
    entry.fetAttack = 0.05f;
    entry.fetRelease = 900.0f;
    entry.fetRatio = 4;
    entry.gainLevel = -7.25f;
    entry.mfxType = 5;
    entry.mfxP1 = 0.01f;
    entry.mfxP2 = 0.99f;
    entry.mfxSync = true;

    for (int b = 0; b < 5; ++b)
    {
        entry.eqFreq[b] = 31.7f * (float)(b + 1) * (float)(b + 1);
        entry.eqGain[b] = -9.1f + 3.3f * (float)b;
        entry.eqQ[b] = 0.3f + 1.7f * (float)b;
    }
}

void expectSameSettings (const InsertPlugin& a, const InsertPlugin& b)
{
    EXPECT_EQ (a.builtInType, b.builtInType);
    EXPECT_EQ (a.targetTrack, b.targetTrack);
    EXPECT_EQ (a.bypass, b.bypass);
    EXPECT_EQ (a.revType, b.revType);
    EXPECT_EQ (a.echoAge, b.echoAge);
    EXPECT_EQ (a.echoSync, b.echoSync);
    EXPECT_EQ (a.laMode, b.laMode);
    EXPECT_EQ (a.fetRatio, b.fetRatio);
    EXPECT_EQ (a.mfxType, b.mfxType);
    EXPECT_EQ (a.mfxSync, b.mfxSync);

    const std::pair<const char*, float InsertPlugin::*> reals[] = {
        {"revDecay", &InsertPlugin::revDecay},
        {"revDamp", &InsertPlugin::revDamp},
        {"revMix", &InsertPlugin::revMix},
        {"revPan", &InsertPlugin::revPan},
        {"echoTime", &InsertPlugin::echoTime},
        {"echoFb", &InsertPlugin::echoFb},
        {"echoMix", &InsertPlugin::echoMix},
        {"echoPan", &InsertPlugin::echoPan},
        {"echoDrive", &InsertPlugin::echoDrive},
        {"laGain", &InsertPlugin::laGain},
        {"laReduction", &InsertPlugin::laReduction},
        {"fetInput", &InsertPlugin::fetInput},
        {"fetOutput", &InsertPlugin::fetOutput},
        {"fetAttack", &InsertPlugin::fetAttack},
        {"fetRelease", &InsertPlugin::fetRelease},
        {"gainLevel", &InsertPlugin::gainLevel},
        {"mfxP1", &InsertPlugin::mfxP1},
        {"mfxP2", &InsertPlugin::mfxP2},
    };

    for (const auto& [name, member] : reals)
        EXPECT_TRUE (sameBits (a.*member, b.*member)) << name << ": " << a.*member << " vs " << b.*member;

    for (int band = 0; band < 5; ++band)
    {
        EXPECT_TRUE (sameBits (a.eqFreq[band], b.eqFreq[band])) << "eqFreq" << band;
        EXPECT_TRUE (sameBits (a.eqGain[band], b.eqGain[band])) << "eqGain" << band;
        EXPECT_TRUE (sameBits (a.eqQ[band], b.eqQ[band])) << "eqQ" << band;
    }
}

/** The engine an entry of each type must hold, and no other. */
void expectEngineOfType (const InsertPlugin& entry, int type)
{
    EXPECT_EQ (entry.reverbEngine != nullptr, type == AnalogReverb);
    EXPECT_EQ (entry.echoEngine != nullptr, type == TapeEcho);
    EXPECT_EQ (entry.optoEngine != nullptr, type == OptoComp);
    EXPECT_EQ (entry.lineAmpGain != nullptr, type == LineAmp);
    EXPECT_EQ (entry.eqEngine != nullptr, type == Equalizer);
    EXPECT_EQ (entry.multiEngine != nullptr, type == MultiModulator);
    EXPECT_EQ (entry.fetEngine != nullptr, type == FetComp);
}
} // namespace

TEST (InsertXml, ABuiltInEntryWritesTheFortyThreeAttributesInOrder)
{
    auto entry = makeInsertPlugin();
    entry->builtInType = AnalogReverb;
    const auto element = InsertXml::createBuiltIn (*entry, Ids::TRACK_PLUGIN);

    EXPECT_EQ (element->getTagName(), "BUILTIN_TRACK_PLUGIN");
    EXPECT_EQ (element->getNumChildElements(), 0);

    juce::StringArray expected{Ids::type,      Ids::targetTrack, Ids::bypass,   Ids::revType,   Ids::revDecay,
                               Ids::revDamp,   Ids::revMix,      Ids::revPan,   Ids::echoTime,  Ids::echoFb,
                               Ids::echoAge,   Ids::echoMix,     Ids::echoPan,  Ids::echoSync,  Ids::echoDrive,
                               Ids::laGain,    Ids::laReduction, Ids::laMode,   Ids::fetInput,  Ids::fetOutput,
                               Ids::fetAttack, Ids::fetRelease,  Ids::fetRatio, Ids::gainLevel, Ids::mfxType,
                               Ids::mfxP1,     Ids::mfxP2,       Ids::mfxSync};

    for (int band = 0; band < 5; ++band)
        expected.addArray (juce::StringArray (Ids::eqFreqPrefix + juce::String (band),
                                              Ids::eqGainPrefix + juce::String (band),
                                              Ids::eqQPrefix + juce::String (band)));

    ASSERT_EQ (expected.size(), 43);
    EXPECT_EQ (attributeNames (*element), expected);

    // Number forms: integers and flags as decimal text, reals as the shortest exact text.
    EXPECT_EQ (element->getStringAttribute (Ids::type), "1");
    EXPECT_EQ (element->getStringAttribute (Ids::targetTrack), "-1");
    EXPECT_EQ (element->getStringAttribute (Ids::bypass), "0");
    EXPECT_EQ (element->getStringAttribute (Ids::echoDrive), "-6.0");
    EXPECT_EQ (element->getStringAttribute (Ids::revDecay), "0.5");
    EXPECT_EQ (element->getDoubleAttribute ("eqQ0"), (double)0.7f) << "the single-precision value, widened";
}

TEST (InsertXml, EveryBuiltInEffectSurvivesASaveBitForBit)
{
    for (int type = BuiltInEffects::firstType; type <= BuiltInEffects::lastType; ++type)
    {
        SCOPED_TRACE (type);
        auto entry = makeInsertPlugin();
        entry->builtInType = type;
        setNonDefaultSettings (*entry);

        const auto element = throughText (*InsertXml::createBuiltIn (*entry, Ids::MASTER_PLUGIN));
        const auto restored = InsertXml::restoreBuiltIn (*element, 48000.0);

        expectSameSettings (*entry, *restored);
        expectEngineOfType (*restored, type);
        EXPECT_EQ (restored->name, BuiltInEffects::getDeviceName (type)) << "the name comes from the type";
        EXPECT_EQ (restored->instance, nullptr);
    }
}

TEST (InsertXml, RestoredEnginesArePreparedAtTheRate)
{
    const auto restore = [] (int type, double rate)
    {
        const auto element = parse ("<BUILTIN_INSERT_PLUGIN type=\"" + juce::String (type) + "\"/>");
        return InsertXml::restoreBuiltIn (*element, rate);
    };

    EXPECT_EQ (restore (AnalogReverb, 96000.0)->reverbEngine->getSampleRate(), 96000.0);
    EXPECT_TRUE (restore (AnalogReverb, 96000.0)->reverbEngine->isPrepared());
    EXPECT_EQ (restore (TapeEcho, 48000.0)->echoEngine->getSampleRate(), 48000.0);
    EXPECT_GT (restore (TapeEcho, 48000.0)->echoEngine->getLineLength(), 0);
    EXPECT_EQ (restore (OptoComp, 48000.0)->optoEngine->sampleRate, 48000.0);
    EXPECT_EQ (restore (FetComp, 48000.0)->fetEngine->sampleRate, 48000.0);
    EXPECT_EQ (*restore (LineAmp, 48000.0)->lineAmpGain, 1.0f);
    EXPECT_EQ (restore (Equalizer, 88200.0)->eqEngine->sampleRate, 88200.0);
    EXPECT_TRUE (restore (MultiModulator, 48000.0)->multiEngine->isPrepared());
    EXPECT_EQ (restore (AnalogReverb, 0.0)->reverbEngine->getSampleRate(), 44100.0) << "no device yet";
}

TEST (InsertXml, AnElementWithoutAttributesReadsAsANewEntry)
{
    const auto element = parse ("<BUILTIN_TRACK_PLUGIN/>");
    const auto restored = InsertXml::restoreBuiltIn (*element, 44100.0);
    const auto fresh = makeInsertPlugin();

    EXPECT_EQ (restored->builtInType, 0);
    EXPECT_EQ (restored->name, BuiltInEffects::tapeEchoName);
    expectEngineOfType (*restored, 0);
    expectSameSettings (*fresh, *restored);
}

TEST (InsertXml, MissingBandAttributesKeepTheBandsOfANewEntry)
{
    auto entry = makeInsertPlugin();
    entry->builtInType = Equalizer;
    setNonDefaultSettings (*entry);
    auto element = InsertXml::createBuiltIn (*entry, Ids::INSERT_PLUGIN);
    element->removeAttribute ("eqFreq2");
    element->removeAttribute ("eqGain2");
    element->removeAttribute ("eqQ2");

    const auto restored = InsertXml::restoreBuiltIn (*element, 44100.0);
    EXPECT_EQ (restored->eqFreq[2], 1000.0f);
    EXPECT_EQ (restored->eqGain[2], 0.0f);
    EXPECT_EQ (restored->eqQ[2], 1.0f);
    EXPECT_EQ (restored->eqFreq[1], entry->eqFreq[1]);
}

TEST (InsertXml, OnlyTheExactPrefixMarksABuiltInEntry)
{
    EXPECT_TRUE (InsertXml::isBuiltInTag ("BUILTIN_MASTER_PLUGIN"));
    EXPECT_FALSE (InsertXml::isBuiltInTag ("builtin_MASTER_PLUGIN"));
    EXPECT_FALSE (InsertXml::isBuiltInTag ("Builtin_INSERT_PLUGIN"));
    EXPECT_FALSE (InsertXml::isBuiltInTag ("MASTER_PLUGIN"));
}

TEST (InsertXml, DamagedSettingsAreHeldToTheirControlsRanges)
{
    struct Case
    {
        const char* attribute;
        const char* text;
        std::function<double (const InsertPlugin&)> read;
        double expected;
    };

    const Case cases[] = {
        {Ids::revType, "9", [] (auto& e) { return e.revType; }, 3},
        {Ids::revType, "-3", [] (auto& e) { return e.revType; }, 0},
        {Ids::echoAge, "7", [] (auto& e) { return e.echoAge; }, 2},
        {Ids::laMode, "2", [] (auto& e) { return e.laMode; }, 1},
        {Ids::fetRatio, "99999999999999", [] (auto& e) { return e.fetRatio; }, 4},
        {Ids::mfxType, "-1", [] (auto& e) { return e.mfxType; }, 0},
        {Ids::mfxType, "12", [] (auto& e) { return e.mfxType; }, 6},
        {Ids::targetTrack, "24", [] (auto& e) { return e.targetTrack; }, -1},
        {Ids::targetTrack, "-5", [] (auto& e) { return e.targetTrack; }, -1},
        {Ids::echoTime, "inf", [] (auto& e) { return e.echoTime; }, 300},
        {Ids::echoTime, "nan", [] (auto& e) { return e.echoTime; }, 300},
        {Ids::echoTime, "1e39", [] (auto& e) { return e.echoTime; }, 300},
        {Ids::echoTime, "50000", [] (auto& e) { return e.echoTime; }, 3000},
        {Ids::gainLevel, "1e30", [] (auto& e) { return e.gainLevel; }, 24},
        {Ids::echoDrive, "-1000", [] (auto& e) { return e.echoDrive; }, -100},
        {Ids::revMix, "-2", [] (auto& e) { return e.revMix; }, 0},
        {"eqQ1", "0", [] (auto& e) { return e.eqQ[1]; }, 0.1f},
        {"eqFreq4", "-5", [] (auto& e) { return e.eqFreq[4]; }, 20},
        {"eqGain0", "400", [] (auto& e) { return e.eqGain[0]; }, 18},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.attribute) + "=" + c.text);
        juce::XmlElement element ("BUILTIN_INSERT_PLUGIN");
        element.setAttribute (Ids::type, MultiModulator);
        element.setAttribute (c.attribute, c.text);
        const auto restored = InsertXml::restoreBuiltIn (element, 44100.0);
        EXPECT_FLOAT_EQ ((float)c.read (*restored), (float)c.expected);
    }
}

TEST (InsertXml, ATypeOutsideTheSevenEffectsIsRefused)
{
    for (const auto* text : {"8", "-1", "1000", "99999999999"})
    {
        SCOPED_TRACE (text);
        juce::XmlElement element ("BUILTIN_INSERT_PLUGIN");
        element.setAttribute (Ids::type, text);
        element.setAttribute (Ids::echoTime, 500.0);
        const auto restored = InsertXml::restoreBuiltIn (element, 44100.0);

        EXPECT_EQ (restored->builtInType, 0);
        EXPECT_EQ (restored->name, BuiltInEffects::tapeEchoName);
        expectEngineOfType (*restored, 0);
        EXPECT_EQ (restored->echoTime, 500.0f) << "the settings are still read";
    }
}

//==============================================================================
namespace
{
class InsertChainTest : public ProcessorStateTest
{
protected:
    TavrelDelayAudioProcessor processor;
};
} // namespace

TEST_F (InsertChainTest, EntriesWithNeitherPluginNorTypeAreNotWritten)
{
    auto builtIn = makeInsertPlugin();
    builtIn->builtInType = FetComp;
    processor.trackInserts = {makeInsertPlugin(), builtIn, makeInsertPlugin()};

    const auto rack = processor.createRackStateXml();
    const auto* chain = rack->getChildByName (Ids::TRACK_INSERTS);
    ASSERT_EQ (chain->getNumChildElements(), 1);
    EXPECT_EQ (chain->getChildElement (0)->getTagName(), "BUILTIN_TRACK_PLUGIN");
}

TEST_F (InsertChainTest, EveryChainSurvivesASaveIntoASecondProcessor)
{
    int type = BuiltInEffects::firstType;

    for (auto* chain : {&processor.inputInserts, &processor.trackInserts, &processor.masterInserts})
    {
        for (int i = 0; i < 3; ++i)
        {
            auto entry = makeInsertPlugin();
            entry->builtInType = type;
            setNonDefaultSettings (*entry);
            entry->targetTrack = i;
            entry->createEngine (44100.0);
            chain->push_back (entry);
            type = type % BuiltInEffects::lastType + 1;
        }
    }

    const auto rack = throughText (*processor.createRackStateXml());
    EXPECT_EQ (rack->getChildByName (Ids::INSERTS)->getChildElement (0)->getTagName(), "BUILTIN_INSERT_PLUGIN");
    EXPECT_EQ (rack->getChildByName (Ids::MASTER_INSERTS)->getChildElement (0)->getTagName(), "BUILTIN_MASTER_PLUGIN");

    TavrelDelayAudioProcessor second;
    second.setRateAndBufferSizeDetails (48000.0, 256);
    second.restoreRackState (*rack);

    const std::pair<std::vector<std::shared_ptr<InsertPlugin>>*, std::vector<std::shared_ptr<InsertPlugin>>*> chains[] =
        {{&processor.inputInserts, &second.inputInserts},
         {&processor.trackInserts, &second.trackInserts},
         {&processor.masterInserts, &second.masterInserts}};

    for (const auto& [original, restored] : chains)
    {
        ASSERT_EQ (restored->size(), original->size());

        for (size_t i = 0; i < original->size(); ++i)
        {
            SCOPED_TRACE ((*original)[i]->builtInType);
            expectSameSettings (*(*original)[i], *(*restored)[i]);
            expectEngineOfType (*(*restored)[i], (*original)[i]->builtInType);
        }
    }

    ASSERT_NE (second.inputInserts[0]->reverbEngine, nullptr);
    EXPECT_EQ (second.inputInserts[0]->reverbEngine->getSampleRate(), 48000.0);
}

TEST_F (InsertChainTest, ALowerCasePrefixIsReadAsAHostedEntry)
{
    const auto rack = parse ("<RACK_STATE><INSERTS><builtin_INSERT_PLUGIN type=\"1\" targetTrack=\"2\"/>"
                             "</INSERTS></RACK_STATE>");
    processor.restoreRackState (*rack);

    ASSERT_EQ (processor.inputInserts.size(), 1u);
    EXPECT_EQ (processor.inputInserts[0]->builtInType, 0);
    EXPECT_EQ (processor.inputInserts[0]->name, Ids::loadingName);
    EXPECT_EQ (processor.inputInserts[0]->targetTrack, 2);
    EXPECT_EQ (processor.inputInserts[0]->reverbEngine, nullptr);
}
