#include "ui/panels/ThemeEditorWindow.h"

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <juce_gui_extra/juce_gui_extra.h>

namespace
{
/** A colour selector that owns the listener bound to it. */
struct SwatchSelector : public juce::ColourSelector
{
    SwatchSelector (std::unique_ptr<ThemeEditorWindow::ColorChangeListener> ownListener)
        : listener (std::move (ownListener))
    {
        addChangeListener (listener.get());
    }

    ~SwatchSelector() override { removeChangeListener (listener.get()); }

    std::unique_ptr<ThemeEditorWindow::ColorChangeListener> listener;
};
} // namespace

ThemeEditorWindow::ThemeEditorWindow (TavrelDelayAudioProcessorEditor& editorToTheme, ModernLookAndFeel& lookToEdit)
    : juce::DocumentWindow ("Edit Minimal Theme Colors", juce::Colours::black, juce::DocumentWindow::closeButton, true),
      editor (&editorToTheme), look (&lookToEdit)
{
    auto* content = new juce::Component();
    content->setSize (320, 320);
    setContentOwned (content, true);

    addColourRow ("Background", look->cBg);
    addColourRow ("Chassis Top", look->cChassis1);
    addColourRow ("Chassis Bottom", look->cChassis2);
    addColourRow ("Channel Strip", look->cStrip);
    addColourRow ("Accent (Mint)", look->cAccent);
    addColourRow ("Dark Text/Knobs", look->cDark);
    addColourRow ("Warning (Red)", look->cRed);

    resetButton.setButtonText ("Reset to Defaults (Dark Mode)");
    resetButton.onClick = [this] { resetToDarkMode(); };
    resetButton.setBounds (10, 10 + 7 * 34 + 10, 300, 24);
    content->addAndMakeVisible (resetButton);

    setUsingNativeTitleBar (true);
    setResizable (false, false);

    constrainer.attachTo (*this);

    setAlwaysOnTop (true);
    setVisible (true);
}

ThemeEditorWindow::~ThemeEditorWindow()
{
    setConstrainer (nullptr);
    for (auto* swatch : colourButtons)
        swatch->setLookAndFeel (nullptr);
}

void ThemeEditorWindow::closeButtonPressed()
{
    delete this;
}

void ThemeEditorWindow::addColourRow (const juce::String& text, juce::uint32& colour)
{
    auto* content = getContentComponent();
    const int y = 10 + 34 * labels.size();

    auto* label = labels.add (new juce::Label (text, text));
    label->setColour (juce::Label::textColourId, juce::Colours::white);
    label->setBounds (10, y, 140, 24);
    content->addAndMakeVisible (label);

    auto* swatch = colourButtons.add (new juce::TextButton());
    paintSwatch (*swatch, colour);
    swatch->setLookAndFeel (&swatchLook);
    swatch->setBounds (160, y, 150, 24);
    swatch->onClick = [this, swatch, &colour, text]
    {
        auto selector =
            std::make_unique<SwatchSelector> (std::make_unique<ColorChangeListener> (colour, *swatch, *this));
        selector->setName (text);
        selector->setCurrentColour (juce::Colour (colour), juce::dontSendNotification);
        selector->setSize (300, 400);
        juce::CallOutBox::launchAsynchronously (std::move (selector), swatch->getScreenBounds(), nullptr);
    };
    content->addAndMakeVisible (swatch);
}

void ThemeEditorWindow::paintSwatch (juce::TextButton& swatch, juce::uint32 colour)
{
    const juce::Colour c (colour);
    const auto textColour = c.getPerceivedBrightness() >= 0.5f ? juce::Colours::black : juce::Colours::white;
    swatch.setButtonText (juce::String::toHexString ((juce::int64)colour).paddedLeft ('0', 8).toUpperCase());
    swatch.setColour (juce::TextButton::buttonColourId, c);
    swatch.setColour (juce::TextButton::textColourOffId, textColour);
    swatch.setColour (juce::TextButton::textColourOnId, textColour);
}

void ThemeEditorWindow::applyTheme()
{
    auto* target = editor.getComponent();

    // The look belongs to the editor: without it there is nothing left to theme.
    if (target == nullptr)
        return;

    look->saveTheme();
    look->applyThemeColours();
    target->sendLookAndFeelChange();
    target->backgroundCache = {};
    target->overlayCache = {};
    target->repaint();
}

void ThemeEditorWindow::resetToDarkMode()
{
    if (editor.getComponent() != nullptr)
    {
        look->setDarkMode (true);
        applyTheme();
    }

    // Deleted once the click has returned, so no swatch is left showing a stale colour.
    juce::MessageManager::callAsync ([safe = juce::Component::SafePointer<ThemeEditorWindow> (this)]
                                     { delete safe.getComponent(); });
}

ThemeEditorWindow::ColorChangeListener::ColorChangeListener (juce::uint32& colourToEdit, juce::TextButton& swatchButton,
                                                             ThemeEditorWindow& owner)
    : colour (colourToEdit), swatch (&swatchButton), window (&owner)
{
}

void ThemeEditorWindow::ColorChangeListener::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    auto* selector = dynamic_cast<juce::ColourSelector*> (source);
    auto* owner = window.getComponent();

    // The colour member lives in the editor's look: only touched while the window (and so the
    // editor it checks) is there.
    if (selector == nullptr || owner == nullptr || owner->editor.getComponent() == nullptr)
        return;

    // The selector shows its alpha slider, so the chosen alpha is kept.
    colour = selector->getCurrentColour().getARGB();

    if (auto* button = swatch.getComponent())
        paintSwatch (*button, colour);

    owner->applyTheme();
}
