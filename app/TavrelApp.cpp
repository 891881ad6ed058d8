// The application object: names, the single-instance rule, start-up and the window's return
// to the front.

#include "app/TavrelApp.h"

#include "app/AppTexts.h"
#include "app/SafeAlertWindow.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

TavrelApp::TavrelApp() = default;

TavrelApp::~TavrelApp()
{
    shutdown();
}

const juce::String TavrelApp::getApplicationName()
{
    return AppTexts::applicationName;
}

const juce::String TavrelApp::getApplicationVersion()
{
    return AppTexts::applicationVersion;
}

bool TavrelApp::moreThanOneInstanceAllowed()
{
    return true;
}

bool TavrelApp::initialiseApp()
{
    auto folder = Platform::getUserDataFolder();
    folder.createDirectory();

    instanceChannel = std::make_unique<InstanceChannel> (InstanceChannel::socketFileFor (folder, getApplicationName()));

    const InstanceChannel::Message own{getCommandLineParameters(), juce::File::getCurrentWorkingDirectory()};
    const auto outcome = instanceChannel->claim (own, [this] (const InstanceChannel::Message& message)
                                                 { handOver (message.commandLine, message.workingDirectory); });

    if (outcome == InstanceChannel::Outcome::handedOver)
    {
        // The running instance has the command line; this process opens nothing.
        instanceChannel.reset();
        setApplicationReturnValue (0);
        return false;
    }

    if (outcome == InstanceChannel::Outcome::unavailable)
        instanceChannel.reset(); // no usable socket: run without the rule rather than not at all

    // (JUCEApplication adds nothing here on Linux.)
    return juce::JUCEApplicationBase::initialiseApp();
}

void TavrelApp::initialise (const juce::String& commandLine)
{
    auto& desktop = juce::Desktop::getInstance();
    const auto landscape = juce::Desktop::rotatedClockwise | juce::Desktop::rotatedAntiClockwise;
    if (desktop.getOrientationsEnabled() != landscape)
        desktop.setOrientationsEnabled (landscape);

    if (auto folder = Platform::getUserDataFolder(); ! folder.isDirectory())
        folder.createDirectory();

    openAudioDevice();

    processor = std::make_unique<TavrelDelayAudioProcessor>();
    processor->deviceManager = &deviceManager;

    player.setProcessor (processor.get());
    deviceManager.addAudioCallback (&player);

    enableMidiInputs();

    // The default look-and-feel (minimal or skeuomorphic, from "modern_theme.xml") is set by the
    // editor when the main window makes it, before any other window exists.
    mainWindow = std::make_unique<MainWindow> (getApplicationName(), *processor);

    menuBar = std::make_unique<MainAppMenuBar> (*processor, *mainWindow);
    mainWindow->setMenuBar (menuBar.get());
    menuBar->update(); // the title at once, not a tick later

    if (commandLine.isNotEmpty())
        openFileFromCommandLine (commandLine, juce::File::getCurrentWorkingDirectory());
}

void TavrelApp::openAudioDevice()
{
    const auto settingsFile = Platform::getUserDataFolder().getChildFile (AppTexts::deviceSettingsFile);
    std::unique_ptr<juce::XmlElement> saved;

    if (settingsFile.existsAsFile())
        saved = GuardedXmlReader::parseFile (settingsFile);

    // A file of another kind counts as no saved set-up.
    if (saved != nullptr && ! saved->getTagName().equalsIgnoreCase (AppTexts::deviceSetupTag))
        saved.reset();

    juce::String error;

    if (saved != nullptr)
    {
        error = deviceManager.initialise (2, 2, saved.get(), true, {}, nullptr);
    }
    else
    {
        // Machines without a sound card run a JACK server; where one runs it is the studio's
        // device (the framework would pick ALSA first).
        for (auto* type : deviceManager.getAvailableDeviceTypes())
        {
            if (type->getTypeName() != "JACK")
                continue;

            type->scanForDevices();
            if (! type->getDeviceNames (false).isEmpty())
                deviceManager.setCurrentAudioDeviceType (type->getTypeName(), false);
        }

        juce::AudioDeviceManager::AudioDeviceSetup defaults;
        error = deviceManager.initialise (2, 2, nullptr, true, {}, &defaults);
    }

    const auto firstAttemptFailed = error.isNotEmpty();
    if (firstAttemptFailed)
        deviceManager.initialise (2, 2, nullptr, true);

    // Every input of the device is a possible track source.
    auto* device = deviceManager.getCurrentAudioDevice();
    if ((saved == nullptr || firstAttemptFailed) && device != nullptr)
    {
        const auto names = device->getInputChannelNames().size();
        if (device->getActiveInputChannels().countNumberOfSetBits() < names)
        {
            auto setup = deviceManager.getAudioDeviceSetup();
            setup.inputChannels.setRange (0, names, true);
            setup.useDefaultInputChannels = false;
            deviceManager.setAudioDeviceSetup (setup, true);
        }
    }
}

void TavrelApp::enableMidiInputs()
{
    for (const auto& input : juce::MidiInput::getAvailableDevices())
        if (! deviceManager.isMidiInputDeviceEnabled (input.identifier))
            deviceManager.setMidiInputDeviceEnabled (input.identifier, true);

    deviceManager.addMidiInputDeviceCallback ({}, &player);
}

void TavrelApp::anotherInstanceStarted (const juce::String& commandLine)
{
    handOver (commandLine, juce::File::getCurrentWorkingDirectory());
}

void TavrelApp::handOver (const juce::String& commandLine, const juce::File& workingDirectory)
{
    if (mainWindow != nullptr)
    {
        if (mainWindow->isMinimised())
            mainWindow->setMinimised (false);

        mainWindow->toFront (true);
    }

    if (commandLine.isNotEmpty())
        openFileFromCommandLine (commandLine, workingDirectory != juce::File()
                                                  ? workingDirectory
                                                  : juce::File::getCurrentWorkingDirectory());
}

void TavrelApp::resumed()
{
    if (mainWindow == nullptr)
        return;

    mainWindow->setVisible (true);

    for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
        if (auto* window = juce::TopLevelWindow::getTopLevelWindow (i))
            window->toFront (false);

    mainWindow->grabKeyboardFocus();
}

TavrelDelayAudioProcessorEditor* TavrelApp::getEditor() const
{
    if (mainWindow == nullptr)
        return nullptr;

    return dynamic_cast<TavrelDelayAudioProcessorEditor*> (mainWindow->getContentComponent());
}

void TavrelApp::showNotice (const juce::String& title, const juce::String& message, juce::MessageBoxIconType icon)
{
    auto* notice = new SafeAlertWindow (title, message, icon);
    notice->getProperties().set (SafeAlertWindow::bodyTextProperty, message);
    notice->addButton (AppTexts::okButton, 1, juce::KeyPress (juce::KeyPress::returnKey),
                       juce::KeyPress (juce::KeyPress::escapeKey));
    notice->enterModalState (true, nullptr, true);
}
