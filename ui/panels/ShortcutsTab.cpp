#include "ui/panels/ShortcutsTab.h"

#include "ui/deck/ShortcutActions.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"
#include "ui/panels/SettingsPanelTexts.h"

namespace T = SettingsPanelTexts;

namespace
{
const juce::Colour keyButtonColour (0xff222222);
const juce::Colour learningColour (0xffff0000);
} // namespace

ShortcutsTab::ShortcutsTab (TavrelDelayAudioProcessorEditor& editorToUse) : editor (editorToUse)
{
    instructions.setText (T::shortcutInstructions, juce::dontSendNotification);
    instructions.setJustificationType (juce::Justification::centred);
    instructions.setColour (juce::Label::textColourId, juce::Colour (0xffffa500));
    addAndMakeVisible (instructions);

    // Rows are placed once here; only the instructions and the reset button follow the size.
    for (int i = 0; i < (int)ShortcutActions::all.size(); ++i)
    {
        const juce::String action (ShortcutActions::all[(size_t)i]);
        const int y = 35 + 28 * i;

        auto* label = actionLabels.add (new juce::Label ({}, action));
        label->setJustificationType (juce::Justification::centredLeft);
        label->setColour (juce::Label::textColourId, juce::Colour (0xffd3d3d3));
        label->setBounds (30, y, 170, 24);
        addAndMakeVisible (label);

        auto* button = keyButtons.add (new juce::TextButton (keyTextFor (editor, action)));
        button->setColour (juce::TextButton::buttonColourId, keyButtonColour);
        button->setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        button->setBounds (210, y, 100, 24);
        button->onClick = [this, i] { startLearning (i); };
        // The key to bind must reach the editor, not this button (which would take Return).
        button->setWantsKeyboardFocus (false);
        addAndMakeVisible (button);
    }

    resetButton.setButtonText (T::resetDefaults);
    resetButton.onClick = [this]
    {
        editor.resetShortcutsToDefaults();
        refreshKeyTexts();
    };
    addAndMakeVisible (resetButton);
}

ShortcutsTab::~ShortcutsTab()
{
    if (editor.shortcutActionToLearn.isNotEmpty())
    {
        editor.shortcutActionToLearn.clear();
        editor.onShortcutLearned = nullptr;
    }
}

juce::String ShortcutsTab::keyTextFor (const TavrelDelayAudioProcessorEditor& editorToRead, const juce::String& action)
{
    const auto found = editorToRead.shortcutBindings.find (action);
    if (found == editorToRead.shortcutBindings.end() || found->second.getKeyCode() == 0)
        return T::noKey;

    return found->second.getTextDescription();
}

void ShortcutsTab::startLearning (int row)
{
    // A row clicked earlier and left waiting shows its key again.
    refreshKeyTexts();

    auto* button = keyButtons[row];
    button->setButtonText (T::pressKey);
    button->setColour (juce::TextButton::buttonColourId, learningColour);

    editor.shortcutActionToLearn = actionLabels[row]->getText();
    editor.onShortcutLearned = [this, row]
    {
        auto* learned = keyButtons[row];
        learned->setButtonText (keyTextFor (editor, actionLabels[row]->getText()));
        learned->setColour (juce::TextButton::buttonColourId, keyButtonColour);
    };

    if (editor.isShowing())
        editor.grabKeyboardFocus();
}

void ShortcutsTab::refreshKeyTexts()
{
    for (int i = 0; i < keyButtons.size(); ++i)
    {
        keyButtons[i]->setButtonText (keyTextFor (editor, actionLabels[i]->getText()));
        keyButtons[i]->setColour (juce::TextButton::buttonColourId, keyButtonColour);
    }
}

void ShortcutsTab::resized()
{
    instructions.setBounds (0, 10, getWidth(), 20);
    resetButton.setBounds (getWidth() / 2 - 60, getHeight() - 40, 120, 25);
}
