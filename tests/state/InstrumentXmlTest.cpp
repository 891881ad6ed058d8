#include "storage/InstrumentXml.h"
#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "storage/StateXmlIds.h"
#include "tests/state/StateTestSupport.h"
#include "tests/support/AudioTestUtils.h"

using namespace StateTestSupport;
namespace Ids = StateXmlIds;
using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;
using namespace BuiltInInstruments;

namespace
{
std::shared_ptr<InstrumentPlugin> makeSlot (int type)
{
    auto slot = makeInstrumentPlugin();
    slot->builtInType = type;
    slot->createEngine (44100.0);
    return slot;
}

juce::StringArray withHead (std::initializer_list<const char*> names)
{
    juce::StringArray result (Ids::type, Ids::presetName);

    for (const auto* name : names)
        result.add (name);

    return result;
}

juce::AudioFormatManager& formats()
{
    static juce::AudioFormatManager manager;

    if (manager.getNumKnownFormats() == 0)
        manager.registerBasicFormats();

    return manager;
}

std::shared_ptr<InstrumentPlugin> restore (const juce::XmlElement& element, double rate = 44100.0)
{
    auto slot = makeInstrumentPlugin();
    InstrumentXml::restoreBuiltIn (*slot, element, rate, formats());
    return slot;
}

std::shared_ptr<InstrumentPlugin> restore (const juce::String& text)
{
    const auto element = parse (text);
    return restore (*element);
}
} // namespace

TEST (InstrumentXml, EachInstrumentWritesItsSettingsInTheStoredOrder)
{
    const juce::StringArray envelopes{Ids::fEnvA, Ids::fEnvD, Ids::fEnvS, Ids::fEnvR,
                                      Ids::aEnvA, Ids::aEnvD, Ids::aEnvS, Ids::aEnvR};

    auto mono =
        withHead ({Ids::globalOctave, Ids::globalTune, Ids::osc1Wave, Ids::osc2Wave, Ids::osc2Tune, Ids::osc1Mix,
                   Ids::osc2Mix, Ids::noiseMix, Ids::synthGlide, Ids::synthCutoff, Ids::synthRes, Ids::synthEnvMod});
    mono.addArray (envelopes);
    mono.addArray (juce::StringArray (Ids::lfoRate, Ids::lfoAmt, Ids::lfoTarget));

    auto poly = withHead (
        {Ids::globalTune,       Ids::masterVol,         Ids::glide,         Ids::velSens,     Ids::polyModFEnvFreqA,
         Ids::polyModOscBFreqA, Ids::polyModOscBFilter, Ids::polyModOscBPW, Ids::osc1Octave,  Ids::osc1Wave,
         Ids::osc1PW,           Ids::osc1Mix,           Ids::syncMode,      Ids::osc2LfoMode, Ids::osc2KeyTrack,
         Ids::osc2Octave,       Ids::osc2Wave,          Ids::osc2Fine,      Ids::osc2PW,      Ids::osc2Mix,
         Ids::noiseMix,         Ids::synthCutoff,       Ids::synthRes,      Ids::synthEnvMod, Ids::filterKeyTrack});
    poly.addArray (envelopes);
    poly.addArray (juce::StringArray (Ids::lfoWave, Ids::lfoRate, Ids::lfoAmt, Ids::lfoTarget));

    auto slide = withHead ({Ids::masterVol, Ids::slidePitch, Ids::globalOctave, Ids::waveShape, Ids::osc2Wave,
                            Ids::osc1Mix, Ids::osc2Mix, Ids::osc2Tune, Ids::osc2Fine, Ids::gateLatch, Ids::filterType,
                            Ids::synthCutoff, Ids::synthRes, Ids::synthEnvMod});
    slide.addArray (envelopes);
    slide.addArray (juce::StringArray (Ids::lfoRate, Ids::lfoAmt, Ids::lfoDelay, Ids::lfoAttack));

    const auto stage =
        withHead ({Ids::masterVol, Ids::model, Ids::drive, Ids::bass, Ids::treble, Ids::tremRate, Ids::tremDepth});

    auto rhythm = withHead ({Ids::rmPattern, Ids::rmVolume, Ids::rmBpm, Ids::rmSync, Ids::rmSeqLen, Ids::rmSwing});

    for (int row = 0; row < 10; ++row)
        rhythm.add (Ids::rmSeqRowPrefix + juce::String (row));

    for (const auto* prefix : {Ids::voiceLevelPrefix, Ids::voiceTunePrefix, Ids::voiceLengthPrefix})
        for (const auto* code : RhythmEngine::voiceCodes)
            rhythm.add (prefix + juce::String (code));

    EXPECT_EQ (mono.size(), 2 + 23);
    EXPECT_EQ (poly.size(), 2 + 37);
    EXPECT_EQ (slide.size(), 2 + 26);
    EXPECT_EQ (stage.size(), 2 + 7);
    EXPECT_EQ (rhythm.size(), 2 + 6 + 10 + 30);

    const std::pair<int, juce::StringArray> cases[] = {
        {MonoSynth, mono}, {PolySynth, poly}, {Tannerin, slide}, {StageKeyboard, stage}, {RhythmMachine, rhythm}};

    for (const auto& [type, expected] : cases)
    {
        SCOPED_TRACE (type);
        const auto element = InstrumentXml::createBuiltIn (*makeSlot (type));
        EXPECT_EQ (element->getTagName(), Ids::BUILTIN_INSTRUMENT);
        EXPECT_EQ (element->getNumChildElements(), 0);
        EXPECT_EQ (attributeNames (*element), expected);
        EXPECT_EQ (element->getStringAttribute (Ids::type), juce::String (type));
        EXPECT_EQ (element->getStringAttribute (Ids::presetName), "Default");
    }
}

