#include "ui/panels/SystemTab.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/GlobalSettingsFile.h"
#include "ui/deck/FlowDialog.h"
#include "ui/panels/SettingsPanelTexts.h"

#include <utility>

namespace T = SettingsPanelTexts;

const std::array<SystemTab::ToggleSpec, 11> SystemTab::toggleSpecs{{
    {ParameterIds::SHOW_TIPS, "Show Tooltips (Help)"},
    {ParameterIds::DISABLE_SFX, "Disable Button Sounds"},
    {ParameterIds::LIGHT_GUI, "Low CPU Mode (Disable Animations)"},
    {ParameterIds::DIRECT_MON, "Mute Input Monitor (Direct Mon)"},
    {ParameterIds::SYNC_LOCK, "DAW Sync Lock (Zero Drift)"},
    {ParameterIds::DISABLE_NOISE, "Don't Print Tape Noise"},
    {ParameterIds::SOUND_ON_SOUND, "Sound On Sound (No Erase)"},
    {ParameterIds::PUNCH_IN, "Punch-In Mode (0ms Delay)"},
    {ParameterIds::DISABLE_AUTO_DISARM, "Disable Auto-Disarm on Stop"},
    {ParameterIds::MOMENTARY_TRANSPORT, "Momentary Rewind/FFWD"},
    {ParameterIds::SHOW_WAVE, "Show Tape Waveform (Visualizer)"},
}};

namespace
{
void setBeige (juce::TextButton& button)
{
    button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
}
} // namespace

SystemTab::SystemTab (TavrelDelayAudioProcessor& processorToUse) : processor (processorToUse)
{
    auto& state = processor.parameters;

    for (auto [label, text] : {std::pair<juce::Label*, const char*>{&offsetLabel, T::offsetLabel},
                               std::pair<juce::Label*, const char*>{&autoSaveLabel, T::autoSaveLabel}})
    {
        label->setText (text, juce::dontSendNotification);
        label->setFont (juce::Font (12.0f));
        label->setColour (juce::Label::textColourId, juce::Colour (0xff808080));
        addAndMakeVisible (*label);
    }

    offsetSlider.setSliderStyle (juce::Slider::LinearHorizontal);
    offsetSlider.setRange (-2000.0, 5000.0, 0.01);
    offsetSlider.setValue (0.0, juce::dontSendNotification);
    offsetSlider.setTextValueSuffix (" smp");
    offsetSlider.setColour (juce::Slider::trackColourId, juce::Colour (0xff222222));
    sliderLook.applyTo (offsetSlider);
    addAndMakeVisible (offsetSlider);
    if (state.getParameter (ParameterIds::REC_OFFSET) != nullptr)
        offsetAttachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (
            state, ParameterIds::REC_OFFSET, offsetSlider);

    int id = 1;
    for (const auto* choice : {"Off", "5 Minutes", "10 Minutes", "15 Minutes", "30 Minutes"})
        autoSaveBox.addItem (choice, id++);
    autoSaveBox.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff151515));
    autoSaveBox.setColour (juce::ComboBox::textColourId, juce::Colours::white);
    autoSaveBox.setColour (juce::ComboBox::outlineColourId, juce::Colour (0xff808080).withAlpha (0.5f));
    addAndMakeVisible (autoSaveBox);
    if (state.getParameter (ParameterIds::AUTO_SAVE_INTERVAL) != nullptr)
        autoSaveAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ComboBoxAttachment> (
            state, ParameterIds::AUTO_SAVE_INTERVAL, autoSaveBox);

    for (size_t i = 0; i < toggles.size(); ++i)
        attachToggle (toggles[i], toggleSpecs[i].text, toggleSpecs[i].parameterId);

    // The attachment has flipped the parameter by the time onClick runs.
    for (const auto index : {autoDisarmToggle, momentaryToggle})
    {
        toggles[(size_t)index].onClick = [this] { appWideToggleClicked(); };
        if (auto* parameter = state.getParameter (toggleSpecs[(size_t)index].parameterId))
            parameter->addListener (this);
    }

    libraryButton.setButtonText (T::libraryButton);
    calibrateButton.setButtonText (T::calibrateButton);
    for (auto* button : {&libraryButton, &calibrateButton})
    {
        setBeige (*button);
        button->setLookAndFeel (&buttonLook);
        addAndMakeVisible (*button);
    }

    libraryButton.onClick = [this]
    {
        libraryChooser = std::make_unique<juce::FileChooser> (T::libraryChooserTitle,
                                                              processor.reelLibrary.getLibraryRoot());
        libraryChooser->launchAsync (juce::FileBrowserComponent::openMode |
                                         juce::FileBrowserComponent::canSelectDirectories,
                                     [safe = juce::Component::SafePointer<SystemTab> (this)] (const juce::FileChooser& fc)
                                     {
                                         if (auto* tab = safe.getComponent())
                                             tab->changeLibraryFolder (fc);
                                     });
    };
    calibrateButton.onClick = [this] { runAutoCalibration(); };
}

