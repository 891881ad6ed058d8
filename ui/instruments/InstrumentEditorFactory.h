#pragma once

#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** The one place that knows which editor each built-in instrument type opens with, its design
    size, its window title and whether it carries the on-screen keyboard strip. */
namespace InstrumentEditorFactory
{
/** Height the keyboard strip adds to an editor that has one. */
inline constexpr int keyboardStripHeight = 320;

struct EditorKind
{
    int designWidth = 0;
    int baseHeight = 0; // without the keyboard strip
    bool hasKeyboardStrip = false;
    const char* windowTitle = "";
    int rememberIndex = 0; // 0..4: the per-type slot of process-wide window memory
};

/** The kind of a type; any type other than 1, 2, 4 and 5 opens the poly synthesizer's editor. */
EditorKind describe (int builtInType) noexcept;

/** The design height now: the base height plus the strip while the keyboard is shown. */
int designHeight (const EditorKind& kind) noexcept;

/** The editor of the slot's type for the slot. onKeyboardToggled is installed on editors with a
    keyboard strip; the editor calls it after showing or hiding the strip. */
std::unique_ptr<juce::Component> createEditor (TavrelDelayAudioProcessor& processor,
                                               TavrelDelayAudioProcessor::InstrumentPlugin& slot,
                                               std::function<void()> onKeyboardToggled);
} // namespace InstrumentEditorFactory
