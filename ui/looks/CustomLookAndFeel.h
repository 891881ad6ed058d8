#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The skeuomorphic look of the normal interface: film-strip knobs, image fader caps, lit
    transport key caps, image panel buttons with LEDs, dark alert boxes with a cream title band,
    and a cyan mark on the control MIDI learn waits for. The pictures are embedded PNGs decoded
    once per process through the image cache; every instance shares them. */
class CustomLookAndFeel : public juce::LookAndFeel_V4
{
public:
    CustomLookAndFeel();
    ~CustomLookAndFeel() override;

    juce::Image knobStripDefault; // 128 frames of 128 x 128, stacked vertically: cream knob
    juce::Image knobStripEq;      // beige, knobs whose ID starts with "EQ_"
    juce::Image knobStripAuxPan;  // grey-green, "AUX" and "PAN"
    juce::Image faderCapImage;    // 90 x 136
    juce::Image sliderThumbImage; // 50 x 50
    juce::Image panelButtonImage;    // 96 x 60, LEDs off
    juce::Image panelButtonLitImage; // 96 x 60, LEDs lit
    juce::Image reelImage;           // 600 x 600
    juce::Image playCap, playCapLit, stopCap, stopCapLit, recCap, recCapLit, rewCap, rewCapLit, ffCap, ffCapLit,
        rtzCap, rtzCapLit, zeroCap, zeroCapLit; // 100 x 70 each
    juce::Image dustCoverImage;                 // 3000 x 2000

    /** The film strip a knob with this component ID is drawn from. */
    const juce::Image& getKnobStripFor (const juce::String& componentID) const;

    /** The frame of a strip shown at a proportional position 0..1 (truncated). */
    static int getKnobFrameIndex (const juce::Image& strip, double proportion) noexcept;

    /** The plain and lit caps of a transport key, or null when the ID is not a transport key. */
    std::pair<const juce::Image*, const juce::Image*> getTransportCaps (const juce::String& componentID) const;

    // Button
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool shouldDrawButtonAsHighlighted,
                           bool shouldDrawButtonAsDown) override;

    // Alert window
    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea,
                       juce::TextLayout&) override;
    int getAlertBoxWindowFlags() override;

    // Popup menu
    juce::Font getPopupMenuFont() override;

    // Combo box
    juce::Font getComboBoxFont (juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    // Label
    juce::Font getLabelFont (juce::Label&) override;

    // Slider
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
    juce::Font getSliderPopupFont (juce::Slider&) override;

    // Document window
    juce::Button* createDocumentWindowButton (int buttonType) override;

    // Windows font names resolve to installed ones.
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomLookAndFeel)
};
