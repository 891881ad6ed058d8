#include "ui/looks/ModernLookAndFeel.h"

#include "ui/looks/LookDrawing.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/LookIds.h"
#include "ui/looks/LookImages.h"
#include "ui/looks/ModernCloseButton.h"
#include "ui/looks/ThemeFile.h"

namespace
{
const juce::Colour dropShadow (0x26000000);

struct ThemeColour
{
    const char* key;
    juce::uint32 ModernLookAndFeel::*member;
};

// In the order the file is written.
constexpr ThemeColour themeColours[] = {
    {LookIds::cBg, &ModernLookAndFeel::cBg},         {LookIds::cChassis1, &ModernLookAndFeel::cChassis1},
    {LookIds::cChassis2, &ModernLookAndFeel::cChassis2}, {LookIds::cStrip, &ModernLookAndFeel::cStrip},
    {LookIds::cAccent, &ModernLookAndFeel::cAccent}, {LookIds::cDark, &ModernLookAndFeel::cDark},
    {LookIds::cRed, &ModernLookAndFeel::cRed},
};

juce::Font sansBold (float height)
{
    return LookFonts::font ("sans-serif", height, juce::Font::bold);
}

bool idStartsWith (const juce::Component& c, const char* prefix)
{
    return c.getComponentID().startsWith (prefix);
}

void drawTransportIcon (juce::Graphics& g, const juce::String& id, float cx, float cy, juce::Colour icon,
                        juce::Colour red)
{
    g.setColour (icon);

    auto triangle = [&g] (float x1, float y1, float x2, float y2, float x3, float y3)
    {
        juce::Path p;
        p.addTriangle (x1, y1, x2, y2, x3, y3);
        g.fillPath (p);
    };

    if (id == LookIds::playButton)
        triangle (cx - 4, cy - 5, cx + 5, cy, cx - 4, cy + 5);
    else if (id == LookIds::stopButton)
        g.fillRect (cx - 4, cy - 4, 8.0f, 8.0f);
    else if (id == LookIds::recButton)
    {
        g.setColour (red);
        g.fillEllipse (cx - 4, cy - 4, 8.0f, 8.0f);
    }
    else if (id == LookIds::rewButton)
    {
        triangle (cx, cy - 5, cx - 5, cy, cx, cy + 5);
        triangle (cx + 5, cy - 5, cx, cy, cx + 5, cy + 5);
    }
    else if (id == LookIds::ffButton)
    {
        triangle (cx, cy - 5, cx + 5, cy, cx, cy + 5);
        triangle (cx - 5, cy - 5, cx, cy, cx - 5, cy + 5);
    }
    else if (id == LookIds::rtzButton)
    {
        triangle (cx + 2, cy - 5, cx - 3, cy, cx + 2, cy + 5);
        g.fillRect (cx - 5, cy - 5, 2.0f, 10.0f);
    }
    else if (id == LookIds::zeroButton)
    {
        g.setFont (sansBold (12.0f));
        g.drawText ("0", (int)(cx - 10), (int)(cy - 7), 20, 14, juce::Justification::centred, false);
    }
}
} // namespace

ModernLookAndFeel::ModernLookAndFeel()
{
    reelImage = LookImages::get (LookImageId::reel);
    dustCoverImage = LookImages::get (LookImageId::dustCover);
    loadTheme();
    applyThemeColours();
}

ModernLookAndFeel::~ModernLookAndFeel() = default;

bool ModernLookAndFeel::isDarkBackground (juce::uint32 background) noexcept
{
    return LookDrawing::lightness (juce::Colour (background)) < 0.5f;
}

ModernLookAndFeel* ModernLookAndFeel::getDefault()
{
    return dynamic_cast<ModernLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel());
}

void ModernLookAndFeel::loadTheme()
{
    loadTheme (ThemeFile::getFile());
}

