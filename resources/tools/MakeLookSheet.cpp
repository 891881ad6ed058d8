// Developer tool: draws a contact sheet of the embedded look pictures and of sample controls in
// the vintage look and in the minimal look (light and dark), to look at them in one picture.
// Not part of the build's default targets.
//
// Usage: dravin8_make_look_sheet <output.png>

#include "ui/looks/CustomLookAndFeel.h"
#include "ui/looks/FormatDisplayLook.h"
#include "ui/looks/LookImages.h"
#include "ui/looks/MarlixButtonLook.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/looks/RhythmLCDLook.h"
#include "ui/looks/SharpieLabelLook.h"

#include <iostream>

namespace
{
constexpr int sheetWidth = 2400;

void caption (juce::Graphics& g, const juce::String& text, int x, int y, int w, juce::Colour colour = juce::Colour (0xffd8d8d8))
{
    g.setColour (colour);
    g.setFont (juce::Font ("DejaVu Sans", 15.0f, juce::Font::plain));
    g.drawText (text, x, y, w, 18, juce::Justification::centred, true);
    g.setOpacity (1.0f);
}

void heading (juce::Graphics& g, const juce::String& text, int y)
{
    g.setColour (juce::Colours::white);
    g.setFont (juce::Font ("DejaVu Sans", 26.0f, juce::Font::bold));
    g.drawText (text, 30, y, sheetWidth - 60, 34, juce::Justification::centredLeft, false);
    g.setColour (juce::Colours::white.withAlpha (0.2f));
    g.fillRect (30, y + 38, sheetWidth - 60, 1);
    g.setOpacity (1.0f); // pictures drawn next take the current colour's opacity
}

/** One bank of controls as a component tree, drawn with the given looks. */
class ControlBank : public juce::Component
{
public:
    ControlBank (juce::LookAndFeel& look, juce::LookAndFeel& marlix, juce::LookAndFeel& format, juce::LookAndFeel& lcd,
                 juce::LookAndFeel& sharpie, juce::Colour background)
        : fill (background)
    {
        int x = 20;

        for (const auto* id : {"DRIVE", "EQ_HIGH_1", "PAN_1", "AUX1_1"})
        {
            auto* knob = add (new juce::Slider (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox));
            knob->setComponentID (id);
            knob->setRange (0.0, 1.0);
            knob->setValue (0.65);
            knob->setBounds (x, 20, 70, 70);
            x += 85;
        }

        auto* fader = add (new juce::Slider (juce::Slider::LinearVertical, juce::Slider::NoTextBox));
        fader->setRange (0.0, 1.0);
        fader->setValue (0.7);
        fader->setBounds (x, 10, 44, 150);
        x += 64;

        auto* thumb = add (new juce::Slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox));
        thumb->setRange (0.0, 1.0);
        thumb->setValue (0.3);
        thumb->setBounds (20, 120, 300, 30);

        int tx = x;

        for (const auto* id : {"rtz_button", "zero_button", "rew_button", "stop_button", "play_button", "rec_button", "ff_button"})
        {
            auto* key = add (new juce::TextButton());
            key->setComponentID (id);
            key->setColour (juce::TextButton::buttonColourId, juce::Colours::transparentWhite);
            key->setToggleState (juce::String (id) == "play_button", juce::dontSendNotification);
            key->setBounds (tx, 20, 50, 35);
            tx += 58;
        }

        int bx = x;
        const struct { const char* text; const char* id; juce::uint32 colour; bool on; } keys[] = {
            {"S.O.S.", "SOUND_ON_SOUND", 0xffd0c0b0, false}, {"PUNCH", "PUNCH_IN", 0xffd0c0b0, true},
            {"MUTE", "MUTE_1", 0xffd0c0b0, true},             {"SOLO", "SOLO_1", 0xffd0c0b0, true},
            {"CUT", "loop_cut", 0xffe74c3c, false},           {"EJECT", "", 0xffd0c0b0, false}};

