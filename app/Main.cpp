#include "platform/Platform.h"
#include "rack/PluginScanChild.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Start-up entry point. Until the full application shell is in place this opens the audio
// device (a running JACK server first, since machines without a sound card use one) and shows
// the main window with what it opened.
namespace
{
class StatusComponent : public juce::Component
{
public:
    explicit StatusComponent (juce::String statusText) : status (std::move (statusText)) { setSize (640, 200); }

    void paint (juce::Graphics& g) override
    {
        g.fillAll (juce::Colour (0xff1e1e1e));
        g.setColour (juce::Colours::white);
        g.setFont (juce::Font (28.0f, juce::Font::bold));
        g.drawText ("Dravin 8", getLocalBounds().removeFromTop (100), juce::Justification::centred);
        g.setFont (juce::Font (16.0f));
        g.drawText (status, getLocalBounds().withTrimmedTop (100), juce::Justification::centredTop);
    }

private:
    juce::String status;
};

class DravinApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Dravin 8"; }
    const juce::String getApplicationVersion() override { return "0.1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String&) override
    {
        Platform::getUserDataFolder().createDirectory();

        deviceManager.setCurrentAudioDeviceType ("JACK", true);
        auto error = deviceManager.initialiseWithDefaultDevices (2, 2);
        if (deviceManager.getCurrentAudioDevice() == nullptr)
        {
            deviceManager.setCurrentAudioDeviceType ("ALSA", true);
            error = deviceManager.initialiseWithDefaultDevices (2, 2);
        }

        juce::String status = "No audio device could be opened";
        if (auto* device = deviceManager.getCurrentAudioDevice())
            status = "Audio: " + device->getTypeName() + " / " + device->getName() + " at "
                     + juce::String (device->getCurrentSampleRate(), 0) + " Hz, "
                     + juce::String (device->getCurrentBufferSizeSamples()) + " samples";
        else if (error.isNotEmpty())
            status << ": " << error;

        window = std::make_unique<PlaceholderWindow>();
        window->setUsingNativeTitleBar (true);
        window->setContentOwned (new StatusComponent (status), true);
        window->centreWithSize (window->getWidth(), window->getHeight());
        window->setVisible (true);
    }

    void shutdown() override
    {
        window.reset();
        deviceManager.closeAudioDevice();
    }

    void systemRequestedQuit() override { quit(); }

private:
    struct PlaceholderWindow : public juce::DocumentWindow
    {
        PlaceholderWindow() : juce::DocumentWindow ("Dravin 8", juce::Colours::black, juce::DocumentWindow::allButtons) {}
        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }
    };

    juce::AudioDeviceManager deviceManager;
    std::unique_ptr<PlaceholderWindow> window;
};
} // namespace

int main (int argc, char* argv[])
{
    // Started by the plug-in scanner to load one plug-in file: do that and leave before
    // anything of the application (devices, windows, per-user files) starts.
    if (auto exitCode = PluginScanChild::runIfRequested (argc, argv))
        return *exitCode;

    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new DravinApplication(); };
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
