#include "rack/PluginEditorWindow.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/FocusNextTopLevelWindow.h"
#include "ui/instruments/MusicalTypingKeys.h"

PluginEditorWindow::PluginEditorWindow (const juce::String& name, TavrelDelayAudioProcessor& owner)
    : juce::DocumentWindow (name,
                            juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                            juce::DocumentWindow::allButtons),
      processor (&owner)
{
    setAlwaysOnTop (true);
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
    {
        constrainer.setMaximumSize (juce::jmax (constrainer.getMinimumWidth(), display->userArea.getWidth()),
                                    juce::jmax (constrainer.getMinimumHeight(), display->userArea.getHeight()));
        constrainer.setMinimumOnscreenAmounts (0xffffff, 0xffffff, 0xffffff, 0xffffff);
    }
    setConstrainer (&constrainer);
}

PluginEditorWindow::~PluginEditorWindow()
{
    releaseAllNotes();
    clearContentComponent();
}

int PluginEditorWindow::keyToNote (juce::juce_wchar key) const
{
    return MusicalTypingKeys::noteFor ((int)key, processor->keyboardOctave.load());
}

void PluginEditorWindow::keepTitleBarOnScreen()
{
    if (adjustingPosition)
        return;
    adjustingPosition = true;
    if (getY() < topMargin)
        setBounds (getX(), topMargin, getWidth(), getHeight());
    adjustingPosition = false;
}

juce::Rectangle<int> PluginEditorWindow::placementFor (const juce::Rectangle<int>* userArea, int editorWidth,
                                                       int editorHeight, int titleHeight)
{
    const int x0 = userArea != nullptr ? userArea->getX() : 0;
    const int y0 = userArea != nullptr ? userArea->getY() : 0;
    const int W = userArea != nullptr ? userArea->getWidth() - 40 : 800;
    const int H = userArea != nullptr ? userArea->getHeight() - 80 : 600;

    const int w = juce::jmin (editorWidth > 0 ? editorWidth : 400, W);
    const int h = juce::jmin (editorHeight > 0 ? editorHeight : 300, H);
    return {x0 + (W - w) / 2, y0 + juce::jmax (titleHeight, (H - h) / 2), w, h};
}

bool PluginEditorWindow::keyPressed (const juce::KeyPress& key)
{
    if (handleSecondaryWindowKey (key, *this))
        return true; // Escape may have deleted the window

    const auto mods = key.getModifiers();
    if (! mods.isCtrlDown() && ! mods.isAltDown() && processor->musicalTypingActive.load())
    {
        const auto c = juce::CharacterFunctions::toLowerCase ((juce::juce_wchar)MusicalTypingKeys::characterOf (key));
        auto& octave = processor->keyboardOctave;
        auto& velocity = processor->keyboardVelocity;
        if (c == 'z')
        {
            octave.store (juce::jmax (0, octave.load() - 1));
            return true;
        }
        if (c == 'x')
        {
            octave.store (juce::jmin (8, octave.load() + 1));
            return true;
        }
        if (c == 'c')
        {
            const float lower = velocity.load() - 0.1f;
            velocity.store (lower <= 0.1f ? 0.1f : lower);
            return true;
        }
        if (c == 'v')
        {
            velocity.store (juce::jmin (1.0f, velocity.load() + 0.1f));
            return true;
        }

        const int note = keyToNote ((juce::juce_wchar)MusicalTypingKeys::characterOf (key));
        if (note >= 0)
        {
            // A held key's auto-repeat does not retrigger its note.
            if (! heldNotes.contains (note))
            {
                heldNotes.add (note);
                processor->keyboardState.noteOn (1, note, velocity.load());
            }
            return true;
        }
    }

    return keyHandler != nullptr && keyHandler (key);
}

bool PluginEditorWindow::keyStateChanged (bool)
{
    // Asks for the physical key state, so a note ends with its key even when the key-up event
    // went elsewhere.
    MusicalTypingKeys::releaseLiftedNotes (heldNotes, processor->keyboardOctave.load(), processor->keyboardState,
                                           &MusicalTypingKeys::isCharacterKeyDown);
    return false;
}

void PluginEditorWindow::releaseAllNotes()
{
    for (int note : heldNotes)
        processor->keyboardState.noteOff (1, note, 0.0f);
    heldNotes.clear();
}

void PluginEditorWindow::resized()
{
    juce::DocumentWindow::resized();
    keepTitleBarOnScreen();
}

void PluginEditorWindow::moved()
{
    juce::DocumentWindow::moved();
    keepTitleBarOnScreen();
}

void PluginEditorWindow::activeWindowStatusChanged()
{
    if (! isActiveWindow())
        releaseAllNotes();
    juce::DocumentWindow::activeWindowStatusChanged();
}

void PluginEditorWindow::closeButtonPressed()
{
    delete this;
}

PluginEditorWindow* createPluginEditorWindow (TavrelDelayAudioProcessor& processor, juce::AudioProcessorEditor* editor,
                                              juce::AudioPluginInstance* instance,
                                              std::function<bool (const juce::KeyPress&)> keyHandler)
{
    if (editor == nullptr || instance == nullptr)
        return nullptr;

    auto* window = new PluginEditorWindow (instance->getName(), processor);
    window->keyHandler = std::move (keyHandler);
    window->setUsingNativeTitleBar (false);
    const int titleHeight = window->getTitleBarHeight() >= 1 ? window->getTitleBarHeight() : 30;

    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    const auto userArea = display != nullptr ? display->userArea : juce::Rectangle<int>();
    const auto place = PluginEditorWindow::placementFor (display != nullptr ? &userArea : nullptr, editor->getWidth(),
                                                         editor->getHeight(), titleHeight);
    const int W = display != nullptr ? userArea.getWidth() - 40 : 800;
    const int H = display != nullptr ? userArea.getHeight() - 80 : 600;

    editor->setSize (place.getWidth(), place.getHeight());
    window->setContentOwned (editor, true);
    window->setResizable (editor->isResizable(), editor->isResizable());
    window->constrainer.setSizeLimits (100, 100, juce::jmax (100, W), juce::jmax (100, H));

    // Always on top rather than attached to the main window: on Linux attaching to another
    // native window embeds this one inside it.
    window->setContentComponentSize (place.getWidth(), place.getHeight());
    window->setTopLeftPosition (place.getX(), place.getY());
    window->setVisible (true);
    return window;
}
