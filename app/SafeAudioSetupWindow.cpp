#include "app/SafeAudioSetupWindow.h"

#include "app/AppTexts.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <juce_audio_utils/juce_audio_utils.h>

juce::Colour SafeAudioSetupWindow::backgroundFor (juce::LookAndFeel* look, bool minimalUI)
{
    if (! minimalUI)
        return juce::Colour (0xff2b2b2b);

    if (auto* modern = dynamic_cast<ModernLookAndFeel*> (look))
        return juce::Colour (modern->cChassis1);

    return juce::Colour (0xfff8f9fa);
}

SafeAudioSetupWindow::SafeAudioSetupWindow (TavrelDelayAudioProcessor* processorToUse, juce::LookAndFeel* look,
                                            bool minimalUI)
    : juce::DocumentWindow (title, backgroundFor (look, minimalUI), juce::DocumentWindow::closeButton, false),
      processor (processorToUse)
{
    if (look != nullptr && look != &getLookAndFeel())
        setLookAndFeel (look);
    setUsingNativeTitleBar (false);

    if (processor != nullptr && processor->deviceManager != nullptr)
    {
        // JUCE lists the device types the build has (JACK and ALSA here); channels one by one,
        // advanced settings (rate, buffer) shown at once.
        setContentOwned (new juce::AudioDeviceSelectorComponent (*processor->deviceManager, 0, 256, 0, 256, true, true,
                                                                 false, false),
                         true);
    }

    setResizable (false, false);
    centreWithSize (windowWidth, windowHeight);
    constrainer.attachTo (*this);

    // X11 has no owner windows: kept above the program's active window by staying on top, and
    // placed on the desktop by itself either way (a native parent would embed it in the editor).
    bool programActive = false;
    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
        if (auto* window = juce::TopLevelWindow::getTopLevelWindow (i); window != nullptr && window != this)
            programActive = programActive || window->isActiveWindow();

    addToDesktop (getDesktopWindowStyleFlags());
    if (programActive)
        setAlwaysOnTop (true);

    setVisible (true);
    toFront (true);
}

SafeAudioSetupWindow::~SafeAudioSetupWindow()
{
    setConstrainer (nullptr);
    setLookAndFeel (nullptr);
}

juce::File SafeAudioSetupWindow::getSettingsFile()
{
    return Platform::getUserDataFolder().getChildFile (AppTexts::deviceSettingsFile);
}

void SafeAudioSetupWindow::closeButtonPressed()
{
    setLookAndFeel (nullptr);

    if (processor != nullptr && processor->deviceManager != nullptr)
    {
        // Only a set-up someone chose (the file, the selector, start-up's own choice) is stored.
        if (auto state = processor->deviceManager->createStateXml())
        {
            const auto file = getSettingsFile();
            file.getParentDirectory().createDirectory();
            state->writeTo (file); // a failed write leaves the previous file for the next start
        }
    }

    if (onClose)
        onClose();

    delete this;
}
