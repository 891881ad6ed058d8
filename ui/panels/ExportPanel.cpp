#include "ui/panels/ExportPanel.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/deck/FlowDialog.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/panels/OfflineExportThread.h"

namespace
{
// The times of the last export or bounce, kept for the next panel while the program runs.
struct RememberedTimes
{
    bool known = false;
    double start = 0.0, end = 0.0, length = 0.0;
};

RememberedTimes& remembered()
{
    static RememberedTimes times;
    return times;
}

const juce::String untitledReel ("Untitled");
} // namespace

ExportPanel::ExportPanel (TavrelDelayAudioProcessor& processorToUse, double reelLength,
                          std::function<void()> closeCallback)
    : processor (processorToUse), onClose (std::move (closeCallback))
{
    zeroOffset = processor.zeroOffset.load();

    auto& times = remembered();

    if (! times.known)
    {
        times.known = true;
        times.end = times.length = reelLength;
    }

    if (reelLength > times.length)
        times.end = reelLength;

    times.length = reelLength;
    times.end = juce::jmin (times.end, reelLength);

    const auto zero = zeroOffset;

    for (auto* slider : {&startSlider, &endSlider})
    {
        slider->setSliderStyle (juce::Slider::LinearHorizontal);
        slider->setRange (0.0, reelLength, 1.0);
        slider->textFromValueFunction = [zero] (double value) { return timeToText (value, zero); };
        slider->valueFromTextFunction = [zero] (const juce::String& text) { return textToTime (text, zero); };
        // The time text is not shown on the panel, but it can be typed into and is what
        // accessibility reads.
        slider->setTextBoxStyle (juce::Slider::TextBoxAbove, false, 0, 0);
        slider->setTextBoxIsEditable (true);
        slider->setColour (juce::Slider::trackColourId, juce::Colour (0xff222222));
        slider->setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0xff808080));
        slider->setColour (juce::Slider::textBoxTextColourId, juce::Colours::white);
        // The groove shows on the dark card; the times are drawn beside the labels.
        slider->setColour (juce::Slider::backgroundColourId, juce::Colour (0xff4a4a4a));
        slider->onValueChange = [this] { repaint(); };
        addAndMakeVisible (*slider);
    }

    startSlider.setValue (times.start, juce::dontSendNotification);
    endSlider.setValue (times.end, juce::dontSendNotification);
    startSlider.updateText();
    endSlider.updateText();

    const bool modern = ModernLookAndFeel::getDefault() != nullptr;

    const std::pair<juce::TextButton*, const char*> buttons[] = {{&cancelButton, "CANCEL"},
                                                                 {&exportButton, "OFFLINE EXPORT"},
                                                                 {&liveButton, "LIVE MIX"},
                                                                 {&bounceButton, "BOUNCE TO TAPE"}};

    for (auto [button, text] : buttons)
    {
        button->setButtonText (text);

        if (! modern)
        {
            button->setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
            button->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffb0a090));
            button->setColour (juce::TextButton::textColourOffId, juce::Colours::black);
            button->setColour (juce::TextButton::textColourOnId, juce::Colours::black);
            button->setLookAndFeel (&buttonLook);
        }

        addAndMakeVisible (*button);
    }

    cancelButton.onClick = [this] { close(); };
    exportButton.onClick = [this]
    {
        rememberTimes();
        chooseExportFile (false);
    };
    bounceButton.onClick = [this]
    {
        rememberTimes();
        showBounceDialog();
    };
    liveButton.onClick = [this] { chooseExportFile (true); };

    const std::pair<juce::Label*, const char*> labels[] = {{&startLabel, "START TIME"}, {&endLabel, "END TIME"}};

    for (auto [label, text] : labels)
    {
        label->setText (text, juce::dontSendNotification);
        label->setFont (juce::Font (12.0f, juce::Font::plain));
        label->setColour (juce::Label::textColourId, juce::Colour (0xffd3d3d3));
        addAndMakeVisible (*label);
    }

    if (const auto* theme = ModernLookAndFeel::getDefault())
    {
        for (auto* slider : {&startSlider, &endSlider})
        {
            slider->setColour (juce::Slider::backgroundColourId, juce::Colour (theme->cDark).withAlpha (0.2f));
            slider->setColour (juce::Slider::trackColourId, juce::Colour (theme->cAccent));
            slider->setColour (juce::Slider::thumbColourId, juce::Colour (theme->cAccent));
            slider->setLookAndFeel (&sliderLook);
        }
    }

    setSize (panelWidth, panelHeight);
}