TEST (InstrumentXml, StepRowsAreSixteenBitMasks)
{
    auto slot = makeSlot (RhythmMachine);
    auto& engine = *slot->rhythmEngine;

    for (auto& row : engine.steps)
        std::fill (std::begin (row), std::end (row), false);

    for (int step : {0, 4, 8, 12})
        engine.steps[0][step] = true;

    std::fill (std::begin (engine.steps[9]), std::end (engine.steps[9]), true);
    engine.steps[3][15] = true;

    const auto element = InstrumentXml::createBuiltIn (*slot);
    EXPECT_EQ (element->getStringAttribute ("rmSeqRow0"), "4369");
    EXPECT_EQ (element->getStringAttribute ("rmSeqRow9"), "65535");
    EXPECT_EQ (element->getStringAttribute ("rmSeqRow3"), "32768");
    EXPECT_EQ (element->getStringAttribute ("rmSeqRow1"), "0");

    const auto restored = restore (*throughText (*element));

    for (int row = 0; row < 10; ++row)
        for (int step = 0; step < 16; ++step)
            EXPECT_EQ (restored->rhythmEngine->steps[row][step], engine.steps[row][step]) << row << "/" << step;
}

TEST (InstrumentXml, MissingRowsGiveAnEmptyMatrixNotTheFactoryPattern)
{
    const auto slot = restore ("<BUILTIN_INSTRUMENT type=\"2\" rmPattern=\"3\"/>");
    ASSERT_NE (slot->rhythmEngine, nullptr);
    EXPECT_EQ (slot->rhythmEngine->rmPattern, 3);

    for (const auto& row : slot->rhythmEngine->steps)
        for (bool step : row)
            EXPECT_FALSE (step);
}

