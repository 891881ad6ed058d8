#include "storage/InstrumentXml.h"

#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "storage/StateXmlIds.h"
#include "storage/StateXmlValues.h"

namespace InstrumentXml
{
namespace
{
    using namespace StateXmlIds;
    using StateXmlValues::flagField;
    using StateXmlValues::intField;
    using StateXmlValues::realField;

    constexpr int anyInt = std::numeric_limits<int>::max();

    // Each engine's settings in their stored order, with the value a missing attribute takes.
    // The engines' own clampSettings() then holds every value to its range.
    using Mono = MonoSynthEngine;
    const StateXmlValues::Field<Mono> monoFields[] = {
        intField (globalOctave, &Mono::globalOctave, 0),
        realField (globalTune, &Mono::globalTune, 0.0f),
        intField (osc1Wave, &Mono::osc1Wave, 0, -anyInt, anyInt, synthWave),
        intField (osc2Wave, &Mono::osc2Wave, 1),
        realField (osc2Tune, &Mono::osc2Tune, -12.0f),
        realField (osc1Mix, &Mono::osc1Mix, 1.0f),
        realField (osc2Mix, &Mono::osc2Mix, 0.5f),
        realField (noiseMix, &Mono::noiseMix, 0.0f),
        realField (synthGlide, &Mono::synthGlide, 50.0f),
        realField (synthCutoff, &Mono::synthCutoff, 1000.0f),
        realField (synthRes, &Mono::synthRes, 0.5f),
        realField (synthEnvMod, &Mono::synthEnvMod, 4000.0f),
        realField (fEnvA, &Mono::fEnvA, 5.0f),
        realField (fEnvD, &Mono::fEnvD, 500.0f, std::numeric_limits<float>::lowest(), std::numeric_limits<float>::max(),
                   synthDecay),
        realField (fEnvS, &Mono::fEnvS, 0.2f),
        realField (fEnvR, &Mono::fEnvR, 500.0f),
        realField (aEnvA, &Mono::aEnvA, 5.0f),
        realField (aEnvD, &Mono::aEnvD, 500.0f),
        realField (aEnvS, &Mono::aEnvS, 1.0f),
        realField (aEnvR, &Mono::aEnvR, 500.0f),
        realField (lfoRate, &Mono::lfoRate, 5.0f),
        realField (lfoAmt, &Mono::lfoAmt, 0.0f),
        intField (lfoTarget, &Mono::lfoTarget, 0),
    };

    using Poly = PolySynthEngine;
    const StateXmlValues::Field<Poly> polyFields[] = {
        realField (globalTune, &Poly::globalTune, 0.0f),
        realField (masterVol, &Poly::masterVol, 1.0f),
        realField (glide, &Poly::glide, 0.0f),
        realField (velSens, &Poly::velSens, 0.5f),
        realField (polyModFEnvFreqA, &Poly::polyModFEnvFreqA, 0.0f),
        realField (polyModOscBFreqA, &Poly::polyModOscBFreqA, 0.0f),
        realField (polyModOscBFilter, &Poly::polyModOscBFilter, 0.0f),
        realField (polyModOscBPW, &Poly::polyModOscBPW, 0.0f),
        intField (osc1Octave, &Poly::osc1Octave, 0),
        intField (osc1Wave, &Poly::osc1Wave, 0),
        realField (osc1PW, &Poly::osc1PW, 0.5f),
        realField (osc1Mix, &Poly::osc1Mix, 1.0f),
        flagField (syncMode, &Poly::syncMode, false),
        flagField (osc2LfoMode, &Poly::osc2LfoMode, false),
        flagField (osc2KeyTrack, &Poly::osc2KeyTrack, true),
        intField (osc2Octave, &Poly::osc2Octave, 0),
        intField (osc2Wave, &Poly::osc2Wave, 0),
        realField (osc2Fine, &Poly::osc2Fine, 0.0f),
        realField (osc2PW, &Poly::osc2PW, 0.5f),
        realField (osc2Mix, &Poly::osc2Mix, 1.0f),
        realField (noiseMix, &Poly::noiseMix, 0.0f),
        realField (synthCutoff, &Poly::synthCutoff, 1000.0f),
        realField (synthRes, &Poly::synthRes, 0.5f),
        realField (synthEnvMod, &Poly::synthEnvMod, 4000.0f),
        realField (filterKeyTrack, &Poly::filterKeyTrack, 0.5f),
        realField (fEnvA, &Poly::fEnvA, 5.0f),
        realField (fEnvD, &Poly::fEnvD, 500.0f),
        realField (fEnvS, &Poly::fEnvS, 0.2f),
        realField (fEnvR, &Poly::fEnvR, 500.0f),
        realField (aEnvA, &Poly::aEnvA, 5.0f),
        realField (aEnvD, &Poly::aEnvD, 500.0f),
        realField (aEnvS, &Poly::aEnvS, 1.0f),
        realField (aEnvR, &Poly::aEnvR, 500.0f),
        intField (lfoWave, &Poly::lfoWave, 0),
        realField (lfoRate, &Poly::lfoRate, 5.0f),
        realField (lfoAmt, &Poly::lfoAmt, 0.0f),
        intField (lfoTarget, &Poly::lfoTarget, 0),
    };