        for (const auto& k : keys)
        {
            auto* b = add (new juce::TextButton (k.text));
            b->setComponentID (k.id);
            b->setColour (juce::TextButton::buttonColourId, juce::Colour (k.colour));
            b->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffb0a090));
            b->setColour (juce::TextButton::textColourOffId, juce::Colours::black);
            b->setToggleState (k.on, juce::dontSendNotification);
            b->setLookAndFeel (&marlix);
            b->setBounds (bx, 70, 62, 28);
            bx += 68;
        }

        auto* formatButton = add (new juce::TextButton ("1\" MASTER"));
        formatButton->setComponentID ("FORMAT");
        formatButton->setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
        formatButton->setLookAndFeel (&format);
        formatButton->setBounds (x, 110, 100, 24);

        auto* lamp = add (new juce::TextButton ("LCD"));
        lamp->setColour (juce::TextButton::textColourOffId, juce::Colour (0xff66ff99));
        lamp->setLookAndFeel (&lcd);
        lamp->setBounds (x + 110, 110, 60, 24);

        auto* panel = add (new juce::TextButton ("PANEL"));
        panel->setBounds (x + 180, 106, 96, 30);
        auto* panelOn = add (new juce::TextButton ("LIT"));
        panelOn->setToggleState (true, juce::dontSendNotification);
        panelOn->setBounds (x + 286, 106, 96, 30);

        // The scribble label on a strip of masking tape, as the console shows it.
        struct Tape : public juce::Component
        {
            void paint (juce::Graphics& g) override { g.fillAll (juce::Colour (0xffe8d9b0)); }
        };

        add (new Tape())->setBounds (x + 392, 102, 90, 36);

        auto* name = add (new juce::Label ({}, "Bass"));
        name->setJustificationType (juce::Justification::centred);
        name->setLookAndFeel (&sharpie);
        name->setBounds (x + 392, 100, 90, 40);

        setLookAndFeel (&look);
        setSize (juce::jmax (tx, bx, x + 392 + 90) + 20, 170);
    }

    ~ControlBank() override
    {
        for (auto* c : owned)
            c->setLookAndFeel (nullptr);

        setLookAndFeel (nullptr);
    }

    void paint (juce::Graphics& g) override { g.fillAll (fill); }

