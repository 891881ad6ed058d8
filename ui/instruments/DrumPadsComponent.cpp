#include "ui/instruments/DrumPadsComponent.h"

#include "ui/instruments/BuiltInRhythmEditorIds.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

namespace
{
// Top row first, then the bottom row; notes are the General MIDI percussion numbers the
// rhythm machine's voices answer to.
const DrumPadsComponent::PadDef padTable[DrumPadsComponent::numPads] = {
    {"RIM", "W", 37, 'W'}, {"CLV", "E", 75, 'E'}, {"CH", "T", 42, 'T'}, {"OH", "Y", 46, 'Y'}, {"CB", "U", 56, 'U'},
    {"KIK", "A", 36, 'A'}, {"SN1", "S", 38, 'S'}, {"SN2", "D", 40, 'D'}, {"TH", "F", 50, 'F'}, {"TL", "G", 41, 'G'},
};
} // namespace

//==============================================================================
DrumPadsComponent::Pad::Pad (const PadDef& def) : padName (def.name), keyHint (def.keyHint), padNote (def.note)
{
}

void DrumPadsComponent::Pad::setDown (bool down)
{
    if (down == isDown)
        return;
    isDown = down;
    repaint();
    if (onTrigger)
        onTrigger (padNote, down);
}

void DrumPadsComponent::Pad::mouseDown (const juce::MouseEvent&)
{
    setDown (true);
}

void DrumPadsComponent::Pad::mouseUp (const juce::MouseEvent&)
{
    setDown (false);
}

void DrumPadsComponent::Pad::mouseEnter (const juce::MouseEvent& e)
{
    if (e.mods.isAnyMouseButtonDown())
        setDown (true);
}

void DrumPadsComponent::Pad::mouseExit (const juce::MouseEvent&)
{
    if (isDown)
        setDown (false);
}

void DrumPadsComponent::Pad::paint (juce::Graphics& g)
{
    auto* modern = ModernLookAndFeel::getDefault();
    const auto bounds = getLocalBounds().toFloat();

    if (modern != nullptr)
        g.setColour (juce::Colour (isDown ? modern->cAccent : modern->cChassis1));
    else
        g.setColour (juce::Colour (isDown ? 0xffe8dfd5 : 0xff333333));
    g.fillRoundedRectangle (bounds, 8.0f);

    if (modern == nullptr)
    {
        g.setColour (isDown ? juce::Colours::black.withAlpha ((juce::uint8)0x33) : juce::Colours::white.withAlpha ((juce::uint8)0x0d));
        g.drawRoundedRectangle (bounds.reduced (1.0f), 8.0f, 2.0f);
    }

    // White names on the light theme's white pads would not show: the theme's dark colour then.
    const bool lightFace = modern != nullptr && ! modern->isDark();
    g.setColour (isDown ? juce::Colours::black : (lightFace ? juce::Colour (modern->cDark) : juce::Colours::white));
    g.setFont (LookFonts::font ("Sans-Serif", 22.0f, juce::Font::bold));
    g.drawText (padName, getLocalBounds(), juce::Justification::centred, true);

    g.setColour (isDown ? juce::Colours::black.withAlpha ((juce::uint8)0x80) : juce::Colour (0xff808080));
    g.setFont (LookFonts::font ("Sans-Serif", 14.0f, juce::Font::bold));
    g.drawText (keyHint, 8, 8, juce::jmax (0, getWidth() - 16), juce::jmax (0, getHeight() - 16),
                juce::Justification::topLeft, true);
}

//==============================================================================
DrumPadsComponent::DrumPadsComponent (TavrelDelayAudioProcessor& p, InstrumentPlugin* s) : processor (&p), slot (s)
{
    for (auto* button : {&minusButton, &plusButton})
    {
        button->setLookAndFeel (&smallButtonLook);
        button->setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
        button->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xff444444));
        button->setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        button->setWantsKeyboardFocus (false);
        addAndMakeVisible (button);
    }
    minusButton.onClick = [this] { changeVelocity (-0.1f); };
    plusButton.onClick = [this] { changeVelocity (0.1f); };

    velocityCaption.setText (RhythmEditorIds::velocityCaption, juce::dontSendNotification);
    velocityLabel.setText ("102", juce::dontSendNotification);
    for (auto* label : {&velocityCaption, &velocityLabel})
    {
        label->setColour (juce::Label::textColourId, juce::Colour (0xff808080));
        label->setFont (LookFonts::font ("sans-serif", 12.0f, juce::Font::bold));
        label->setJustificationType (juce::Justification::centred);
        addAndMakeVisible (label);
    }

    padDefs.assign (std::begin (padTable), std::end (padTable));
    for (const auto& def : padDefs)
    {
        auto* pad = pads.add (new Pad (def));
        pad->onTrigger = [this] (int note, bool down) { triggerPad (note, down); };
        addAndMakeVisible (pad);
    }

    updateVelocity();
    setWantsKeyboardFocus (true);
}

DrumPadsComponent::~DrumPadsComponent()
{
    // A note still held would hang on in the instrument.
    for (int note : heldNotes)
        triggerPad (note, false);
    minusButton.setLookAndFeel (nullptr);
    plusButton.setLookAndFeel (nullptr);
}