SystemTab::~SystemTab()
{
    for (const auto index : {autoDisarmToggle, momentaryToggle})
        if (auto* parameter = processor.parameters.getParameter (toggleSpecs[(size_t)index].parameterId))
            parameter->removeListener (this);

    for (auto& toggle : toggles)
        toggle.setLookAndFeel (nullptr);
    libraryButton.setLookAndFeel (nullptr);
    calibrateButton.setLookAndFeel (nullptr);
    offsetSlider.setLookAndFeel (nullptr);
}

void SystemTab::attachToggle (juce::TextButton& button, const juce::String& text, const juce::String& parameterId)
{
    button.setButtonText (text);
    button.setClickingTogglesState (true);
    setBeige (button);
    button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffb0a090));
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
    button.setLookAndFeel (&buttonLook);
    addAndMakeVisible (button);

    if (processor.parameters.getParameter (parameterId) != nullptr)
        toggleAttachments.push_back (std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (
            processor.parameters, parameterId, button));
}

void SystemTab::parameterGestureChanged (int, bool gestureIsStarting)
{
    if (! gestureIsStarting)
        userGestureSeen = true;
}

void SystemTab::appWideToggleClicked()
{
    if (std::exchange (userGestureSeen, false))
        saveGlobalSettings();
}

void SystemTab::saveGlobalSettings()
{
    GlobalSettingsFile::writeSwitches ({{GlobalSettingsFile::momentaryTransport, toggles[momentaryToggle].getToggleState()},
                                        {GlobalSettingsFile::disableAutoDisarm, toggles[autoDisarmToggle].getToggleState()}});
}

void SystemTab::changeLibraryFolder (const juce::FileChooser& chooser)
{
    applyLibraryFolder (chooser.getResult());
}

void SystemTab::applyLibraryFolder (const juce::File& folder)
{
    if (folder == juce::File() || ! folder.isDirectory())
        return;

    if (! processor.reelLibrary.setLibraryFolder (folder))
        return;

    FlowDialog::notify (T::libraryChangedTitle,
                        "Your reels folder has been updated to:\n" + folder.getFullPathName() +
                            "\n\nAny existing reels in the old folder will need to be manually moved using your OS "
                            "file explorer.",
                        3);
}

void SystemTab::runAutoCalibration()
{
    auto* dialog = FlowDialog::create (T::calibrationTitle, T::calibrationMessage, 3);
    FlowDialog::addButton (*dialog, "START", 1);
    FlowDialog::addButton (*dialog, "CANCEL", 0);
    FlowDialog::show (dialog,
                      [target = juce::WeakReference<TavrelDelayAudioProcessor> (&processor)] (int result,
                                                                                            SafeAlertWindow&)
                      {
                          // The panel may have closed meanwhile; the processor is what measures.
                          // It publishes counter and phase before the flag the audio thread polls.
                          if (auto* p = target.get(); p != nullptr && result == 1)
                              p->startLatencyMeasurement();
                      });
}

void SystemTab::resized()
{
    const int a = (getWidth() - 300) / 2;
    offsetLabel.setBounds (a, 20, 300, 20);
    offsetSlider.setBounds (a, 40, 300, 25);
    autoSaveLabel.setBounds (a, 70, 300, 20);
    autoSaveBox.setBounds (a, 90, 300, 25);

    for (int i = 0; i < 8; ++i)
        toggles[(size_t)i].setBounds (a, 125 + 35 * i, 300, 30);
    toggles[8].setBounds (a, 405, 300, 30);
    toggles[9].setBounds (a, 440, 300, 30);
    toggles[10].setBounds (a, 475, 300, 30);

    libraryButton.setBounds (a, 510, 300, 30);
    calibrateButton.setBounds (a, 555, 300, 35);
}