void ModernLookAndFeel::loadTheme (const juce::File& file)
{
    const auto theme = ThemeFile::read (file);

    if (theme == nullptr)
        return;

    for (const auto& colour : themeColours)
        if (theme->hasAttribute (colour.key))
            this->*colour.member = ThemeFile::parseColour (theme->getStringAttribute (colour.key));
}

void ModernLookAndFeel::saveTheme()
{
    saveTheme (ThemeFile::getFile());
}

void ModernLookAndFeel::saveTheme (const juce::File& file)
{
    auto theme = ThemeFile::read (file);

    if (theme == nullptr)
        theme = std::make_unique<juce::XmlElement> (LookIds::themeRoot);

    for (const auto& colour : themeColours)
        theme->setAttribute (colour.key, ThemeFile::formatColour (this->*colour.member));

    ThemeFile::write (*theme, file, true);
}

void ModernLookAndFeel::setDarkMode (bool dark)
{
    cBg = dark ? 0xff181818 : 0xffe2e5e7;
    cChassis1 = dark ? 0xff222222 : 0xffffffff;
    cChassis2 = dark ? 0xff1e1e1e : 0xffe4e8eb;
    cStrip = dark ? 0xff2a2a2a : 0xffebf0f3;
    cDark = dark ? 0xffe0e0e0 : 0xff34495e;
    cAccent = 0xff1abc9c;
    cRed = 0xffe74c3c;
    saveTheme();
    applyThemeColours();
}

void ModernLookAndFeel::applyThemeColours()
{
    const bool dark = isDark();
    const juce::Colour field (dark ? 0xff1a1a1a : 0xffffffff);
    const juce::Colour line (dark ? 0xff444444 : 0xffbdc3c7);
    const juce::Colour bg (cBg), chassis (cChassis1), accent (cAccent), text (cDark);

    setColour (juce::PopupMenu::backgroundColourId, chassis);
    setColour (juce::PopupMenu::textColourId, text);
    setColour (juce::PopupMenu::headerTextColourId, text.withAlpha ((juce::uint8)0x80));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, accent);
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colours::white);

    setColour (juce::ComboBox::backgroundColourId, field);
    setColour (juce::ComboBox::textColourId, text);
    setColour (juce::ComboBox::outlineColourId, line);
    setColour (juce::ComboBox::arrowColourId, text);

    setColour (juce::ListBox::backgroundColourId, field);
    setColour (juce::ListBox::textColourId, text);

    setColour (juce::TextEditor::backgroundColourId, field);
    setColour (juce::TextEditor::textColourId, text);
    setColour (juce::TextEditor::outlineColourId, line);
    setColour (juce::TextEditor::focusedOutlineColourId, accent);

    setColour (juce::AlertWindow::backgroundColourId, chassis);
    setColour (juce::AlertWindow::textColourId, text);
    setColour (juce::AlertWindow::outlineColourId, line);

    setColour (juce::ResizableWindow::backgroundColourId, bg);
    setColour (juce::DocumentWindow::textColourId, text);

    setColour (juce::TextButton::buttonColourId, dark ? juce::Colour (0xff333333) : juce::Colour (cStrip));
    setColour (juce::TextButton::textColourOffId, text);
    setColour (juce::TextButton::textColourOnId, juce::Colours::white);

    setColour (juce::Slider::textBoxTextColourId, text);
    setColour (juce::Label::textColourId, text);
}

juce::Colour ModernLookAndFeel::neutralFace() const
{
    return isDark() ? juce::Colour (0xff2a2a2a) : juce::Colours::white;
}

juce::Colour ModernLookAndFeel::neutralOutline() const
{
    return isDark() ? juce::Colour (0xff444444) : juce::Colour (0x80bdc3c7);
}

