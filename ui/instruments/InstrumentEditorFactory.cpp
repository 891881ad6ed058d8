#include "ui/instruments/InstrumentEditorFactory.h"

#include "instruments/BuiltInInstruments.h"
#include "ui/instruments/BuiltInKeyboardEditor.h"
#include "ui/instruments/InstrumentUiState.h"

namespace InstrumentEditorFactory
{
namespace
{
    using Type = BuiltInInstruments::BuiltInInstrumentType;

    /** Stands in for an editor this build does not have yet: an empty panel of the design size. */
    std::unique_ptr<juce::Component> placeholder (const EditorKind& kind)
    {
        auto panel = std::make_unique<juce::Component>();
        panel->setSize (kind.designWidth, designHeight (kind));
        return panel;
    }
} // namespace

EditorKind describe (int builtInType) noexcept
{
    switch (builtInType)
    {
        case Type::MonoSynth:
            return {1100, 555, true, "Velmora K-7 Mono Synthesizer", 0};
        case Type::RhythmMachine:
            return {1350, 480, false, "Velmora Pulsaro Rhythm Machine", 1};
        case Type::Tannerin:
            return {1350, 500, false, "Velmora Lirvando", 3};
        case Type::StageKeyboard:
            return {BuiltInKeyboardEditor::designWidth, BuiltInKeyboardEditor::baseHeight, true, "Velmora Stage Keyboard", 4};
        case Type::PolySynth:
        default:
            return {1350, 555, true, "Velmora K-70 Poly Synthesizer", 2};
    }
}

int designHeight (const EditorKind& kind) noexcept
{
    return kind.baseHeight + (kind.hasKeyboardStrip && InstrumentUiState::keyboardShown ? keyboardStripHeight : 0);
}

std::unique_ptr<juce::Component> createEditor (TavrelDelayAudioProcessor& processor,
                                               TavrelDelayAudioProcessor::InstrumentPlugin& slot,
                                               std::function<void()> onKeyboardToggled)
{
    const auto kind = describe (slot.builtInType);

    switch (slot.builtInType)
    {
        case Type::StageKeyboard:
        {
            auto editor = std::make_unique<BuiltInKeyboardEditor> (processor, &slot);
            editor->onKeyboardToggled = std::move (onKeyboardToggled);
            return editor;
        }
        default:
            return placeholder (kind);
    }
}
} // namespace InstrumentEditorFactory