void DrumPadsComponent::makeSlotKeyboardTarget()
{
    for (size_t i = 0; i < processor->instruments.size(); ++i)
        if (processor->instruments[i].get() == slot)
        {
            processor->keyboardTargetSlot.exchange ((int)i);
            return;
        }
}

void DrumPadsComponent::triggerPad (int note, bool down)
{
    makeSlotKeyboardTarget();
    if (down)
        processor->keyboardState.noteOn (1, note, padVelocity);
    else
        processor->keyboardState.noteOff (1, note, 0.0f);
}

void DrumPadsComponent::updateVelocity()
{
    velocityLabel.setText (juce::String (juce::roundToInt (padVelocity * 127.0f)), juce::dontSendNotification);
    processor->keyboardVelocity.exchange (padVelocity);
}

void DrumPadsComponent::changeVelocity (float delta)
{
    padVelocity = juce::jlimit (0.1f, 1.0f, padVelocity + delta);
    updateVelocity();
}

DrumPadsComponent::Pad* DrumPadsComponent::findPadForNote (int note) const
{
    for (auto* pad : pads)
        if (pad->padNote == note)
            return pad;
    return nullptr;
}

const DrumPadsComponent::PadDef* DrumPadsComponent::findDefForNote (int note) const
{
    for (const auto& def : padDefs)
        if (def.note == note)
            return &def;
    return nullptr;
}

void DrumPadsComponent::mouseDown (const juce::MouseEvent& e)
{
    makeSlotKeyboardTarget();
    if (e.eventComponent == this && isShowing())
        grabKeyboardFocus();
}

bool DrumPadsComponent::keyPressed (const juce::KeyPress& key)
{
    const auto character = juce::CharacterFunctions::toUpperCase (key.getTextCharacter());
    const auto code = (int)juce::CharacterFunctions::toUpperCase ((juce::juce_wchar)key.getKeyCode());

    if (character == 'C' || code == 'C')
    {
        changeVelocity (-0.1f);
        return true;
    }
    if (character == 'V' || code == 'V')
    {
        changeVelocity (0.1f);
        return true;
    }

    for (const auto& def : padDefs)
    {
        if (def.keyCode != code)
            continue;

        // Key repeat: the note is already held.
        if (heldNotes.contains (def.note))
            return true;

        heldNotes.add (def.note);
        if (auto* pad = findPadForNote (def.note))
        {
            pad->isDown = true;
            pad->repaint();
            if (pad->onTrigger)
                pad->onTrigger (def.note, true);
        }
        return true;
    }
    return false;
}

void DrumPadsComponent::releaseKeysNoLongerDown (const std::function<bool (int keyCode)>& isKeyDown)
{
    for (int i = heldNotes.size(); --i >= 0;)
    {
        const int note = heldNotes[i];
        const auto* def = findDefForNote (note);
        if (def != nullptr
            && (isKeyDown (def->keyCode) || isKeyDown ((int)juce::CharacterFunctions::toLowerCase ((juce::juce_wchar)def->keyCode))))
            continue;

        if (auto* pad = findPadForNote (note))
        {
            pad->isDown = false;
            pad->repaint();
            if (pad->onTrigger)
                pad->onTrigger (note, false);
        }
        heldNotes.remove (i);
    }
}

bool DrumPadsComponent::keyStateChanged (bool)
{
    releaseKeysNoLongerDown ([] (int keyCode) { return juce::KeyPress::isKeyCurrentlyDown (keyCode); });
    return false;
}

void DrumPadsComponent::focusLost (FocusChangeType)
{
    for (int note : heldNotes)
        if (auto* pad = findPadForNote (note))
        {
            pad->isDown = false;
            pad->repaint();
            if (pad->onTrigger)
                pad->onTrigger (note, false);
        }
    heldNotes.clear();
}

void DrumPadsComponent::resized()
{
    const int W = getWidth();
    const int H = getHeight();
    const int hh = juce::jmin (H, 30);
    const int ch = juce::jmax (hh - 4, 0);

    // Packed from the right edge inward; a control narrows to the room left.
    int d = juce::jmax (W - 20, 0);
    const std::pair<juce::Component*, int> header[] = {
        {&plusButton, 25}, {&velocityLabel, 40}, {&minusButton, 25}, {&velocityCaption, 70}};
    for (const auto& [component, preferred] : header)
    {
        const int w = juce::jmin (preferred, d);
        component->setBounds (d - w + 10, 2, w, ch);
        d -= w;
    }

    const int pw = (juce::jmax (W - 40, 0) - 40) / 5;
    const int ph = (juce::jmax (H - hh - 20, 0) - 10) / 2;
    for (int i = 0; i < pads.size(); ++i)
    {
        const int column = i % 5;
        const int y = i < 5 ? hh + 10 : hh + 20 + ph;
        pads[i]->setBounds (20 + column * (pw + 10), y, pw, ph);
    }
}

void DrumPadsComponent::paint (juce::Graphics& g)
{
    auto* modern = ModernLookAndFeel::getDefault();
    g.fillAll (modern != nullptr ? juce::Colour (modern->cBg) : juce::Colour (0xff2b2b2b));
}
