// The insert slot record and the making of its built-in effect engines.

#include "engine/TavrelDelayAudioProcessor.h"

#include "effects/BuiltInEffects.h"
#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
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

std::shared_ptr<TavrelDelayAudioProcessor::InsertPlugin> makeInsertPlugin()
{
    return std::make_shared<TavrelDelayAudioProcessor::InsertPlugin>();
}