TEST (InstrumentXml, ThePatternNumberIsOnlyRemembered)
{
    const auto slot = restore ("<BUILTIN_INSTRUMENT type=\"2\" rmPattern=\"3\" rmSeqRow2=\"3\"/>");
    EXPECT_EQ (slot->rhythmEngine->rmPattern, 3);
    EXPECT_TRUE (slot->rhythmEngine->steps[2][0]);
    EXPECT_TRUE (slot->rhythmEngine->steps[2][1]);
    EXPECT_FALSE (slot->rhythmEngine->steps[2][2]);
    EXPECT_FALSE (slot->rhythmEngine->steps[0][0]);
}

TEST (InstrumentXml, OlderAttributeNamesAreFallbacks)
{
    struct Case
    {
        const char* attributes;
        int wave;
        float decay;
    };

    const Case cases[] = {
        {"synthWave=\"2\"", 2, 500.0f},
        {"synthWave=\"2\" osc1Wave=\"1\"", 1, 500.0f},
        {"synthDecay=\"250\"", 0, 250.0f},
        {"synthDecay=\"250\" fEnvD=\"900\"", 0, 900.0f},
        {"", 0, 500.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.attributes);
        const auto slot = restore (juce::String ("<BUILTIN_INSTRUMENT type=\"1\" ") + c.attributes + "/>");
        ASSERT_NE (slot->monoEngine, nullptr);
        EXPECT_EQ (slot->monoEngine->osc1Wave, c.wave);
        EXPECT_EQ (slot->monoEngine->fEnvD, c.decay);
    }

    // Never written back.
    const auto element = InstrumentXml::createBuiltIn (*makeSlot (MonoSynth));
    EXPECT_FALSE (element->hasAttribute (Ids::synthWave));
    EXPECT_FALSE (element->hasAttribute (Ids::synthDecay));
}

TEST (InstrumentXml, MissingAttributesTakeTheStoredDefaults)
{
    // Where the stored default differs from the engine's own, the stored one counts.
    const auto poly = restore ("<BUILTIN_INSTRUMENT type=\"3\"/>");
    EXPECT_EQ (poly->polyEngine->osc2Wave, 0);
    EXPECT_TRUE (poly->polyEngine->osc2KeyTrack);
    EXPECT_EQ (poly->presetName, "Default");
    EXPECT_EQ (poly->name, polySynthName);

    const auto slide = restore ("<BUILTIN_INSTRUMENT type=\"4\" presetName=\"Theremin Lead\"/>");
    EXPECT_EQ (slide->tannerinEngine->aEnvA, 407.0f);
    EXPECT_EQ (slide->tannerinEngine->globalOctave, 1);
    EXPECT_EQ (slide->presetName, "Theremin Lead");
    EXPECT_EQ (slide->name, tannerinName);

    const auto rhythm = restore ("<BUILTIN_INSTRUMENT type=\"2\"/>");
    EXPECT_TRUE (rhythm->rhythmEngine->rmSync);
    EXPECT_EQ (rhythm->rhythmEngine->rmSeqLen, 16);
    EXPECT_EQ (rhythm->rhythmEngine->voiceLength[2], 0.65f);
    EXPECT_EQ (rhythm->rhythmEngine->voiceLength[3], 0.5f);
    EXPECT_EQ (rhythm->name, rhythmMachineName);
}

TEST (InstrumentXml, EnginesArePreparedAtTheRate)
{
    const auto element = parse ("<BUILTIN_INSTRUMENT type=\"5\"/>");
    EXPECT_EQ (restore (*element, 96000.0)->keyboardEngine->sampleRate, 96000.0);
    EXPECT_EQ (restore (*element, 0.0)->keyboardEngine->sampleRate, 44100.0);
}

