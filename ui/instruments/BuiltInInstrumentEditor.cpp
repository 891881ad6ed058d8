#include "ui/instruments/BuiltInInstrumentEditor.h"

#include "instruments/BuiltInInstruments.h"
#include "ui/instruments/InstrumentEditorIds.h"

namespace Ids = InstrumentEditorIds;

const char* const BuiltInInstrumentEditor::sectionTitles[] = {"GLOBAL", "OSCILLATORS & MIXER", "MODULATION",
                                                              "FILTER", "FILTER ENVELOPE",     "AMP ENVELOPE"};

BuiltInInstrumentEditor::BuiltInInstrumentEditor (TavrelDelayAudioProcessor& p, InstrumentPlugin* s)
    : InstrumentEditorBase (p, s, BuiltInInstruments::monoSynthPresetFolder,
                            {"Velmora K-7 MONO SYNTHESIZER", 0.84166664f, 0.0796875f})
{
    if (engine() == nullptr)
        return;

    using E = MonoSynthEngine;
    const juce::StringArray waves{"Sawtooth", "Square", "Triangle"};
    addChoice (Ids::wave1, "WAVE 1", waves, itemBinding (this, &E::osc1Wave));
    addChoice (Ids::wave2, "WAVE 2", waves, itemBinding (this, &E::osc2Wave));
    addChoice (Ids::lfoTarget, "TARGET", {"Pitch", "Filter"}, itemBinding (this, &E::lfoTarget));

    addKnob ({Ids::mix1, "LEVEL 1", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::osc1Mix));
    addKnob ({Ids::tune2, "TUNE 2", -24.0, 24.0, 1.0, " st"}, fieldBinding (this, &E::osc2Tune));
    addKnob ({Ids::mix2, "LEVEL 2", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::osc2Mix));
    addKnob ({Ids::noise, "NOISE", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::noiseMix));
    addKnob ({Ids::glide, "GLIDE", 0.0, 1000.0, 1.0, " ms"}, fieldBinding (this, &E::synthGlide));
    addKnob ({Ids::lfoRate, "RATE", 0.1, 50.0, 1.0, " Hz"}, fieldBinding (this, &E::lfoRate));
    addKnob ({Ids::lfoAmount, "AMOUNT", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::lfoAmt));
    addFilterKnobs (this);
    addEnvelopeKnobs (this);
    addKnob ({Ids::octave, "OCTAVE", -3.0, 3.0, 1.0, " oct", 1.0}, fieldBinding (this, &E::globalOctave));
    addKnob ({Ids::tune, "TUNE", -100.0, 100.0, 1.0, " ct"}, fieldBinding (this, &E::globalTune));

    finishSetUp (designWidth);
}

BuiltInInstrumentEditor::~BuiltInInstrumentEditor() = default;

MonoSynthEngine* BuiltInInstrumentEditor::engine() const
{
    return slot != nullptr ? slot->monoEngine.get() : nullptr;
}

void BuiltInInstrumentEditor::paint (juce::Graphics& g)
{
    paintFace (g);

    for (int i = 0; i < numSections; ++i)
    {
        const auto& area = sectionAreas[(size_t)i];
        paintSection (g, area, sectionTitles[i]);
        paintGroove (g, area.getX() + 20, area.getY() + 32, area.getWidth() - 40, 1);
    }
}

void BuiltInInstrumentEditor::resized()
{
    const int c = panelWidth(), d = panelLeft(), e = c - 48;
    layOutHeader (c, d);

    const int g = (int)((float)e * 0.2f);
    const int o = (int)((float)e * 0.5f);
    const int f = (int)((float)e * 0.28f);
    const int halfRest = (e - f) / 2;

    auto& areas = sectionAreas;
    areas[global] = {d + 12, 87, g, 185};
    areas[oscillators] = {areas[global].getRight() + 12, 87, o, 185};
    areas[modulation] = {areas[oscillators].getRight() + 12, 87, e - o - g, 185};
    areas[filter] = {d + 12, 284, f, 145};
    areas[filterEnvelope] = {areas[filter].getRight() + 12, 284, halfRest, 145};
    areas[ampEnvelope] = {areas[filterEnvelope].getRight() + 12, 284, halfRest, 145};

    layOutKnobsInSteps (areas[global], 105, {Ids::octave, Ids::tune});
    layOutKnobsInSteps (areas[oscillators], 105, {Ids::mix1, Ids::tune2, Ids::mix2, Ids::noise});
    layOutKnobsInSteps (areas[modulation], 105, {Ids::glide, Ids::lfoRate, Ids::lfoAmount});
    layOutKnobsInSteps (areas[filter], 60, {Ids::cutoff, Ids::resonance, Ids::envMod});
    layOutKnobsInSteps (areas[filterEnvelope], 60,
                        {Ids::filterAttack, Ids::filterDecay, Ids::filterSustain, Ids::filterRelease});
    layOutKnobsInSteps (areas[ampEnvelope], 60, {Ids::ampAttack, Ids::ampDecay, Ids::ampSustain, Ids::ampRelease});

    const auto& osc = areas[oscillators];
    const auto& mod = areas[modulation];
    placeChoice (Ids::wave1, osc.getX() + 75, osc.getY() + 55);
    placeChoice (Ids::wave2, osc.getRight() - 175, osc.getY() + 55);
    placeChoice (Ids::lfoTarget, mod.getX() + mod.getWidth() / 2 - 50, mod.getY() + 55);
}
