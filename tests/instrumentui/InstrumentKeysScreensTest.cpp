#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/instruments/EmbeddedInstrumentKeyboard.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/instruments/MusicalTypingWindow.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
void save (juce::Component& component, const juce::String& fileName)
{
    const auto folder = juce::SystemStats::getEnvironmentVariable ("DRAVIN8_SCREENSHOT_DIR", {});
    if (folder.isEmpty())
        return;
    const auto file = juce::File (folder).getChildFile (fileName);
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk()) << file.getFullPathName();
    juce::PNGImageFormat().writeImageToStream (component.createComponentSnapshot (component.getLocalBounds()), out);
}
} // namespace

// The keyboard strip alone (both looks, notes held) and the musical keyboard window.
TEST (InstrumentKeysScreensDraw, StripAndTypingWindow)
{
    InstrumentUiState::keyWidth = 35;
    TavrelDelayAudioProcessor processor;
    processor.instruments.push_back (makeInstrumentPlugin());
    processor.instruments.back()->name = "Velmora K-7 Mono Synthesizer";

    {
        auto strip = makeEmbeddedInstrumentKeyboard (processor, processor.instruments[0].get());
        strip->setSize (1360, EmbeddedInstrumentKeyboard::preferredHeight);
        strip->isKeyPhysicallyDown = [] (int) { return true; };
        for (auto c : {'a', 'g', 'k'})
            strip->keyPressed (juce::KeyPress (c, {}, (juce::juce_wchar)c));
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        save (*strip, "instrument-keyboard-strip.png");

        ModernLookAndFeel modern;
        juce::LookAndFeel::setDefaultLookAndFeel (&modern);
        strip->sendLookAndFeelChange();
        save (*strip, "instrument-keyboard-strip-minimal.png");
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        strip->focusLost (juce::Component::focusChangedDirectly);
    }

    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        return;

    juce::Component::SafePointer<MusicalTypingWindow> window (new MusicalTypingWindow (processor));
    window->isKeyPhysicallyDown = [] (int) { return true; };
    window->keyPressed (juce::KeyPress ('d', {}, 'd'));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
    save (*window, "musical-keyboard-window.png");
    delete window.getComponent();
}
