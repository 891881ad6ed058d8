#pragma once

#include "instruments/PolySynthEngine.h"
#include "ui/instruments/InstrumentEditorBase.h"

#include <array>

/** The front panel of the built-in polyphonic synthesizer: 30 knobs and 6 choice boxes in eight
    sections, editing the slot's PolySynthEngine directly. Design size 1350 x 555, 320 taller
    while the on-screen keyboard is shown. */
class BuiltInPolySynthEditor : public InstrumentEditorBase
{
public:
    static constexpr int designWidth = 1350;

    BuiltInPolySynthEditor (TavrelDelayAudioProcessor&, InstrumentPlugin*);
    ~BuiltInPolySynthEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** The slot's engine, or nullptr. */
    PolySynthEngine* engine() const;

    enum Section
    {
        global,
        polyMod,
        oscillatorA,
        oscillatorB,
        lfo,
        filter,
        filterEnvelope,
        ampEnvelope,
        numSections
    };

    static const char* const sectionTitles[numSections];

    /** OSC B MODE's item ID for the two flags it stands for. */
    static int modeItemId (bool lowFrequency, bool keyTracking) noexcept;

    /** Set by resized. */
    std::array<juce::Rectangle<int>, numSections> sectionAreas;

private:
    bool hasEngine() const override { return engine() != nullptr; }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BuiltInPolySynthEditor)
};