TEST (InstrumentXml, DamagedValuesAreHeldToTheEnginesRanges)
{
    const auto stage = restore ("<BUILTIN_INSTRUMENT type=\"5\" model=\"9\" masterVol=\"nan\" tremRate=\"1e300\"/>");
    EXPECT_EQ (stage->keyboardEngine->model, StageKeyboardEngine::numModels - 1);
    EXPECT_EQ (stage->keyboardEngine->masterVol, 1.0f);
    EXPECT_EQ (stage->keyboardEngine->tremRate, 4.0f);

    const auto rhythm = restore ("<BUILTIN_INSTRUMENT type=\"2\" rmSeqLen=\"99\" rmPattern=\"-4\" rmSeqRow0=\"-1\" "
                                 "vKik=\"inf\" tSn1=\"40\"/>");
    EXPECT_EQ (rhythm->rhythmEngine->rmSeqLen, 16);
    EXPECT_EQ (rhythm->rhythmEngine->rmPattern, 0);
    EXPECT_FALSE (rhythm->rhythmEngine->steps[0][0]);
    EXPECT_EQ (rhythm->rhythmEngine->voiceLevel[0], 1.0f);
    EXPECT_EQ (rhythm->rhythmEngine->voiceTune[1], 12.0f);

    EXPECT_EQ (restore ("<BUILTIN_INSTRUMENT type=\"2\" rmSeqLen=\"0\"/>")->rhythmEngine->rmSeqLen, 1);

    const auto mono = restore ("<BUILTIN_INSTRUMENT type=\"1\" osc1Wave=\"7\" lfoTarget=\"-3\" globalOctave=\"40\"/>");
    EXPECT_EQ (mono->monoEngine->osc1Wave, 2);
    EXPECT_EQ (mono->monoEngine->lfoTarget, 0);
    EXPECT_EQ (mono->monoEngine->globalOctave, 3);

    const auto poly = restore ("<BUILTIN_INSTRUMENT type=\"3\" lfoWave=\"12\" osc1Octave=\"-9\"/>");
    EXPECT_EQ (poly->polyEngine->lfoWave, 3);
    EXPECT_EQ (poly->polyEngine->osc1Octave, -2);

    const auto slide = restore ("<BUILTIN_INSTRUMENT type=\"4\" filterType=\"5\" slidePitch=\"200\"/>");
    EXPECT_EQ (slide->tannerinEngine->filterType, 2);
    EXPECT_EQ (slide->tannerinEngine->slidePitch, 84.0f);
}

TEST (InstrumentXml, ATypeOutsideTheFiveInstrumentsGetsNoEngine)
{
    for (const auto* text : {"0", "6", "-2", "99999999999"})
    {
        SCOPED_TRACE (text);
        const auto slot = restore (juce::String ("<BUILTIN_INSTRUMENT type=\"") + text + "\"/>");
        EXPECT_EQ (slot->builtInType, 0);
        EXPECT_EQ (slot->name, polySynthName);
        EXPECT_EQ (slot->monoEngine, nullptr);
        EXPECT_EQ (slot->rhythmEngine, nullptr);
        EXPECT_EQ (slot->polyEngine, nullptr);
        EXPECT_EQ (slot->tannerinEngine, nullptr);
        EXPECT_EQ (slot->keyboardEngine, nullptr);
    }
}

//==============================================================================
namespace
{
class InstrumentSlotsTest : public ProcessorStateTest
{
protected:
    TavrelDelayAudioProcessor processor;

    /** Saves the processor's rack and restores it into a second processor, through text. */
    std::unique_ptr<TavrelDelayAudioProcessor> saveAndRestore()
    {
        const auto rack = throughText (*processor.createRackStateXml());
        auto second = std::make_unique<TavrelDelayAudioProcessor>();
        second->restoreRackState (*rack);
        return second;
    }

    juce::File writeSample (const juce::String& name)
    {
        const auto file = temp / name;
        auto audio = AudioTestUtils::makeSine (1, 4410, 440.0, 44100.0, 0.5f);
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (new juce::FileOutputStream (file), 44100.0, 1, 16, {}, 0));
        writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
        return file;
    }
};
} // namespace

