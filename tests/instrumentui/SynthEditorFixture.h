#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "tests/looks/LookTestSupport.h"
#include "tests/rackui/RackUiTestSupport.h"
#include "ui/instruments/InstrumentEditorIds.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

/** A processor with one built-in instrument slot of the editor's type and the editor on it. Every
    test starts with the keyboard strip hidden, as the program does. */
template <typename Editor, int type> struct SynthEditorFixture : ::testing::Test
{
    TavrelDelayAudioProcessor processor;
    std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> slot;
    std::unique_ptr<Editor> editor;

    SynthEditorFixture()
    {
        InstrumentUiState::keyboardShown = false;
        slot = makeInstrumentPlugin();
        slot->builtInType = type;
        slot->createEngine (48000.0);
        processor.instruments.push_back (slot);
        editor = std::make_unique<Editor> (processor, slot.get());
        processor.clearUnsavedChanges();
    }

    ~SynthEditorFixture() override
    {
        editor.reset();
        InstrumentUiState::keyboardShown = false;
    }

    juce::Slider& knob (const char* id)
    {
        auto* found = editor->findKnob (id);
        if (found == nullptr)
            throw std::runtime_error (std::string ("no knob ") + id);
        return *found;
    }

    juce::ComboBox& choice (const char* id)
    {
        auto* found = editor->findChoice (id);
        if (found == nullptr)
            throw std::runtime_error (std::string ("no choice ") + id);
        return *found;
    }

    /** What the knob's value box shows. */
    static juce::String shownText (juce::Slider& knob)
    {
        for (auto* child : knob.getChildren())
            if (auto* box = dynamic_cast<juce::Label*> (child))
                return box->getText();
        return {};
    }

    /** The section areas in order, and the header buttons placed leftwards from the panel's
        right end (c + d) with the learn pane over everything. */
    void expectLayout (std::initializer_list<juce::Rectangle<int>> sections, int panelRight)
    {
        using R = juce::Rectangle<int>;
        ASSERT_EQ (editor->sectionAreas.size(), sections.size());
        size_t i = 0;
        for (const auto& area : sections)
        {
            EXPECT_EQ (editor->sectionAreas[i], area) << "section " << i;
            ++i;
        }

        EXPECT_EQ (editor->presetButton.getBounds(), R (panelRight - 150, 52, 130, 20));
        EXPECT_EQ (editor->learnButton.getBounds(), R (panelRight - 250, 52, 90, 20));
        EXPECT_EQ (editor->kbdButton.getBounds(), R (panelRight - 310, 52, 50, 20));
        EXPECT_EQ (editor->glassPane.getBounds(), editor->getLocalBounds());
    }

    struct ShownText
    {
        const char* id;
        double value;
        const char* text;
    };

    /** Turns each knob to its value as the user would and checks what its value box shows. */
    void expectShownTexts (std::initializer_list<ShownText> cases)
    {
        for (const auto& c : cases)
        {
            knob (c.id).setValue (c.value, juce::sendNotificationSync);
            EXPECT_EQ (shownText (knob (c.id)), c.text) << c.id << " at " << c.value;
        }
    }

    /** A click on a toggling button, through its own click handling (which runs as a message). */
    static void click (juce::Button& button)
    {
        const bool before = button.getToggleState();
        button.triggerClick();
        EXPECT_TRUE (RackUiTest::pumpUntil ([&] { return button.getToggleState() != before; }));
    }
};
