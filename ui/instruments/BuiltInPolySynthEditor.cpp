#include "ui/instruments/BuiltInPolySynthEditor.h"

#include "instruments/BuiltInInstruments.h"
#include "ui/instruments/InstrumentEditorIds.h"

namespace Ids = InstrumentEditorIds;

const char* const BuiltInPolySynthEditor::sectionTitles[] = {"GLOBAL", "POLY MOD", "OSCILLATOR A",    "OSCILLATOR B",
                                                             "LFO",    "FILTER",   "FILTER ENVELOPE", "AMP ENVELOPE"};

int BuiltInPolySynthEditor::modeItemId (bool lowFrequency, bool keyTracking) noexcept
{
    return (lowFrequency ? 1 : 0) + (keyTracking ? 0 : 2) + 1;
}

BuiltInPolySynthEditor::BuiltInPolySynthEditor (TavrelDelayAudioProcessor& p, InstrumentPlugin* s)
    : InstrumentEditorBase (p, s, BuiltInInstruments::polySynthPresetFolder,
                            {"Velmora K-70 POLY SYNTHESIZER", 0.8411458f, 0.083333336f})
{
    if (engine() == nullptr)
        return;

    using E = PolySynthEngine;
    const juce::StringArray waves{"Sawtooth", "Pulse", "Triangle", "Sine"};
    addChoice (Ids::waveA, "WAVE A", waves, itemBinding (this, &E::osc1Wave));
    addChoice (
        Ids::sync, "HARD SYNC", {"Off", "Sync Osc A"},
        {[this] { return engine()->syncMode ? 2.0 : 1.0; }, [this] (double id) { engine()->syncMode = (int)id == 2; }});
    addChoice (Ids::waveB, "WAVE B", waves, itemBinding (this, &E::osc2Wave));
    addChoice (Ids::modeB, "OSC B MODE", {"Normal", "LO Freq", "KBD Off", "LO Freq + KBD Off"},
               {[this] { return (double)modeItemId (engine()->osc2LfoMode, engine()->osc2KeyTrack); },
                [this] (double value)
                {
                    const int id = (int)value;
                    engine()->osc2LfoMode = id == 2 || id == 4;
                    engine()->osc2KeyTrack = id == 1 || id == 2;
                }});
    addChoice (Ids::lfoWave, "LFO WAVE", {"Triangle", "Sawtooth", "Square", "Sine"}, itemBinding (this, &E::lfoWave));
    addChoice (Ids::lfoTarget, "LFO TARGET", {"Pitch", "Filter", "Pulse Width"}, itemBinding (this, &E::lfoTarget));

    addKnob ({Ids::volume, "MASTER", 0.0, 2.0, 1.0, ""}, fieldBinding (this, &E::masterVol));
    addKnob ({Ids::tune, "TUNE", -100.0, 100.0, 1.0, " ct"}, fieldBinding (this, &E::globalTune));
    addKnob ({Ids::glide, "GLIDE", 0.0, 1000.0, 1.0, " ms"}, fieldBinding (this, &E::glide));
    addKnob ({Ids::velocity, "VELOCITY", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::velSens));
    addKnob ({Ids::envToFreqA, "ENV > FRQ", 0.0, 24.0, 1.0, " st"}, fieldBinding (this, &E::polyModFEnvFreqA));
    addKnob ({Ids::oscToFreqA, "OSC > FRQ", 0.0, 24.0, 1.0, " st"}, fieldBinding (this, &E::polyModOscBFreqA));
    addKnob ({Ids::oscToFilter, "OSC > FLT", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::polyModOscBFilter));
    addKnob ({Ids::oscToWidth, "OSC > PW", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::polyModOscBPW));
    addKnob ({Ids::octaveA, "OCTAVE A", -2.0, 2.0, 1.0, " oct", 1.0}, fieldBinding (this, &E::osc1Octave));
    addKnob ({Ids::widthA, "WIDTH A", 0.05, 0.95, 1.0, ""}, fieldBinding (this, &E::osc1PW));
    addKnob ({Ids::levelA, "LEVEL A", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::osc1Mix));
    addKnob ({Ids::octaveB, "OCTAVE B", -2.0, 2.0, 1.0, " oct", 1.0}, fieldBinding (this, &E::osc2Octave));
    addKnob ({Ids::fineB, "FINE", -100.0, 100.0, 1.0, " ct"}, fieldBinding (this, &E::osc2Fine));
    addKnob ({Ids::widthB, "WIDTH B", 0.05, 0.95, 1.0, ""}, fieldBinding (this, &E::osc2PW));
    addKnob ({Ids::levelB, "LEVEL B", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::osc2Mix));
    addKnob ({Ids::noise, "NOISE", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::noiseMix));
    addKnob ({Ids::lfoRate, "RATE", 0.01, 50.0, 0.3, " Hz"}, fieldBinding (this, &E::lfoRate));
    addKnob ({Ids::lfoAmount, "AMOUNT", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::lfoAmt));
    addFilterKnobs (this);
    addKnob ({Ids::keyTrack, "KEY TRACK", 0.0, 1.0, 1.0, ""}, fieldBinding (this, &E::filterKeyTrack));
    addEnvelopeKnobs (this);

    finishSetUp (designWidth);
}

