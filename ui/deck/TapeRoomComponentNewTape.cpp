#include "ui/deck/TapeRoomComponent.h"

#include "app/SafeAlertWindow.h"
#include "storage/ReelLibrary.h"
#include "storage/ReelList.h"
#include "storage/ReelNames.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TapeRoomTexts.h"

namespace
{
constexpr double fallbackRate = 44100.0;
constexpr double highestMultitrackRate = 48000.0;
constexpr double redAboveBytes = 4294967296.0;

juce::String sizeText (double bytes)
{
    if (bytes >= 1073741824.0)
        return juce::String (bytes / 1073741824.0, 2) + " GB";

    return juce::String (bytes / 1048576.0, 1) + " MB";
}

double tapeSamples (int lengthSeconds, int trackCount, double sampleRate)
{
    return (double) lengthSeconds * sampleRate * (double) trackCount;
}
} // namespace

int TapeRoomComponent::lengthSecondsForId (int lengthId)
{
    static constexpr int seconds[] = {300, 600, 1200, 1800, 2700, 3600};
    return juce::isPositiveAndBelow (lengthId - 1, 6) ? seconds[lengthId - 1] : seconds[0];
}

int TapeRoomComponent::trackCountForId (int tracksId)
{
    static constexpr int tracks[] = {8, 16, 24};
    return juce::isPositiveAndBelow (tracksId - 1, 3) ? tracks[tracksId - 1] : tracks[0];
}

juce::String TapeRoomComponent::estimateText (int lengthSeconds, int trackCount, double sampleRate)
{
    const auto samples = tapeSamples (lengthSeconds, trackCount, sampleRate);
    return "EST. RAM: " + sizeText (samples * 4.0) + "   |   DISK: " + sizeText (samples * 2.0);
}

juce::Colour TapeRoomComponent::estimateColour (int lengthSeconds, int trackCount, double sampleRate)
{
    return tapeSamples (lengthSeconds, trackCount, sampleRate) * 4.0 > redAboveBytes ? juce::Colour (0xffe74c3c)
                                                                                      : juce::Colour (0xffffa500);
}

void TapeRoomComponent::doNew()
{
    auto* dialog = FlowDialog::create (TapeRoomTexts::newTapeTitle, TapeRoomTexts::newTapeMessage, 0, &look);
    dialog->addTextEditor (TapeRoomTexts::nameField, TapeRoomTexts::defaultNewName, "Reel Name:");
    dialog->addComboBox (TapeRoomTexts::lengthField,
                         {"5 Minutes", "10 Minutes", "20 Minutes", "30 Minutes", "45 Minutes", "60 Minutes"},
                         "Tape Length:");
    dialog->addComboBox (TapeRoomTexts::tracksField, {"8 Tracks", "16 Tracks", "24 Tracks"}, "Track Count:");
    auto* lengthBox = dialog->getComboBoxComponent (TapeRoomTexts::lengthField);
    auto* tracksBox = dialog->getComboBoxComponent (TapeRoomTexts::tracksField);
    lengthBox->setSelectedId (2, juce::dontSendNotification);
    tracksBox->setSelectedId (1, juce::dontSendNotification);

    // The device the reel will be made for; its rate is captured for the dialog's lifetime.
    juce::String deviceName (TapeRoomTexts::defaultDevice);
    double rate = fallbackRate;
    if (deviceManager != nullptr)
        if (auto* device = deviceManager->getCurrentAudioDevice())
        {
            deviceName = device->getName();
            rate = device->getCurrentSampleRate() > 0.0 ? device->getCurrentSampleRate() : fallbackRate;
        }

    // A button to leave the dialog for the device settings; the dialog opens again afterwards.
    struct DevBtnWrapper : public juce::Component
    {
        DevBtnWrapper (const juce::String& text, juce::AlertWindow& owner)
        {
            button.setButtonText (text);
            button.setTooltip (TapeRoomTexts::deviceTooltip);
            button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff3e3e3e));
            button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
            button.onClick = [&owner] { owner.exitModalState (2); };
            addAndMakeVisible (button);
            setSize (300, 30);
        }

        void resized() override { button.setBounds (getLocalBounds()); }

        juce::TextButton button;
    };

    // The alert window does not own its custom components: the dialog's callback does, and it
    // goes only after the window.
    struct Parts
    {
        std::unique_ptr<DevBtnWrapper> deviceButton;
        std::unique_ptr<juce::Label> stats;
    };
    auto parts = std::make_shared<Parts>();

    parts->deviceButton = std::make_unique<DevBtnWrapper> (
        deviceName + "  (" + juce::String (rate / 1000.0, 1) + " kHz)", *dialog);
    dialog->addCustomComponent (parts->deviceButton.get());

    parts->stats = std::make_unique<juce::Label> (TapeRoomTexts::statsLabel, "Calculating...");
    auto* stats = parts->stats.get();
    stats->setSize (300, 30);
    stats->setJustificationType (juce::Justification::centred);
    stats->setFont (juce::Font ("sans-serif", 13.0f, juce::Font::bold));
    stats->setColour (juce::Label::textColourId, juce::Colour (0xffffa500));
    dialog->addCustomComponent (stats);

    const auto updateStats = [lengthBox, tracksBox, stats, rate] {
        const int seconds = lengthSecondsForId (lengthBox->getSelectedId());
        const int tracks = trackCountForId (tracksBox->getSelectedId());
        stats->setText (estimateText (seconds, tracks, rate), juce::dontSendNotification);
        stats->setColour (juce::Label::textColourId, estimateColour (seconds, tracks, rate));
    };
    lengthBox->onChange = updateStats;
    tracksBox->onChange = updateStats;
    updateStats();

    FlowDialog::addButton (*dialog, TapeRoomTexts::createButton, 1);
    FlowDialog::addButton (*dialog, TapeRoomTexts::cancelButton, 0);

    // The dialog goes right after its callback; the parts are held by the callback and go later.
    FlowDialog::show (dialog, [this, rate, weakThis = juce::WeakReference<TapeRoomComponent> (this), parts] (
                                  int result, SafeAlertWindow& window) {
        if (weakThis == nullptr)
            return;

        if (result == 2)
        {
            if (onOpenAudioSettings)
                onOpenAudioSettings ([weakThis] {
                    juce::MessageManager::callAsync ([weakThis] {
                        if (auto* room = weakThis.get())
                            room->doNew();
                    });
                });
            return;
        }

        if (result == 1)
            createTape (window.getTextEditorContents (TapeRoomTexts::nameField),
                        lengthSecondsForId (window.getComboBoxComponent (TapeRoomTexts::lengthField)->getSelectedId()),
                        trackCountForId (window.getComboBoxComponent (TapeRoomTexts::tracksField)->getSelectedId()),
                        rate);
    });
}