    using Slide = TannerinEngine;
    const StateXmlValues::Field<Slide> slideFields[] = {
        realField (masterVol, &Slide::masterVol, 1.0f),   realField (slidePitch, &Slide::slidePitch, 60.0f),
        intField (globalOctave, &Slide::globalOctave, 1), intField (waveShape, &Slide::waveShape, 0),
        intField (osc2Wave, &Slide::osc2Wave, 0),         realField (osc1Mix, &Slide::osc1Mix, 1.0f),
        realField (osc2Mix, &Slide::osc2Mix, 0.3f),       realField (osc2Tune, &Slide::osc2Tune, 12.0f),
        realField (osc2Fine, &Slide::osc2Fine, 0.0f),     flagField (gateLatch, &Slide::gateLatch, false),
        intField (filterType, &Slide::filterType, 0),     realField (synthCutoff, &Slide::synthCutoff, 2000.0f),
        realField (synthRes, &Slide::synthRes, 0.1f),     realField (synthEnvMod, &Slide::synthEnvMod, 0.0f),
        realField (fEnvA, &Slide::fEnvA, 5.0f),           realField (fEnvD, &Slide::fEnvD, 500.0f),
        realField (fEnvS, &Slide::fEnvS, 1.0f),           realField (fEnvR, &Slide::fEnvR, 500.0f),
        realField (aEnvA, &Slide::aEnvA, 407.0f),         realField (aEnvD, &Slide::aEnvD, 500.0f),
        realField (aEnvS, &Slide::aEnvS, 1.0f),           realField (aEnvR, &Slide::aEnvR, 1100.0f),
        realField (lfoRate, &Slide::lfoRate, 6.0f),       realField (lfoAmt, &Slide::lfoAmt, 0.0f),
        realField (lfoDelay, &Slide::lfoDelay, 0.0f),     realField (lfoAttack, &Slide::lfoAttack, 0.0f),
    };

    using Stage = StageKeyboardEngine;
    const StateXmlValues::Field<Stage> stageFields[] = {
        realField (masterVol, &Stage::masterVol, 1.0f), intField (model, &Stage::model, 0),
        realField (drive, &Stage::drive, 0.0f),         realField (bass, &Stage::bass, 0.0f),
        realField (treble, &Stage::treble, 0.0f),       realField (tremRate, &Stage::tremRate, 4.0f),
        realField (tremDepth, &Stage::tremDepth, 0.0f),
    };

    using Rhythm = RhythmEngine;
    const StateXmlValues::Field<Rhythm> rhythmFields[] = {
        intField (rmPattern, &Rhythm::rmPattern, 0), realField (rmVolume, &Rhythm::rmVolume, 0.8f),
        realField (rmBpm, &Rhythm::rmBpm, 120.0f),   flagField (rmSync, &Rhythm::rmSync, true),
        intField (rmSeqLen, &Rhythm::rmSeqLen, 16),  realField (rmSwing, &Rhythm::rmSwing, 0.0f),
    };

    juce::String indexed (const char* prefix, int index)
    {
        return juce::String (prefix) + juce::String (index);
    }

    juce::String forVoice (const char* prefix, int voice)
    {
        return juce::String (prefix) + RhythmEngine::voiceCodes[voice];
    }

    void writeRhythm (juce::XmlElement& xml, const RhythmEngine& engine)
    {
        StateXmlValues::writeFields (xml, engine, rhythmFields);

        for (int row = 0; row < RhythmEngine::numVoices; ++row)
        {
            int mask = 0;

            for (int step = 0; step < RhythmEngine::numSteps; ++step)
                if (engine.steps[row][step])
                    mask |= 1 << step;

            xml.setAttribute (indexed (rmSeqRowPrefix, row), mask);
        }

        for (int voice = 0; voice < RhythmEngine::numVoices; ++voice)
            if (engine.samplePath[voice].isNotEmpty())
                xml.setAttribute (indexed (rmSamplePathPrefix, voice), engine.samplePath[voice]);

        for (int voice = 0; voice < RhythmEngine::numVoices; ++voice)
            StateXmlValues::writeReal (xml, forVoice (voiceLevelPrefix, voice), engine.voiceLevel[voice]);

        for (int voice = 0; voice < RhythmEngine::numVoices; ++voice)
            StateXmlValues::writeReal (xml, forVoice (voiceTunePrefix, voice), engine.voiceTune[voice]);

        for (int voice = 0; voice < RhythmEngine::numVoices; ++voice)
            StateXmlValues::writeReal (xml, forVoice (voiceLengthPrefix, voice), engine.voiceLength[voice]);
    }

