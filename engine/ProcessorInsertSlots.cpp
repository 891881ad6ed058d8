// The insert slot record, the making of its built-in effect engines, adding a built-in effect
// to a chain, and running a built-in effect on a block.

#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/ProcessingHold.h"

#include "effects/BuiltInEffects.h"
#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
#include "effects/LineAmplifier.h"
#include "effects/MultiModulatorEngine.h"
#include "effects/OptoCompEngine.h"

TavrelDelayAudioProcessor::InsertPlugin::InsertPlugin() = default;

TavrelDelayAudioProcessor::InsertPlugin::~InsertPlugin() = default;

void TavrelDelayAudioProcessor::InsertPlugin::createEngine (double sampleRate)
{
    const auto rate = sampleRate > 0.0 ? sampleRate : 44100.0;

    // The old engine goes first, so that two never hold their buffers at once.
    switch (builtInType)
    {
        case AnalogReverb:
            reverbEngine.reset();
            reverbEngine = std::make_unique<ReverbEngine>();
            reverbEngine->prepare (rate);
            break;
        case TapeEcho:
            echoEngine.reset();
            echoEngine = makeTapeEchoEngine();
            echoEngine->prepare (rate);
            break;
        case OptoComp:
            optoEngine = std::make_unique<OptoCompEngine>();
            optoEngine->prepare (rate);
            break;
        case LineAmp:
            lineAmpGain = std::make_unique<float> (1.0f);
            break;
        case Equalizer:
            eqEngine = makeEqualizerEngine();
            eqEngine->sampleRate = rate;
            break;
        case MultiModulator:
            multiEngine.reset();
            multiEngine = makeMultiModulatorEngine();
            multiEngine->prepare (rate);
            break;
        case FetComp:
            fetEngine = std::make_unique<FetCompEngine>();
            fetEngine->prepare (rate);
            break;
        default:
            break;
    }
}

void TavrelDelayAudioProcessor::addBuiltInEffect (int type, int targetTrack, int chain)
{
    auto slot = makeInsertPlugin();
    slot->builtInType = type;
    slot->name = BuiltInEffects::getDeviceName (type);
    slot->targetTrack = targetTrack;

    // The engine is made and prepared before the block callback can see the slot.
    slot->createEngine (getSampleRate() > 0.0 ? getSampleRate() : 44100.0);

    std::vector<std::shared_ptr<InsertPlugin>>* target = nullptr;

    switch (chain)
    {
        case InputInserts:
            target = &inputInserts;
            break;
        case TrackInserts:
            target = &trackInserts;
            break;
        case MasterInserts:
            target = &masterInserts;
            break;
        default:
            return; // no such chain: the slot goes with this call
    }

    const ProcessingHold hold (*this);
    const juce::ScopedLock lock (audioLock);
    target->push_back (std::move (slot));
}

void TavrelDelayAudioProcessor::runInsertEffect (InsertPlugin& slot, juce::AudioBuffer<float>& buffer) noexcept
{
    // The settings are pushed every block, so an edit is heard from the next block on.
    switch (slot.builtInType)
    {
        case AnalogReverb:
            if (auto* engine = slot.reverbEngine.get())
            {
                engine->setParameters (slot.revType + 1, slot.revDecay, slot.revDamp, slot.revMix, slot.revPan);
                engine->process (buffer);
            }
            break;

        case TapeEcho:
            if (auto* engine = slot.echoEngine.get())
            {
                const auto drive = slot.echoDrive > -100.0f ? std::pow (10.0f, slot.echoDrive * 0.05f) : 0.0f;
                engine->setParameters (slot.echoTime, slot.echoFb, slot.echoAge + 1, slot.echoMix, slot.echoPan,
                                       slot.echoSync, bpm, drive);
                engine->process (buffer);
            }
            break;

        case OptoComp:
            if (auto* engine = slot.optoEngine.get())
            {
                engine->setParameters (slot.laGain, slot.laReduction, slot.laMode);
                engine->process (buffer);
            }
            break;

        case LineAmp:
            if (auto* gain = slot.lineAmpGain.get())
            {
                setLineAmpGain (*gain, slot.gainLevel);
                buffer.applyGain (*gain);
            }
            break;

        case Equalizer:
            if (auto* engine = slot.eqEngine.get())
            {
                for (size_t band = 0; band < (size_t)EqualizerEngine::numBands; ++band)
                {
                    engine->freq[band] = slot.eqFreq[band];
                    engine->gainDb[band] = slot.eqGain[band];
                    engine->q[band] = slot.eqQ[band];
                    engine->type[band] =
                        band == 0 ? EqBandFilter::LowShelf : (band == 4 ? EqBandFilter::HighShelf : EqBandFilter::Peak);
                }

                engine->process (buffer);
            }
            break;

        case MultiModulator:
            if (auto* engine = slot.multiEngine.get())
            {
                engine->setParameters (slot.mfxType, slot.mfxP1, slot.mfxP2, slot.mfxSync, bpm);
                engine->process (buffer);
            }
            break;

        case FetComp:
            if (auto* engine = slot.fetEngine.get())
            {
                engine->setParameters (slot.fetInput, slot.fetOutput, slot.fetAttack, slot.fetRelease, slot.fetRatio);
                engine->process (buffer);
            }
            break;

        default:
            break;
    }
}

std::shared_ptr<TavrelDelayAudioProcessor::InsertPlugin> makeInsertPlugin()
{
    return std::make_shared<TavrelDelayAudioProcessor::InsertPlugin>();
}