void TapeRoomComponent::createTape (const juce::String& typedName, int lengthSeconds, int trackCount,
                                    double sampleRate)
{
    auto name = typedName.trim();
    if (name.isEmpty())
        name = TapeRoomTexts::emptyNameFallback;

    // Checked against everything in the library folder, not the filtered list: an existing
    // reel is never opened as if it were the new one.
    if (refuseNewName (name) || library == nullptr)
        return;

    if ((trackCount == 16 || trackCount == 24) && sampleRate > highestMultitrackRate)
    {
        FlowDialog::notify (TapeRoomTexts::formatRestrictionTitle, TapeRoomTexts::formatRestrictionMessage, 2, &look);
        sampleRate = highestMultitrackRate;
    }

    if (auto created = library->createReel (name, (double) lengthSeconds, sampleRate, trackCount); created.failed())
    {
        FlowDialog::notify (TapeRoomTexts::tapeNotCreatedTitle, created.getErrorMessage(), 2, &look);
        return;
    }

    refreshReelList();

    if (const int index = ReelList::indexOfReel (rows, name); index >= 0)
        listBox.selectRow (index);
    else
        listBox.deselectAllRows();

    if (onOpenReel)
        onOpenReel (name);
}

bool TapeRoomComponent::isNameTaken (const juce::String& name) const
{
    if (library == nullptr)
        return false;

    for (const auto& child : library->getLibraryRoot().findChildFiles (juce::File::findFilesAndDirectories, false, "*",
                                                                        juce::File::FollowSymlinks::no))
        if (child.getFileName().equalsIgnoreCase (name))
            return true;

    return false;
}

bool TapeRoomComponent::refuseNewName (const juce::String& name, const juce::String& renamedFrom)
{
    const bool sameReel = renamedFrom.isNotEmpty() && name.equalsIgnoreCase (renamedFrom);

    if (! sameReel && isNameTaken (name))
    {
        FlowDialog::notify (TapeRoomTexts::nameTakenTitle, TapeRoomTexts::nameTakenMessage, 2, &look);
        return true;
    }

    if (library == nullptr)
        return false;

    if (auto valid = ReelNames::checkNewReelName (name, library->getLibraryRoot(), renamedFrom); valid.failed())
    {
        FlowDialog::notify (TapeRoomTexts::invalidNameTitle, valid.getErrorMessage(), 2, &look);
        return true;
    }

    return false;
}