    template <typename Engine, size_t N>
    void writeIfPresent (juce::XmlElement& xml, const Engine* engine, const StateXmlValues::Field<Engine> (&fields)[N])
    {
        if (engine != nullptr)
            StateXmlValues::writeFields (xml, *engine, fields);
    }

    // Every value read is then held to the engine's ranges.
    template <typename Engine, size_t N>
    void readIfPresent (const juce::XmlElement& xml, Engine* engine, const StateXmlValues::Field<Engine> (&fields)[N])
    {
        if (engine == nullptr)
            return;

        StateXmlValues::readFields (xml, *engine, fields);
        engine->clampSettings();
    }

    void readRhythm (const juce::XmlElement& xml, RhythmEngine& engine, juce::AudioFormatManager& formats)
    {
        // The pattern number is only remembered: the stored rows are the pattern, edits included.
        StateXmlValues::readFields (xml, engine, rhythmFields);

        for (int row = 0; row < RhythmEngine::numVoices; ++row)
        {
            const auto mask = StateXmlValues::readClampedInt (xml, indexed (rmSeqRowPrefix, row), 0, 0, 0xffff);

            for (int step = 0; step < RhythmEngine::numSteps; ++step)
                engine.steps[row][step] = (mask & (1 << step)) != 0;
        }

        for (int voice = 0; voice < RhythmEngine::numVoices; ++voice)
        {
            const auto path = xml.getStringAttribute (indexed (rmSamplePathPrefix, voice));

            if (path.isNotEmpty())
                engine.loadCustomSample (voice, path, formats);
        }

        for (int voice = 0; voice < RhythmEngine::numVoices; ++voice)
        {
            engine.voiceLevel[voice] = StateXmlValues::readReal (xml, forVoice (voiceLevelPrefix, voice), 1.0f);
            engine.voiceTune[voice] = StateXmlValues::readReal (xml, forVoice (voiceTunePrefix, voice), 0.0f);
            engine.voiceLength[voice] =
                StateXmlValues::readReal (xml, forVoice (voiceLengthPrefix, voice), voice < 3 ? 0.65f : 0.5f);
        }
    }
} // namespace

std::unique_ptr<juce::XmlElement> createBuiltIn (const InstrumentPlugin& slot)
{
    auto element = std::make_unique<juce::XmlElement> (BUILTIN_INSTRUMENT);
    element->setAttribute (type, slot.builtInType);
    element->setAttribute (presetName, slot.presetName);

    writeSoundSettings (*element, slot);

    if (slot.rhythmEngine != nullptr)
        writeRhythm (*element, *slot.rhythmEngine);

    return element;
}

void writeSoundSettings (juce::XmlElement& element, const InstrumentPlugin& slot)
{
    writeIfPresent (element, slot.monoEngine.get(), monoFields);
    writeIfPresent (element, slot.tannerinEngine.get(), slideFields);
    writeIfPresent (element, slot.keyboardEngine.get(), stageFields);
    writeIfPresent (element, slot.polyEngine.get(), polyFields);
}

void readSoundSettings (const juce::XmlElement& element, InstrumentPlugin& slot)
{
    readIfPresent (element, slot.monoEngine.get(), monoFields);
    readIfPresent (element, slot.polyEngine.get(), polyFields);
    readIfPresent (element, slot.tannerinEngine.get(), slideFields);
    readIfPresent (element, slot.keyboardEngine.get(), stageFields);
}

void restoreBuiltIn (InstrumentPlugin& slot, const juce::XmlElement& element, double sampleRate,
                     juce::AudioFormatManager& formats)
{
    using namespace BuiltInInstruments;

    const auto storedType = StateXmlValues::readClampedInt (element, type, 0, -anyInt, anyInt);
    slot.builtInType = isBuiltInType (storedType) ? storedType : 0;
    slot.presetName = element.getStringAttribute (presetName, defaultPresetName);
    slot.name = getDeviceName (storedType);

    // Made and prepared first (the drum machine loads factory pattern 0 on the way); the stored
    // settings then replace the engine's defaults.
    slot.createEngine (sampleRate);

    if (auto* rhythm = slot.rhythmEngine.get())
    {
        readRhythm (element, *rhythm, formats);
        rhythm->clampSettings();
    }
    else
    {
        readSoundSettings (element, slot);
    }
}

std::shared_ptr<InstrumentPlugin> makeOlderFormSlot (int type, double sampleRate)
{
    if (! BuiltInInstruments::isBuiltInType (type))
        return nullptr;

    auto slot = makeInstrumentPlugin();
    slot->builtInType = type;
    slot->name = BuiltInInstruments::getDeviceName (type);
    slot->createEngine (sampleRate);
    return slot;
}
} // namespace InstrumentXml
