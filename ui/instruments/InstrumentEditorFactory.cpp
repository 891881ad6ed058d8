#include "ui/instruments/InstrumentEditorFactory.h"

#include "instruments/BuiltInInstruments.h"
#include "ui/instruments/BuiltInInstrumentEditor.h"
#include "ui/instruments/BuiltInKeyboardEditor.h"
#include "ui/instruments/BuiltInPolySynthEditor.h"
#include "ui/instruments/BuiltInRhythmEditor.h"
#include "ui/instruments/BuiltInTannerinEditor.h"
#include "ui/instruments/InstrumentUiState.h"

namespace InstrumentEditorFactory
{
namespace
{
    using Type = BuiltInInstruments::BuiltInInstrumentType;

    template <typename Editor>
    std::unique_ptr<juce::Component> withKeyboardStrip (std::unique_ptr<Editor> editor, std::function<void()> onToggled)
    {
        editor->onKeyboardToggled = std::move (onToggled);
        return editor;
    }
} // namespace

EditorKind describe (int builtInType) noexcept
{
    switch (builtInType)
    {
        case Type::MonoSynth:
            return {BuiltInInstrumentEditor::designWidth, InstrumentEditorBase::panelHeight, true,
                    "Velmora K-7 Mono Synthesizer", 0};
        case Type::RhythmMachine:
            return {BuiltInRhythmEditor::designWidth, BuiltInRhythmEditor::designHeight, false,
                    "Velmora Pulsaro Rhythm Machine", 1};
        case Type::Tannerin:
            return {BuiltInTannerinEditor::designWidth, BuiltInTannerinEditor::designHeight, false, "Velmora Lirvando", 3};
        case Type::StageKeyboard:
            return {BuiltInKeyboardEditor::designWidth, BuiltInKeyboardEditor::baseHeight, true, "Velmora Stage Keyboard", 4};
        case Type::PolySynth:
        default:
            return {BuiltInPolySynthEditor::designWidth, InstrumentEditorBase::panelHeight, true,
                    "Velmora K-70 Poly Synthesizer", 2};
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
    switch (slot.builtInType)
    {
        case Type::MonoSynth:
            return withKeyboardStrip (std::make_unique<BuiltInInstrumentEditor> (processor, &slot), std::move (onKeyboardToggled));
        case Type::RhythmMachine:
            return std::make_unique<BuiltInRhythmEditor> (processor, &slot);
        case Type::Tannerin:
            return std::make_unique<BuiltInTannerinEditor> (processor, &slot);
        case Type::StageKeyboard:
            return withKeyboardStrip (std::make_unique<BuiltInKeyboardEditor> (processor, &slot), std::move (onKeyboardToggled));
        case Type::PolySynth:
        default:
            return withKeyboardStrip (std::make_unique<BuiltInPolySynthEditor> (processor, &slot), std::move (onKeyboardToggled));
    }
}
} // namespace InstrumentEditorFactory