ExportPanel::~ExportPanel()
{
    for (auto* slider : {&startSlider, &endSlider})
        slider->setLookAndFeel (nullptr);

    for (auto* button : {&cancelButton, &exportButton, &liveButton, &bounceButton})
        button->setLookAndFeel (nullptr);
}

//==============================================================================
juce::String ExportPanel::timeToText (double seconds, double zero)
{
    const auto d = seconds - zero;
    const auto s = (int)std::abs (d);
    return (d < 0.0 ? "-" : "") + juce::String::formatted ("%02d:%02d", s / 60, s % 60);
}

double ExportPanel::textToTime (const juce::String& text, double zero)
{
    const auto colon = text.indexOfChar (':');
    const auto minutes = (colon < 0 ? text : text.substring (0, colon)).getIntValue();
    const auto seconds = colon < 0 ? 0 : text.substring (colon + 1).getIntValue();
    auto value = (double)seconds + std::abs (minutes) * 60.0;

    if (text.containsChar ('-'))
        value = -value;

    return value + zero;
}

void ExportPanel::resetRememberedTimes() noexcept
{
    remembered() = {};
}

void ExportPanel::rememberTimes()
{
    remembered().start = startSlider.getValue();
    remembered().end = endSlider.getValue();
}

bool ExportPanel::isRangeValid (double start, double end)
{
    if (end > start)
        return true;

    // The renderer would write a sliver of silence and call it a mixdown.
    FlowDialog::notify ("Nothing to Export", "The end time must come after the start time.", 2);
    return false;
}

void ExportPanel::close()
{
    if (auto callback = onClose)
        callback();
}

//==============================================================================
void ExportPanel::paint (juce::Graphics& g)
{
    const auto w = (float)getWidth();
    const auto h = (float)getHeight();
    const auto titleArea = juce::Rectangle<int> (0, 15, getWidth(), 25);

    if (const auto* modern = ModernLookAndFeel::getDefault())
    {
        const auto dark = juce::Colour (modern->cDark);
        g.setColour (juce::Colours::black.withAlpha (0.1f));
        g.fillRoundedRectangle (0.0f, 4.0f, w, h, 6.0f);
        g.setColour (juce::Colour (modern->cChassis1));
        g.fillRoundedRectangle (0.0f, 0.0f, w, h, 6.0f);
        g.setColour (dark.withAlpha (0.2f));
        g.drawRoundedRectangle (0.0f, 0.0f, w, h, 6.0f, 1.0f);
        g.setColour (dark);
        g.setFont (juce::Font ("sans-serif", 16.0f, juce::Font::bold));
        g.drawText (title, titleArea, juce::Justification::centred, true);
        g.setColour (dark.withAlpha (0.2f));
        g.fillRect (juce::Rectangle<int> (20, 45, getWidth() - 40, 1));
        paintTimes (g, dark);
        return;
    }

    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillRoundedRectangle (4.0f, 4.0f, w, h, 6.0f);
    g.setColour (juce::Colour (0xff2b2b2b));
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 6.0f);
    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.drawRoundedRectangle (0.0f, 0.0f, w, h, 6.0f, 1.0f);
    g.setColour (juce::Colour (0xffe6e6e6));
    g.setFont (juce::Font ("sans-serif", 18.0f, juce::Font::bold));
    g.drawText (title, titleArea, juce::Justification::centred, true);
    g.setColour (juce::Colours::black.withAlpha (0.3f));
    g.fillRect (juce::Rectangle<int> (20, 45, getWidth() - 40, 2));
    paintTimes (g, juce::Colour (0xffffa500));
}

void ExportPanel::paintTimes (juce::Graphics& g, juce::Colour colour)
{
    g.setColour (colour);
    g.setFont (juce::Font (juce::Font::getDefaultMonospacedFontName(), 13.0f, juce::Font::bold));
    g.drawText (startSlider.getTextFromValue (startSlider.getValue()), startLabel.getBounds(),
                juce::Justification::centredRight);
    g.drawText (endSlider.getTextFromValue (endSlider.getValue()), endLabel.getBounds(),
                juce::Justification::centredRight);
}