BuiltInPolySynthEditor::~BuiltInPolySynthEditor() = default;

PolySynthEngine* BuiltInPolySynthEditor::engine() const
{
    return slot != nullptr ? slot->polyEngine.get() : nullptr;
}

void BuiltInPolySynthEditor::paint (juce::Graphics& g)
{
    paintFace (g);

    for (int i = 0; i < numSections; ++i)
    {
        const auto& area = sectionAreas[(size_t)i];
        paintSection (g, area, sectionTitles[i]);

        // The sections with a choice row divide it from their knobs.
        if (i == oscillatorA || i == oscillatorB || i == lfo)
            paintGroove (g, area.getX() + 15, area.getY() + 85, area.getWidth() - 30, 2);
    }
}

void BuiltInPolySynthEditor::resized()
{
    const int c = panelWidth(), d = panelLeft(), e = c - 60;
    layOutHeader (c, d);

    const int l = 4 * e / 16, m = 3 * e / 16, p = 3 * e / 15, q = 4 * e / 15;

    auto& areas = sectionAreas;
    areas[global] = {d + 12, 84, l, 205};
    areas[polyMod] = {areas[global].getRight() + 12, 84, l, 205};
    areas[oscillatorA] = {areas[polyMod].getRight() + 12, 84, m, 205};
    areas[oscillatorB] = {areas[oscillatorA].getRight() + 12, 84, e - 2 * l - m, 205};
    areas[lfo] = {d + 12, 301, p, 195};
    areas[filter] = {areas[lfo].getRight() + 12, 301, q, 195};
    areas[filterEnvelope] = {areas[filter].getRight() + 12, 301, q, 195};
    areas[ampEnvelope] = {areas[filterEnvelope].getRight() + 12, 301, e - 2 * q - p, 195};

    layOutKnobsInCells (areas[global], 90, {Ids::volume, Ids::tune, Ids::glide, Ids::velocity});
    layOutKnobsInCells (areas[polyMod], 90, {Ids::envToFreqA, Ids::oscToFreqA, Ids::oscToFilter, Ids::oscToWidth});
    layOutChoicesInCells (areas[oscillatorA], {Ids::waveA, Ids::sync});
    layOutKnobsInCells (areas[oscillatorA], 120, {Ids::octaveA, Ids::widthA, Ids::levelA});
    layOutChoicesInCells (areas[oscillatorB], {Ids::waveB, Ids::modeB});
    layOutKnobsInCells (areas[oscillatorB], 120, {Ids::octaveB, Ids::fineB, Ids::widthB, Ids::levelB, Ids::noise});
    layOutChoicesInCells (areas[lfo], {Ids::lfoWave, Ids::lfoTarget});
    layOutKnobsInCells (areas[lfo], 110, {Ids::lfoRate, Ids::lfoAmount});
    layOutKnobsInCells (areas[filter], 85, {Ids::cutoff, Ids::resonance, Ids::envMod, Ids::keyTrack});
    layOutKnobsInCells (areas[filterEnvelope], 85,
                        {Ids::filterAttack, Ids::filterDecay, Ids::filterSustain, Ids::filterRelease});
    layOutKnobsInCells (areas[ampEnvelope], 85, {Ids::ampAttack, Ids::ampDecay, Ids::ampSustain, Ids::ampRelease});
}
