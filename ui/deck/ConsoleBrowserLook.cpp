#include "ui/deck/ConsoleBrowserLook.h"

#include "app/SafeAlertWindow.h"

ConsoleBrowserLook::ConsoleBrowserLook()
{
    setColour (juce::ListBox::backgroundColourId, juce::Colour (0x00000000));
    setColour (juce::ScrollBar::thumbColourId, juce::Colour (0xff444444));
    setColour (juce::PopupMenu::backgroundColourId, juce::Colour (0xff222222));
    setColour (juce::PopupMenu::textColourId, juce::Colour (0xffffffff));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xffd0c0b0));
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (0xff000000));
    setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff1a1a1a));
    setColour (juce::ComboBox::textColourId, juce::Colour (0xffffffff));
    setColour (juce::ComboBox::outlineColourId, juce::Colour (0x4c808080));
    setColour (juce::ComboBox::arrowColourId, juce::Colour (0xffd0c0b0));
    setColour (juce::TextEditor::backgroundColourId, juce::Colour (0xff151515));
    setColour (juce::TextEditor::textColourId, juce::Colour (0xffffffff));
    setColour (juce::TextEditor::outlineColourId, juce::Colour (0x4c808080));
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (0xffd0c0b0));
}

void ConsoleBrowserLook::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                               const juce::Colour& backgroundColour, bool mouseOver, bool buttonDown)
{
    const auto w = (float) button.getWidth();
    const auto h = (float) button.getHeight();
    const juce::Rectangle<float> whole (0.0f, 0.0f, w, h);
    const juce::Rectangle<float> inner (0.5f, 0.5f, juce::jmax (0.0f, w - 1.0f), juce::jmax (0.0f, h - 1.0f));
    constexpr float corner = 4.0f;

    const auto argb = backgroundColour.getARGB();
    if (argb == lightKey || argb == redKey)
    {
        // Down is tested first: a pressed key under the mouse is drawn darker, never brighter.
        const auto fill = buttonDown ? backgroundColour.darker (0.2f)
                                     : (mouseOver ? backgroundColour.brighter (0.1f) : backgroundColour);
        g.setColour (fill);
        g.fillRoundedRectangle (whole, corner);
        g.setColour (juce::Colour (0x4cffffff));
        g.drawRoundedRectangle (inner, corner, 1.0f);
        g.setColour (juce::Colour (0x33000000));
        g.drawRoundedRectangle (whole, corner, 1.0f);
        return;
    }

    g.setColour (juce::Colour (buttonDown ? 0xff1a1a1a : (mouseOver ? 0xff3a3a3a : 0xff2a2a2a)));
    g.fillRoundedRectangle (whole, corner);
    g.setColour (juce::Colour (0x1affffff));
    g.drawRoundedRectangle (inner, corner, 1.0f);
}

void ConsoleBrowserLook::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool buttonDown)
{
    g.setFont (juce::Font ("sans-serif", 13.0f, juce::Font::bold));
    g.setColour (button.findColour (juce::TextButton::textColourOffId));
    g.drawFittedText (button.getButtonText(), 0, buttonDown ? 1 : 0, button.getWidth(), button.getHeight(),
                      juce::Justification::centred, 1);
}

void ConsoleBrowserLook::drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert,
                                       const juce::Rectangle<int>& textArea, juce::TextLayout& layout)
{
    const auto w = (float) alert.getWidth();
    const auto h = (float) alert.getHeight();

    g.setColour (juce::Colour (0xff242424));
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 6.0f);
    g.setColour (juce::Colour (0xff444444));
    g.drawRoundedRectangle (0.0f, 0.0f, w, h, 6.0f, 1.0f);

    // The title band: rounded at the top, square where it meets the body.
    g.setColour (juce::Colour (0xff1a1a1a));
    g.fillRoundedRectangle (0.0f, 0.0f, w, 40.0f, 6.0f);
    g.fillRect (0.0f, 20.0f, w, 25.0f);

    g.setColour (juce::Colours::white);
    g.setFont (juce::Font ("Sans-Serif", 16.0f, juce::Font::bold));
    g.drawText (alert.getName(), juce::Rectangle<float> (0.0f, 0.0f, w, 45.0f), juce::Justification::centred, true);

    g.setColour (juce::Colours::black);
    g.fillRect (0.0f, 44.0f, w, 1.0f);

    const auto body = alert.getProperties()[SafeAlertWindow::bodyTextProperty].toString();
    if (body.isNotEmpty())
    {
        g.setColour (juce::Colour (0xccffffff));
        g.setFont (juce::Font ("Sans-Serif", 14.0f, juce::Font::plain));
        g.drawFittedText (body, 15, 65, alert.getWidth() - 30, alert.getHeight() - 125,
                          juce::Justification::centredTop, 10);
        return;
    }

    g.setColour (juce::Colours::white);
    layout.draw (g, juce::Rectangle<float> ((float) textArea.getX(), (float) textArea.getY() + 10.0f,
                                            (float) textArea.getWidth(),
                                            juce::jmax (0.0f, (float) textArea.getHeight() - 10.0f)));
}

int ConsoleBrowserLook::getAlertBoxWindowFlags()
{
    return 0;
}