TEST_F (InstrumentSlotsTest, EveryInstrumentSurvivesASaveIntoASecondProcessor)
{
    {
        auto slot = makeSlot (MonoSynth);
        auto& e = *slot->monoEngine;
        e.globalOctave = -2, e.globalTune = 12.5f, e.osc1Wave = 2, e.osc2Wave = 0, e.osc2Tune = 7.0f;
        e.osc1Mix = 0.25f, e.osc2Mix = 0.75f, e.noiseMix = 0.1f, e.synthGlide = 123.4f, e.synthCutoff = 3456.7f;
        e.synthRes = 0.66f, e.synthEnvMod = 2222.0f, e.fEnvA = 11.0f, e.fEnvD = 333.0f, e.fEnvS = 0.45f;
        e.fEnvR = 876.0f, e.aEnvA = 22.0f, e.aEnvD = 444.0f, e.aEnvS = 0.55f, e.aEnvR = 1234.0f;
        e.lfoRate = 7.7f, e.lfoAmt = 0.3f, e.lfoTarget = 1;
        slot->presetName = "Acid";
        slot->midiChannel = 3;
        processor.instruments.push_back (slot);
    }
    {
        auto slot = makeSlot (RhythmMachine);
        auto& e = *slot->rhythmEngine;
        e.rmPattern = 15, e.rmVolume = 0.6f, e.rmBpm = 97.5f, e.rmSync = false, e.rmSeqLen = 12, e.rmSwing = 0.35f;

        for (int v = 0; v < RhythmEngine::numVoices; ++v)
        {
            e.voiceLevel[v] = 0.05f * (float)(v + 1);
            e.voiceTune[v] = -11.5f + 2.3f * (float)v;
            e.voiceLength[v] = 0.9f - 0.07f * (float)v;

            for (int s = 0; s < RhythmEngine::numSteps; ++s)
                e.steps[v][s] = (s * 7 + v) % 3 == 0;
        }

        processor.instruments.push_back (slot);
    }
    {
        auto slot = makeSlot (PolySynth);
        auto& e = *slot->polyEngine;
        e.globalTune = -33.0f, e.masterVol = 1.5f, e.glide = 250.0f, e.velSens = 0.9f, e.polyModFEnvFreqA = 5.0f;
        e.polyModOscBFreqA = 3.0f, e.polyModOscBFilter = 0.4f, e.polyModOscBPW = 0.6f, e.osc1Octave = -1;
        e.osc1Wave = 3, e.osc1PW = 0.2f, e.osc1Mix = 0.8f, e.syncMode = true, e.osc2LfoMode = true;
        e.osc2KeyTrack = false, e.osc2Octave = 2, e.osc2Wave = 2, e.osc2Fine = 17.0f, e.osc2PW = 0.7f;
        e.osc2Mix = 0.4f, e.noiseMix = 0.2f, e.synthCutoff = 5000.0f, e.synthRes = 0.3f, e.synthEnvMod = 7000.0f;
        e.filterKeyTrack = 0.8f, e.fEnvA = 15.0f, e.fEnvD = 700.0f, e.fEnvS = 0.6f, e.fEnvR = 800.0f;
        e.aEnvA = 30.0f, e.aEnvD = 900.0f, e.aEnvS = 0.7f, e.aEnvR = 1500.0f, e.lfoWave = 2, e.lfoRate = 0.5f;
        e.lfoAmt = 0.45f, e.lfoTarget = 2;
        processor.instruments.push_back (slot);
    }
    {
        auto slot = makeSlot (Tannerin);
        auto& e = *slot->tannerinEngine;
        e.masterVol = 0.7f, e.slidePitch = 71.25f, e.globalOctave = -1, e.waveShape = 2, e.osc2Wave = 1;
        e.osc1Mix = 0.6f, e.osc2Mix = 0.9f, e.osc2Tune = -7.0f, e.osc2Fine = 33.0f, e.gateLatch = true;
        e.filterType = 1, e.synthCutoff = 4000.0f, e.synthRes = 0.5f, e.synthEnvMod = 1000.0f, e.fEnvA = 50.0f;
        e.fEnvD = 600.0f, e.fEnvS = 0.5f, e.fEnvR = 700.0f, e.aEnvA = 100.0f, e.aEnvD = 300.0f, e.aEnvS = 0.8f;
        e.aEnvR = 1900.0f, e.lfoRate = 9.0f, e.lfoAmt = 1.5f, e.lfoDelay = 500.0f, e.lfoAttack = 250.0f;
        processor.instruments.push_back (slot);
    }
    {
        auto slot = makeSlot (StageKeyboard);
        auto& e = *slot->keyboardEngine;
        e.model = 4, e.masterVol = 1.3f, e.drive = 0.4f, e.bass = -0.5f, e.treble = 0.6f, e.tremRate = 6.5f;
        e.tremDepth = 0.75f;
        slot->midiChannel = 16;
        processor.instruments.push_back (slot);
    }

    const auto second = saveAndRestore();
    ASSERT_EQ (second->instruments.size(), processor.instruments.size());

    for (size_t i = 0; i < processor.instruments.size(); ++i)
    {
        const auto& a = *processor.instruments[i];
        const auto& b = *second->instruments[i];
        SCOPED_TRACE (a.builtInType);
        EXPECT_EQ (b.builtInType, a.builtInType);
        EXPECT_EQ (b.presetName, a.presetName);
        EXPECT_EQ (b.midiChannel, a.midiChannel);
        EXPECT_EQ (b.name, juce::String (getDeviceName (a.builtInType)));
    }

    {
        const auto &a = *processor.instruments[0]->monoEngine, &b = *second->instruments[0]->monoEngine;
        EXPECT_EQ (b.globalOctave, a.globalOctave);
        EXPECT_EQ (b.osc1Wave, a.osc1Wave);
        EXPECT_EQ (b.osc2Wave, a.osc2Wave);
        EXPECT_EQ (b.lfoTarget, a.lfoTarget);

        for (auto member :
             {&MonoSynthEngine::globalTune, &MonoSynthEngine::osc2Tune, &MonoSynthEngine::osc1Mix,
              &MonoSynthEngine::osc2Mix, &MonoSynthEngine::noiseMix, &MonoSynthEngine::synthGlide,
              &MonoSynthEngine::synthCutoff, &MonoSynthEngine::synthRes, &MonoSynthEngine::synthEnvMod,
              &MonoSynthEngine::fEnvA, &MonoSynthEngine::fEnvD, &MonoSynthEngine::fEnvS, &MonoSynthEngine::fEnvR,
              &MonoSynthEngine::aEnvA, &MonoSynthEngine::aEnvD, &MonoSynthEngine::aEnvS, &MonoSynthEngine::aEnvR,
              &MonoSynthEngine::lfoRate, &MonoSynthEngine::lfoAmt})
            EXPECT_TRUE (sameBits (b.*member, a.*member)) << a.*member << " vs " << b.*member;
    }
    {
        const auto &a = *processor.instruments[1]->rhythmEngine, &b = *second->instruments[1]->rhythmEngine;
        EXPECT_EQ (b.rmPattern, a.rmPattern);
        EXPECT_EQ (b.rmVolume, a.rmVolume);
        EXPECT_EQ (b.rmBpm, a.rmBpm);
        EXPECT_EQ (b.rmSync, a.rmSync);
        EXPECT_EQ (b.rmSeqLen, a.rmSeqLen);
        EXPECT_EQ (b.rmSwing, a.rmSwing);

        for (int v = 0; v < RhythmEngine::numVoices; ++v)
        {
            EXPECT_TRUE (sameBits (b.voiceLevel[v], a.voiceLevel[v])) << v;
            EXPECT_TRUE (sameBits (b.voiceTune[v], a.voiceTune[v])) << v;
            EXPECT_TRUE (sameBits (b.voiceLength[v], a.voiceLength[v])) << v;

            for (int s = 0; s < RhythmEngine::numSteps; ++s)
                EXPECT_EQ (b.steps[v][s], a.steps[v][s]) << v << "/" << s;
        }
    }
    {
        const auto &a = *processor.instruments[2]->polyEngine, &b = *second->instruments[2]->polyEngine;

        for (auto member : {&PolySynthEngine::osc1Octave, &PolySynthEngine::osc1Wave, &PolySynthEngine::osc2Octave,
                            &PolySynthEngine::osc2Wave, &PolySynthEngine::lfoWave, &PolySynthEngine::lfoTarget})
            EXPECT_EQ (b.*member, a.*member);

        for (auto member : {&PolySynthEngine::syncMode, &PolySynthEngine::osc2LfoMode, &PolySynthEngine::osc2KeyTrack})
            EXPECT_EQ (b.*member, a.*member);

        for (auto member : {&PolySynthEngine::globalTune,
                            &PolySynthEngine::masterVol,
                            &PolySynthEngine::glide,
                            &PolySynthEngine::velSens,
                            &PolySynthEngine::polyModFEnvFreqA,
                            &PolySynthEngine::polyModOscBFreqA,
                            &PolySynthEngine::polyModOscBFilter,
                            &PolySynthEngine::polyModOscBPW,
                            &PolySynthEngine::osc1PW,
                            &PolySynthEngine::osc1Mix,
                            &PolySynthEngine::osc2Fine,
                            &PolySynthEngine::osc2PW,
                            &PolySynthEngine::osc2Mix,
                            &PolySynthEngine::noiseMix,
                            &PolySynthEngine::synthCutoff,
                            &PolySynthEngine::synthRes,
                            &PolySynthEngine::synthEnvMod,
                            &PolySynthEngine::filterKeyTrack,
                            &PolySynthEngine::fEnvA,
                            &PolySynthEngine::fEnvD,
                            &PolySynthEngine::fEnvS,
                            &PolySynthEngine::fEnvR,
                            &PolySynthEngine::aEnvA,
                            &PolySynthEngine::aEnvD,
                            &PolySynthEngine::aEnvS,
                            &PolySynthEngine::aEnvR,
                            &PolySynthEngine::lfoRate,
                            &PolySynthEngine::lfoAmt})
            EXPECT_TRUE (sameBits (b.*member, a.*member)) << a.*member << " vs " << b.*member;
    }
    {
        const auto &a = *processor.instruments[3]->tannerinEngine, &b = *second->instruments[3]->tannerinEngine;

        for (auto member : {&TannerinEngine::globalOctave, &TannerinEngine::waveShape, &TannerinEngine::osc2Wave,
                            &TannerinEngine::filterType})
            EXPECT_EQ (b.*member, a.*member);

        EXPECT_EQ (b.gateLatch, a.gateLatch);

        for (auto member : {&TannerinEngine::masterVol,   &TannerinEngine::slidePitch, &TannerinEngine::osc1Mix,
                            &TannerinEngine::osc2Mix,     &TannerinEngine::osc2Tune,   &TannerinEngine::osc2Fine,
                            &TannerinEngine::synthCutoff, &TannerinEngine::synthRes,   &TannerinEngine::synthEnvMod,
                            &TannerinEngine::fEnvA,       &TannerinEngine::fEnvD,      &TannerinEngine::fEnvS,
                            &TannerinEngine::fEnvR,       &TannerinEngine::aEnvA,      &TannerinEngine::aEnvD,
                            &TannerinEngine::aEnvS,       &TannerinEngine::aEnvR,      &TannerinEngine::lfoRate,
                            &TannerinEngine::lfoAmt,      &TannerinEngine::lfoDelay,   &TannerinEngine::lfoAttack})
            EXPECT_TRUE (sameBits (b.*member, a.*member)) << a.*member << " vs " << b.*member;
    }
    {
        const auto &a = *processor.instruments[4]->keyboardEngine, &b = *second->instruments[4]->keyboardEngine;
        EXPECT_EQ (b.model, a.model);

        for (auto member :
             {&StageKeyboardEngine::masterVol, &StageKeyboardEngine::drive, &StageKeyboardEngine::bass,
              &StageKeyboardEngine::treble, &StageKeyboardEngine::tremRate, &StageKeyboardEngine::tremDepth})
            EXPECT_TRUE (sameBits (b.*member, a.*member)) << a.*member << " vs " << b.*member;
    }
}

