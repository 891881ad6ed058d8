#pragma once

#include "instruments/MonoSynthEngine.h"
#include "ui/instruments/InstrumentEditorBase.h"

#include <array>

/** The front panel of the built-in monophonic synthesizer: 20 knobs and 3 choice boxes in six
    sections, editing the slot's MonoSynthEngine directly. Design size 1100 x 555, 320 taller
    while the on-screen keyboard is shown. */
class BuiltInInstrumentEditor : public InstrumentEditorBase
{
public:
    static constexpr int designWidth = 1100;

    BuiltInInstrumentEditor (TavrelDelayAudioProcessor&, InstrumentPlugin*);
    ~BuiltInInstrumentEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** The slot's engine, or nullptr. */
    MonoSynthEngine* engine() const;

    enum Section
    {
        global,
        oscillators,
        modulation,
        filter,
        filterEnvelope,
        ampEnvelope,
        numSections
    };

    static const char* const sectionTitles[numSections];

    /** Set by resized. */
    std::array<juce::Rectangle<int>, numSections> sectionAreas;

private:
    bool hasEngine() const override { return engine() != nullptr; }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BuiltInInstrumentEditor)
};
