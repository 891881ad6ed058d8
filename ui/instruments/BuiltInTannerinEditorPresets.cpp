#include "ui/instruments/BuiltInTannerinEditor.h"

#include "instruments/TannerinEngine.h"
#include "ui/instruments/InstrumentPresetMenu.h"
#include "ui/instruments/InstrumentLearnMode.h"
#include "ui/instruments/TannerinIds.h"

// Presets and MIDI learn of the slide editor.

namespace
{
// The stored sound, in file order, with the default of a missing attribute. The pitch, LATCH
// and LIGHTS are playing state, not part of a sound.
struct FloatAttribute
{
    const char* name;
    float TannerinEngine::* field;
    double fallback;
};

const FloatAttribute leadingFloats[] = {{"masterVol", &TannerinEngine::masterVol, 1.0}};

const FloatAttribute mixFloats[] = {
    {"osc1Mix", &TannerinEngine::osc1Mix, 1.0},
    {"osc2Mix", &TannerinEngine::osc2Mix, 0.3},
    {"osc2Tune", &TannerinEngine::osc2Tune, 12.0},
    {"osc2Fine", &TannerinEngine::osc2Fine, 0.0},
};

const FloatAttribute filterFloats[] = {
    {"synthCutoff", &TannerinEngine::synthCutoff, 2000.0}, {"synthRes", &TannerinEngine::synthRes, 0.1},
    {"synthEnvMod", &TannerinEngine::synthEnvMod, 0.0},    {"fEnvA", &TannerinEngine::fEnvA, 5.0},
    {"fEnvD", &TannerinEngine::fEnvD, 500.0},              {"fEnvS", &TannerinEngine::fEnvS, 1.0},
    {"fEnvR", &TannerinEngine::fEnvR, 500.0},              {"aEnvA", &TannerinEngine::aEnvA, 407.0},
    {"aEnvD", &TannerinEngine::aEnvD, 500.0},              {"aEnvS", &TannerinEngine::aEnvS, 1.0},
    {"aEnvR", &TannerinEngine::aEnvR, 1100.0},             {"lfoRate", &TannerinEngine::lfoRate, 6.0},
    {"lfoAmt", &TannerinEngine::lfoAmt, 0.0},              {"lfoDelay", &TannerinEngine::lfoDelay, 0.0},
    {"lfoAttack", &TannerinEngine::lfoAttack, 0.0},
};

struct IntAttribute
{
    const char* name;
    int TannerinEngine::* field;
    int fallback;
};

const IntAttribute shapeInts[] = {
    {"globalOctave", &TannerinEngine::globalOctave, 1},
    {"waveShape", &TannerinEngine::waveShape, 0},
    {"osc2Wave", &TannerinEngine::osc2Wave, 0},
};

const IntAttribute filterTypeInt{"filterType", &TannerinEngine::filterType, 0};

constexpr const char* autoGateAttribute = "autoGate";
} // namespace

std::unique_ptr<juce::XmlElement> BuiltInTannerinEditor::createPresetXml() const
{
    auto xml = std::make_unique<juce::XmlElement> ("PRESET");
    auto* e = engine();
    if (e == nullptr)
        return xml;

    const auto putFloat = [&] (const FloatAttribute& a) { xml->setAttribute (a.name, (double)(e->*a.field)); };
    const auto putInt = [&] (const IntAttribute& a) { xml->setAttribute (a.name, e->*a.field); };

    for (const auto& a : leadingFloats)
        putFloat (a);
    for (const auto& a : shapeInts)
        putInt (a);
    for (const auto& a : mixFloats)
        putFloat (a);
    putInt (filterTypeInt);
    for (const auto& a : filterFloats)
        putFloat (a);
    xml->setAttribute (autoGateAttribute, touchButton.getToggleState() ? 1 : 0);
    return xml;
}

void BuiltInTannerinEditor::applyPresetXml (const juce::XmlElement& xml)
{
    auto* e = engine();
    if (e == nullptr)
        return;

    const auto getFloat = [&] (const FloatAttribute& a) { e->*a.field = (float)xml.getDoubleAttribute (a.name, a.fallback); };
    const auto getInt = [&] (const IntAttribute& a) { e->*a.field = xml.getIntAttribute (a.name, a.fallback); };

    for (const auto& a : leadingFloats)
        getFloat (a);
    for (const auto& a : shapeInts)
        getInt (a);
    for (const auto& a : mixFloats)
        getFloat (a);
    getInt (filterTypeInt);
    for (const auto& a : filterFloats)
        getFloat (a);

    for (int k = 0; k < knobCount; ++k)
        knobs[(size_t)k].setValue (fieldValue (*e, k), juce::dontSendNotification);
    wave1Box.setSelectedId (e->waveShape + 1, juce::dontSendNotification);
    wave2Box.setSelectedId (e->osc2Wave + 1, juce::dontSendNotification);
    filterTypeBox.setSelectedId (e->filterType + 1, juce::dontSendNotification);
    touchButton.setToggleState (xml.getBoolAttribute (autoGateAttribute, false), juce::dontSendNotification);

    markChanged();
}

void BuiltInTannerinEditor::showPresets()
{
    auto& name = slot != nullptr ? slot->presetName : presetName;
    showInstrumentPresetMenu (
        &presetButton, name, TannerinIds::presetCategory, [this] { return createPresetXml(); },
        [this] (const juce::XmlElement& xml) { applyPresetXml (xml); });
}

//==============================================================================
void BuiltInTannerinEditor::learnClicked()
{
    InstrumentLearnMode::learnButtonClicked (processor, learnButton, glassPane, learnTarget, *this);
}

void BuiltInTannerinEditor::learnControl (const juce::MouseEvent& event)
{
    // The control under the pointer, looked for inside this editor only: another window over
    // the editor (an editor of another instrument) must not be armed as one of ours.
    glassPane.setVisible (false);
    auto* found = getComponentAt (event.getEventRelativeTo (this).getPosition());
    glassPane.setVisible (true);

    // A choice box's text fills most of it: a click there means the box.
    if (found != nullptr && found->getComponentID().isEmpty())
        if (auto* box = dynamic_cast<juce::ComboBox*> (found->getParentComponent()))
            found = box;

    if (found == nullptr || found == this || found->getComponentID().isEmpty() || slot == nullptr
        || found == &learnButton)
        return;

    InstrumentLearnMode::arm (processor, *found, slot->builtInType, learnTarget, *this);
}

void BuiltInTannerinEditor::paintOverChildren (juce::Graphics& g)
{
    InstrumentLearnMode::paintTargetFrame (g, processor, learnTarget, *this);
}