TEST_F (InstrumentSlotsTest, CustomDrumSamplesAreStoredByPathAndLoadedAgain)
{
    const auto sample = writeSample ("Clap.wav");
    auto slot = makeSlot (RhythmMachine);
    ASSERT_TRUE (slot->rhythmEngine->loadCustomSample (3, sample, processor.audioFormatManager));
    processor.instruments.push_back (slot);

    const auto rack = throughText (*processor.createRackStateXml());
    const auto* element = rack->getChildByName (Ids::INSTRUMENTS)->getChildElement (0);
    EXPECT_EQ (element->getStringAttribute ("rmSamplePath3"), sample.getFullPathName());

    for (int voice : {0, 1, 2, 4, 5, 6, 7, 8, 9})
        EXPECT_FALSE (element->hasAttribute ("rmSamplePath" + juce::String (voice))) << "only voices with a sample";

    // The paths come right after the rows, before the voice settings.
    const auto names = attributeNames (*element);
    EXPECT_EQ (names.indexOf ("rmSamplePath3"), names.indexOf ("rmSeqRow9") + 1);

    TavrelDelayAudioProcessor second;
    second.restoreRackState (*rack);
    const auto& restored = *second.instruments[0]->rhythmEngine;
    EXPECT_EQ (restored.samplePath[3], sample.getFullPathName());
    EXPECT_GT (restored.getCustomSampleLength (3), 0);
    EXPECT_EQ (restored.getCustomSampleLength (2), 0);
}