void ExportPanel::resized()
{
    const auto w = getWidth();
    startLabel.setBounds (30, 60, w - 60, 20);
    startSlider.setBounds (30, 80, w - 60, 25);
    endLabel.setBounds (30, 115, w - 60, 20);
    endSlider.setBounds (30, 135, w - 60, 25);

    const auto a = (w - 240) / 2;
    exportButton.setBounds (a, 170, 115, 24);
    bounceButton.setBounds (a + 125, 170, 115, 24);
    liveButton.setBounds (a, 200, 115, 24);
    cancelButton.setBounds (a + 125, 200, 115, 24);
}

//==============================================================================
juce::File ExportPanel::proposedExportFile (TavrelDelayAudioProcessor& processor)
{
    const auto reel = processor.getReelName();
    const auto name = reel.isEmpty() || reel == untitledReel ? juce::String ("My_Mix") : reel;
    const auto root = processor.reelLibrary.getLibraryRoot();
    const auto folder =
        reel == untitledReel ? root.getChildFile ("Bounces") : root.getChildFile (reel).getChildFile ("Bounces");

    if (! folder.isDirectory())
        folder.createDirectory();

    return folder.getChildFile (name + " - Mixdown.wav");
}

juce::File ExportPanel::withWavExtension (const juce::File& file)
{
    return file.hasFileExtension ("wav") ? file : file.withFileExtension ("wav");
}

void ExportPanel::chooseExportFile (bool live)
{
    const auto start = startSlider.getValue();
    const auto end = endSlider.getValue();

    // No overwrite warning here: the dialog would ask about the name as typed, not about the
    // ".wav" file really written. exportToFile asks about that one.
    auto chooser = std::make_shared<juce::FileChooser> (live ? "Live Bounce Output" : "Export Mix",
                                                        proposedExportFile (processor), "*.wav", useNativeFileDialog);

    chooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles,
                          [safe = juce::Component::SafePointer<ExportPanel> (this), chooser, start, end,
                           live] (const juce::FileChooser& done)
                          {
                              if (auto* panel = safe.getComponent())
                                  panel->startExport (done, start, end, live);
                          });
}

void ExportPanel::startExport (const juce::FileChooser& chooser, double start, double end, bool live)
{
    const auto chosen = chooser.getResult();

    if (chosen.getFullPathName().isEmpty())
    {
        close();
        return;
    }

    exportToFile (chosen, start, end, live);
}

void ExportPanel::exportToFile (const juce::File& chosen, double start, double end, bool live)
{
    const auto file = withWavExtension (chosen);

    if (! live && ! isRangeValid (start, end))
    {
        close();
        return;
    }

    if (file.isDirectory())
    {
        FlowDialog::notify (live ? "Live Mix Failed" : "Export Failed",
                            "\"" + file.getFullPathName() + "\" is a folder, not a file.", 2);
        close();
        return;
    }

    if (! file.existsAsFile())
    {
        runExport (file, start, end, live);
        close();
        return;
    }

    auto* dialog = FlowDialog::create (
        "File Exists", "The file \"" + file.getFileName() + "\" already exists.\nDo you want to replace it?", 2);
    FlowDialog::addButton (*dialog, "Replace", 1);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (
        dialog,
        [safe = juce::Component::SafePointer<ExportPanel> (this), file, start, end, live] (int result, SafeAlertWindow&)
        {
            auto* panel = safe.getComponent();

            if (panel == nullptr)
                return;

            if (result == 1)
                panel->runExport (file, start, end, live);

            panel->close();
        });
}

void ExportPanel::runExport (const juce::File& file, double start, double end, bool live)
{
    if (live)
    {
        processor.startLiveBounce (file);

        if (! processor.liveBounceActive.load())
        {
            FlowDialog::notify ("Live Mix Failed",
                                "The live mixdown cannot be written to \"" + file.getFullPathName() +
                                    "\".\nCheck that the folder exists and can be written to, and that the audio "
                                    "device is running.",
                                2);
            return;
        }

        if (onLiveBounceStarted)
            onLiveBounceStarted (file);

        return;
    }

    juce::Array<int> noExcludedTracks;
    auto* thread = new OfflineExportThread (processor, file.getFullPathName(), start, end, noExcludedTracks, false);
    thread->launchThread();
}
