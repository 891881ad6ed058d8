#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The flat, themable look of the minimal interface. Its seven theme colours live in
    "modern_theme.xml"; components that draw a minimal variant test whether the application's
    default look is one of these (getDefault) and read the colours from it. */
class ModernLookAndFeel : public juce::LookAndFeel_V4
{
public:
    ModernLookAndFeel();
    ~ModernLookAndFeel() override;

    // Theme colours, 32-bit ARGB (light values until a theme is loaded).
    juce::uint32 cBg = 0xffe2e5e7;
    juce::uint32 cChassis1 = 0xffffffff;
    juce::uint32 cChassis2 = 0xffe4e8eb;
    juce::uint32 cStrip = 0xffebf0f3;
    juce::uint32 cAccent = 0xff1abc9c;
    juce::uint32 cDark = 0xff34495e;
    juce::uint32 cRed = 0xffe74c3c;

    juce::Image reelImage;      // 600 x 600, shared with the vintage look
    juce::Image dustCoverImage; // 3000 x 2000, shared with the vintage look

    /** Reads the seven colours from the theme file; a missing or broken file changes nothing,
        a missing attribute keeps its colour. */
    void loadTheme();
    void loadTheme (const juce::File& file);

    /** Writes the seven colours to the theme file, keeping its other attributes. */
    void saveTheme();
    void saveTheme (const juce::File& file);

    /** The dark or light default colours, then saveTheme and applyThemeColours. */
    void setDarkMode (bool dark);

    /** Copies the theme onto the look's colour table so stock controls follow it. */
    void applyThemeColours();

    juce::Image getReelImage() const { return reelImage; }

    /** Dark when the HSL lightness of cBg is below 0.5. */
    bool isDark() const noexcept { return isDarkBackground (cBg); }
    static bool isDarkBackground (juce::uint32 background) noexcept;

    /** The application's default look when it is a ModernLookAndFeel, else null. */
    static ModernLookAndFeel* getDefault();

    // Button
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool shouldDrawButtonAsHighlighted,
                           bool shouldDrawButtonAsDown) override;

    // Alert window
    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea,
                       juce::TextLayout&) override;
    int getAlertBoxWindowFlags() override;

    // Popup menu
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;

    // Slider
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;

    // Document window
    void drawDocumentWindowTitleBar (juce::DocumentWindow&, juce::Graphics&, int w, int h, int titleSpaceX,
                                     int titleSpaceW, const juce::Image* icon, bool drawTitleTextOnLeft) override;
    juce::Button* createDocumentWindowButton (int buttonType) override;

    // Windows font names resolve to installed ones.
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    /** The face colour of a button that is off (the remapping of the special button colours). */
    juce::Colour getInactiveFace (juce::Colour buttonColour) const;

    /** The text colour of a text button in its current state. */
    juce::Colour getButtonTextColour (juce::Button& button, bool down) const;

private:
    juce::Colour neutralFace() const;
    juce::Colour neutralOutline() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModernLookAndFeel)
};