TEST_F (InstrumentSlotsTest, AMissingSampleFileLeavesTheBuiltInSoundAndReadsOn)
{
    const auto rack = parse ("<RACK_STATE><INSTRUMENTS><BUILTIN_INSTRUMENT type=\"2\" rmSamplePath1=\"/no/such.wav\" "
                             "rmSeqRow1=\"1\" vSn1=\"0.25\"/></INSTRUMENTS></RACK_STATE>");
    processor.restoreRackState (*rack);

    ASSERT_EQ (processor.instruments.size(), 1u);
    const auto& engine = *processor.instruments[0]->rhythmEngine;
    EXPECT_EQ (engine.getCustomSampleLength (1), 0);
    EXPECT_TRUE (engine.steps[1][0]);
    EXPECT_EQ (engine.voiceLevel[1], 0.25f);
}

TEST (InstrumentXml, ABareElementReadsAsAFreshEngineSaveTheStoredDefaults)
{
    // The engines' own defaults equal the stored ones, but for the poly synthesizer's second
    // oscillator, which a file without it gives wave 0.
    for (int type = firstType; type <= lastType; ++type)
    {
        SCOPED_TRACE (type);
        const auto bare = parse ("<BUILTIN_INSTRUMENT type=\"" + juce::String (type) + "\"/>");
        const auto restored = restore (*bare);
        const auto fresh = makeSlot (type);

        if (type == PolySynth)
        {
            EXPECT_EQ (restored->polyEngine->osc2Wave, 0);
            fresh->polyEngine->osc2Wave = 0;
        }

        if (type == RhythmMachine) // the stored rows are empty where a fresh engine has pattern 0
            for (auto& row : fresh->rhythmEngine->steps)
                std::fill (std::begin (row), std::end (row), false);

        EXPECT_TRUE (InstrumentXml::createBuiltIn (*restored)->isEquivalentTo (
            InstrumentXml::createBuiltIn (*fresh).get(), false));
    }
}
