// The instrument slot record and the making of its built-in instrument engines.

#include "engine/TavrelDelayAudioProcessor.h"

#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"

TavrelDelayAudioProcessor::InstrumentPlugin::InstrumentPlugin() = default;

TavrelDelayAudioProcessor::InstrumentPlugin::~InstrumentPlugin() = default;

void TavrelDelayAudioProcessor::InstrumentPlugin::createEngine (double sampleRate)
{
    using namespace BuiltInInstruments;
    const auto rate = sampleRate > 0.0 ? sampleRate : 44100.0;

    // A slot holds only the engine of its own type.
    monoEngine.reset();
    rhythmEngine.reset();
    polyEngine.reset();
    tannerinEngine.reset();
    keyboardEngine.reset();

    switch (builtInType)
    {
        case MonoSynth:
            monoEngine = makeMonoSynthEngine();
            monoEngine->prepare (rate);
            break;
        case RhythmMachine:
            rhythmEngine = makeRhythmEngine();
            rhythmEngine->prepare (rate);
            rhythmEngine->loadPattern (0);
            break;
        case PolySynth:
            polyEngine = makePolySynthEngine();
            polyEngine->prepare (rate);
            break;
        case Tannerin:
            tannerinEngine = makeTannerinEngine();
            tannerinEngine->prepare (rate);
            break;
        case StageKeyboard:
            keyboardEngine = makeStageKeyboardEngine();
            keyboardEngine->prepare (rate);
            break;
        default:
            break;
    }
}

std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> makeInstrumentPlugin()
{
    return std::make_shared<TavrelDelayAudioProcessor::InstrumentPlugin>();
}