private:
    template <typename T> T* add (T* component)
    {
        owned.add (component);
        addAndMakeVisible (component);
        return component;
    }

    juce::OwnedArray<juce::Component> owned;
    juce::Colour fill;
};
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::cerr << "usage: dravin8_make_look_sheet <output.png>\n";
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    juce::Image sheet (juce::Image::RGB, sheetWidth, 3000, true);
    juce::Graphics g (sheet);
    g.fillAll (juce::Colour (0xff1b1c1e));
    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);

    // Pictures.
    heading (g, "Embedded pictures", 20);
    int y = 80;

    const auto deck = LookImages::deckArtwork();
    const auto tape = LookImages::maskingTapeArtwork();
    const auto cover = LookImages::dustCover();
    const int deckW = 1140, deckH = 760;
    g.drawImage (deck, 30, y, deckW, deckH, 0, 0, deck.getWidth(), deck.getHeight());

    {
        // The reels and the head block where the deck puts them, to judge the composition.
        juce::Graphics::ScopedSaveState state (g);
        g.addTransform (juce::AffineTransform::scale ((float)deckW / 1699.0f, (float)deckH / 1133.0f).translated (30.0f, (float)y));
        const auto reel = LookImages::reel();

        for (const auto& [cx, pack] : {std::pair<float, float> {1057.0f, 62.0f}, {1427.0f, 38.0f}})
        {
            g.setColour (juce::Colour (0xff2a1a15));
            g.fillEllipse (cx - pack, 225.0f - pack, pack * 2.0f, pack * 2.0f);
            g.setColour (juce::Colour (0xff555555));
            g.fillEllipse (cx - 15.0f, 210.0f, 30.0f, 30.0f);
            g.setOpacity (1.0f);
            g.drawImage (reel, {cx - 85.0f, 140.0f, 170.0f, 170.0f});
        }

        g.setColour (juce::Colours::black.withAlpha (0.5f));
        g.fillRoundedRectangle (1132.0f, 344.0f, 220.0f, 45.0f, 4.0f);
        g.setColour (juce::Colour (0xff222222));
        g.fillRoundedRectangle (1132.0f, 340.0f, 220.0f, 45.0f, 4.0f);
        g.setOpacity (1.0f);
    }

    g.drawImage (tape, 30, y, deckW, deckH, 0, 0, tape.getWidth(), tape.getHeight());
    g.drawImage (cover, 30, y, deckW, deckH, 0, 0, cover.getWidth(), cover.getHeight());
    caption (g, "deck artwork 3000 x 2000 with reels and head block where the deck draws them, masking tape, dust cover", 30, y + deckH + 6, deckW);

    const auto room = LookImages::tapeRoomBackdrop();
    g.drawImage (room, 1200, y, 1170, 780, 0, 0, room.getWidth(), room.getHeight());
    caption (g, "tape-room backdrop 1536 x 1024", 1200, y + 786, 1170);

    y += 830;
    const auto reel = LookImages::reel();
    g.fillCheckerBoard (juce::Rectangle<float> (30.0f, (float)y, 300.0f, 300.0f), 20.0f, 20.0f, juce::Colour (0xff3a3a3a),
                        juce::Colour (0xff2e2e2e));
    g.drawImage (reel, 30, y, 300, 300, 0, 0, 600, 600);
    caption (g, "reel 600 x 600", 30, y + 306, 300);

    int x = 360;
    const LookImageId strips[] = {LookImageId::knobStripDefault, LookImageId::knobStripEq, LookImageId::knobStripAuxPan};

    for (int s = 0; s < 3; ++s)
    {
        const auto strip = LookImages::get (strips[s]);

        for (int i = 0; i < 5; ++i)
        {
            const int frame = i * 127 / 4;
            g.drawImage (strip, x + i * 100, y + s * 100, 96, 96, 0, frame * 128, 128, 128);
        }
    }

    caption (g, "knob strips 128 x 16384: frames 0, 31, 63, 95, 127", x, y + 306, 500);
    x += 520;

    const auto fader = LookImages::get (LookImageId::faderCap);
    g.drawImageAt (fader, x, y + 20);
    const auto thumb = LookImages::get (LookImageId::sliderThumb);
    g.drawImageAt (thumb, x + 100, y + 20);
    g.drawImageAt (LookImages::get (LookImageId::panelButton), x, y + 180);
    g.drawImageAt (LookImages::get (LookImageId::panelButtonLit), x + 110, y + 180);
    caption (g, "fader cap, thumb, panel buttons", x, y + 306, 220);
    x += 240;

    for (int i = 0; i < 14; ++i)
    {
        const auto cap = LookImages::get ((LookImageId)((int)LookImageId::playCap + i));
        g.drawImageAt (cap, x + (i / 2) * 108, y + (i % 2) * 80 + 40);
    }

    caption (g, "transport caps 100 x 70, plain and lit", x, y + 306, 760);

    // Controls in both looks.
    y += 360;
    heading (g, "Controls: vintage look", y);
    y += 50;

    CustomLookAndFeel vintage;
    ModernLookAndFeel modern;
    MarlixButtonLook marlix;
    FormatDisplayLook format;
    RhythmLCDLook lcd;
    SharpieLabelLook sharpie;

    {
        ControlBank bank (vintage, marlix, format, lcd, sharpie, juce::Colour (0xff3a3c40));
        g.drawImageAt (bank.createComponentSnapshot (bank.getLocalBounds()), 30, y);
        y += bank.getHeight() + 30;
    }

    for (const bool dark : {false, true})
    {
        heading (g, dark ? "Controls: minimal look, dark" : "Controls: minimal look, light", y);
        y += 50;
        modern.cBg = dark ? 0xff181818 : 0xffe2e5e7;
        modern.cChassis1 = dark ? 0xff222222 : 0xffffffff;
        modern.cStrip = dark ? 0xff2a2a2a : 0xffebf0f3;
        modern.cDark = dark ? 0xffe0e0e0 : 0xff34495e;
        modern.applyThemeColours();
        juce::LookAndFeel::setDefaultLookAndFeel (&modern);
        ControlBank bank (modern, marlix, format, lcd, sharpie, juce::Colour (modern.cChassis1));
        g.drawImageAt (bank.createComponentSnapshot (bank.getLocalBounds()), 30, y);
        y += bank.getHeight() + 30;
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    const auto used = sheet.getClippedImage ({0, 0, sheetWidth, y});
    juce::File output (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    output.deleteFile();
    juce::FileOutputStream out (output);

    if (! out.openedOk() || ! juce::PNGImageFormat().writeImageToStream (used, out))
    {
        std::cerr << "could not write " << output.getFullPathName() << "\n";
        return 1;
    }

    return 0;
}