juce::Colour ModernLookAndFeel::getInactiveFace (juce::Colour buttonColour) const
{
    const auto argb = buttonColour.getARGB();

    if (argb == 0xff222222)
        return juce::Colour (isDark() ? 0xff3a3a3a : 0xff2c3e50);

    if (argb == 0xff2b2b2b || argb == 0xffd0c0b0 || argb == 0x00ffffff)
        return neutralFace();

    return buttonColour;
}

void ModernLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                              const juce::Colour& backgroundColour, bool, bool shouldDrawButtonAsDown)
{
    const float w = (float)button.getWidth(), h = (float)button.getHeight();
    const juce::Rectangle<float> r (1.0f, 1.0f, juce::jmax (0.0f, w - 2.0f), juce::jmax (0.0f, h - 2.0f));
    const bool active = shouldDrawButtonAsDown || button.getToggleState();
    const auto id = button.getComponentID();
    juce::Colour icon;

    if (active)
    {
        juce::Colour activeColour (cAccent);

        if (id.startsWith (LookIds::mutePrefix) || id == LookIds::loopCut)
            activeColour = juce::Colour (cRed);
        else if (id.startsWith (LookIds::soloPrefix) || id == LookIds::loopClear)
            activeColour = juce::Colour (0xfff1c40f);
        else if (id.startsWith (LookIds::monPrefix) || id.startsWith (LookIds::auxPrefix))
            activeColour = juce::Colour (0xff3498db);

        g.setColour (activeColour);
        g.fillRoundedRectangle (r, 4.0f);
        g.setColour (neutralOutline());
        g.drawRoundedRectangle (r, 4.0f, 1.0f);
        icon = juce::Colours::white;
    }
    else
    {
        g.setColour (dropShadow);
        g.fillRoundedRectangle (r.withY (3.0f), 4.0f);
        g.setColour (getInactiveFace (backgroundColour));
        g.fillRoundedRectangle (r, 4.0f);
        g.setColour (neutralOutline());
        g.drawRoundedRectangle (r, 4.0f, 1.0f);
        icon = juce::Colour (cDark);
    }

    drawTransportIcon (g, id, w / 2.0f, h / 2.0f, icon, juce::Colour (cRed));
}

juce::Font ModernLookAndFeel::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return sansBold (juce::jlimit (11.0f, 20.0f, (float)buttonHeight * 0.4f));
}

juce::Colour ModernLookAndFeel::getButtonTextColour (juce::Button& button, bool down) const
{
    const auto id = button.getComponentID();

    if (down || button.getToggleState())
        return (id.startsWith (LookIds::soloPrefix) || id == LookIds::loopClear) ? juce::Colour (cDark)
                                                                                  : juce::Colours::white;

    if (id.startsWith (LookIds::monPrefix))
        return button.findColour (juce::TextButton::textColourOffId);

    const auto colour = button.findColour (juce::TextButton::buttonColourId);
    const auto argb = colour.getARGB();

    if (argb == 0xffd0c0b0 || argb == 0xff849c82 || argb == 0xff9b59b6)
        return juce::Colour (cDark);

    if (argb == 0xff222222)
        return juce::Colours::white;

    if (LookDrawing::lightness (colour) < 0.6f && colour.getAlpha() != 0 && argb != 0xff2b2b2b)
        return juce::Colours::white;

    return juce::Colour (cDark);
}

void ModernLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool shouldDrawButtonAsDown)
{
    g.setFont (sansBold (juce::jlimit (10.5f, 20.0f, (float)button.getHeight() * 0.4f)));
    g.setColour (getButtonTextColour (button, shouldDrawButtonAsDown));
    g.drawFittedText (button.getButtonText(), 2, 2, button.getWidth() - 4, button.getHeight() - 4,
                      juce::Justification::centred, 2);
}

void ModernLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool,
                                          bool shouldDrawButtonAsDown)
{
    const float w = (float)button.getWidth(), h = (float)button.getHeight();
    const juce::Rectangle<float> r (1.0f, 1.0f, juce::jmax (0.0f, w - 2.0f), juce::jmax (0.0f, h - 2.0f));
    const bool active = shouldDrawButtonAsDown || button.getToggleState();

    if (active)
    {
        auto fill = button.findColour (juce::TextButton::buttonOnColourId);
        g.setColour (fill.isTransparent() ? juce::Colour (cRed) : fill);
        g.fillRoundedRectangle (r, 4.0f);
    }
    else
    {
        g.setColour (dropShadow);
        g.fillRoundedRectangle (r.withY (3.0f), 4.0f);
        g.setColour (neutralFace());
        g.fillRoundedRectangle (r, 4.0f);
    }

    g.setColour (neutralOutline());
    g.drawRoundedRectangle (r, 4.0f, 1.0f);

    if (button.getButtonText().isNotEmpty())
    {
        g.setFont (sansBold (12.0f));
        g.setColour (active ? juce::Colours::white : juce::Colour (cDark));
        g.drawFittedText (button.getButtonText(), 2, 2, button.getWidth() - 4, button.getHeight() - 4,
                          juce::Justification::centred, 1);
    }
}

void ModernLookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert,
                                      const juce::Rectangle<int>& textArea, juce::TextLayout& textLayout)
{
    const float w = (float)alert.getWidth(), h = (float)alert.getHeight();
    const bool dark = isDark();
    const juce::Colour rule (0xffbdc3c7);

    g.setColour (juce::Colour (cChassis1));
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 6.0f);
    g.setColour (rule);
    g.drawRoundedRectangle (0.0f, 0.0f, w, h, 6.0f, 1.0f);

    g.setColour (dark ? juce::Colour (0xff343a40) : juce::Colour (cStrip));
    g.fillRoundedRectangle (0.0f, 0.0f, w, 40.0f, 6.0f);
    g.fillRect (0.0f, 20.0f, w, 25.0f);

    g.setFont (sansBold (16.0f));
    g.setColour (dark ? juce::Colours::white : juce::Colour (cDark));
    g.drawText (alert.getName(), 0, 0, alert.getWidth(), 45, juce::Justification::centred, true);
    g.setColour (rule);
    g.fillRect (0.0f, 44.0f, w, 1.0f);

    const auto body = alert.getProperties()[LookIds::bodyText].toString();

    if (body.isNotEmpty())
    {
        auto area = juce::Rectangle<int> (0, 0, alert.getWidth(), alert.getHeight() - 60);
        area.removeFromTop (juce::jmin (65, juce::jmax (0, area.getHeight())));
        g.setFont (LookFonts::font ("sans-serif", 16.0f));
        g.setColour (juce::Colour (cDark).withAlpha ((juce::uint8)0xe6));
        g.drawFittedText (body, area.reduced (15, 0), juce::Justification::centredTop, 10);
    }
    else
    {
        auto area = textArea.toFloat();
        area = area.withTop (area.getY() + 10.0f).withHeight (juce::jmax (0.0f, area.getHeight() - 10.0f));
        g.setColour (juce::Colour (cDark));
        textLayout.draw (g, area);
    }
}

int ModernLookAndFeel::getAlertBoxWindowFlags()
{
    return 0;
}

void ModernLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (findColour (juce::PopupMenu::backgroundColourId));
    g.setColour (juce::Colour (isDark() ? 0xff6c757d : 0xffbdc3c7));
    g.drawRect (0, 0, width, height, 2);
}

juce::Font ModernLookAndFeel::getPopupMenuFont()
{
    return juce::Font (17.0f);
}

void ModernLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                          float, float, juce::Slider::SliderStyle style, juce::Slider&)
{
    if (style != juce::Slider::LinearVertical)
        return;

    const bool dark = isDark();
    g.setColour (juce::Colour (dark ? 0xff151515 : 0xffdfe4e8));
    g.fillRoundedRectangle ((float)x + (float)(width - 4) / 2.0f, (float)y, 4.0f, (float)height, 2.0f);

    const float cx = (float)x + (float)(width - 26) / 2.0f, cy = sliderPos - 7.0f;
    g.setColour (dropShadow);
    g.fillRoundedRectangle (cx, cy + 2.0f, 26.0f, 14.0f, 3.0f);
    g.setColour (dark ? juce::Colour (0xff333333) : juce::Colours::white);
    g.fillRoundedRectangle (cx, cy, 26.0f, 14.0f, 3.0f);
    g.setColour (juce::Colour (dark ? 0xff555555 : 0x80bdc3c7));
    g.drawRoundedRectangle (cx, cy, 26.0f, 14.0f, 3.0f, 1.0f);
    g.setColour (juce::Colour (cDark));
    g.fillRect (cx + 3.0f, cy + 6.0f, 20.0f, 2.0f);
}

int ModernLookAndFeel::getSliderThumbRadius (juce::Slider&)
{
    return 8;
}

void ModernLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                          float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                                          juce::Slider& slider)
{
    const bool dark = isDark();
    const float w = (float)juce::jmax (0, width - 4), h = (float)juce::jmax (0, height - 4);
    const float radius = juce::jmin (w, h) / 2.0f;
    const float cx = (float)x + 2.0f + w / 2.0f, cy = (float)y + 2.0f + h / 2.0f;
    const float angle = rotaryStartAngle + sliderPosProportional * (rotaryEndAngle - rotaryStartAngle);

    g.setColour (dropShadow);
    g.fillEllipse (cx - radius, cy - radius + 2.0f, radius * 2.0f, radius * 2.0f);
    g.setColour (dark ? juce::Colour (0xff2d2d2d) : juce::Colours::white);
    g.fillEllipse (cx - radius, cy - radius, radius * 2.0f, radius * 2.0f);
    g.setColour (juce::Colour (dark ? 0xff444444 : 0x80bdc3c7));
    g.drawEllipse (cx - radius, cy - radius, radius * 2.0f, radius * 2.0f, 1.0f);

    juce::Colour dot (cDark);

    if (idStartsWith (slider, LookIds::eqPrefix))
        dot = juce::Colour (cRed);
    else if (idStartsWith (slider, LookIds::auxPrefix))
        dot = juce::Colour (0xfff1c40f);
    else if (idStartsWith (slider, LookIds::panPrefix))
        dot = juce::Colour (0xff3498db);

    const float dx = cx + std::sin (angle) * radius * 0.65f, dy = cy - std::cos (angle) * radius * 0.65f;
    g.setColour (dot);
    g.fillEllipse (dx - 3.5f, dy - 3.5f, 7.0f, 7.0f);
}

void ModernLookAndFeel::drawDocumentWindowTitleBar (juce::DocumentWindow& window, juce::Graphics& g, int w, int h,
                                                    int titleSpaceX, int titleSpaceW, const juce::Image*, bool)
{
    const bool dark = isDark();
    g.setColour (dark ? juce::Colour (0xff343a40) : juce::Colour (cStrip));
    g.fillRect (0, 0, w, h);
    g.setColour (juce::Colour (dark ? 0xff111111 : 0xffbdc3c7));
    g.fillRect (0, h - 1, w, 1);
    g.setFont (sansBold (16.0f));
    g.setColour (juce::Colour (cDark));
    g.drawText (window.getName(), titleSpaceX, 0, titleSpaceW, h, juce::Justification::centred, true);
}

juce::Button* ModernLookAndFeel::createDocumentWindowButton (int buttonType)
{
    if (buttonType == juce::DocumentWindow::closeButton)
        return new ModernCloseButton ("close");

    return juce::LookAndFeel_V4::createDocumentWindowButton (buttonType);
}

juce::Typeface::Ptr ModernLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    return juce::LookAndFeel_V4::getTypefaceForFont (LookFonts::mapped (font));
}
