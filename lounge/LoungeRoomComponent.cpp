#include "lounge/LoungeRoomComponent.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "lounge/LoungeFetch.h"
#include "lounge/LoungeIds.h"
#include "lounge/LoungeLibrary.h"
#include "lounge/LoungePicture.h"
#include "platform/Platform.h"
#include "storage/GuardedAudioReader.h"

// Shared by every room of the process: one program announces itself once per period.
int LoungeRoomComponent::heartbeatTickCounter = 0;
std::atomic<int> LoungeRoomComponent::runningJobs { 0 };

void LoungeRoomComponent::launchJob (std::function<void()> job)
{
    ++runningJobs;

    if (! juce::Thread::launch ([job = std::move (job)] { job(); --runningJobs; }))
        --runningJobs;
}

LoungeRoomComponent::LoungeRoomComponent (TavrelDelayAudioProcessor& processorToUse, LoungePlaces placesToUse)
    : processor (processorToUse),
      tapeList (LoungeIds::tapeListName, this),
      places (std::move (placesToUse))
{
    exitButton.setButtonText (LoungeIds::exitText);
    exitButton.onClick = [this] { setVisible (false); };
    addAndMakeVisible (exitButton);

    nameEditor.setTextToShowWhenEmpty (LoungeIds::namePlaceholder, juce::Colours::grey);
    nameEditor.onReturnKey = [this] { saveUserName(); };
    addAndMakeVisible (nameEditor);

    const std::pair<juce::TextButton*, const char*> keys[] = {
        { &playButton, LoungeIds::playButtonId }, { &stopButton, LoungeIds::stopButtonId },
        { &rewButton, LoungeIds::rewButtonId },   { &ffButton, LoungeIds::ffButtonId },
        { &rtzButton, LoungeIds::rtzButtonId },
    };

    for (auto [button, id] : keys)
    {
        button->setComponentID (id);
        button->setLookAndFeel (&customLook);
        addAndMakeVisible (*button);
    }

    playButton.onClick = [this] { pressPlay(); };
    stopButton.onClick = [this] { pressStop(); };
    rtzButton.onClick = [this] { setPosition (0.0); repaint(); };
    rewButton.onClick = [this] { moveBy (-5.0); };
    ffButton.onClick = [this] { moveBy (5.0); };

    // See-through, so the line of users present drawn beneath it shows.
    tapeList.setColour (juce::ListBox::backgroundColourId, juce::Colour (0x66000000));
    tapeList.setRowHeight (24);
    addAndMakeVisible (tapeList);

    {
        const auto settings = LoungePlacesFiles::openSettings (places.settingsFile);
        nameEditor.setText (settings->getValue (LoungeIds::userNameSetting, LoungeIds::guestName), false);
    }

    audioFormats.registerBasicFormats(); // WAV for mixdowns, Ogg Vorbis for the shared tapes

    // Prepared here, before any audio thread can reach the room, so that its blocks allocate
    // nothing unless the device changes or a block is longer than 2048 samples.
    mixBuffer.setSize (2, minPreparedBlock);

    if (processor.getSampleRate() > 0.0)
    {
        preparedRate = processor.getSampleRate();
        preparedBlockSize = juce::jmax (minPreparedBlock, processor.getBlockSize());
        player.prepareToPlay (preparedBlockSize, preparedRate);
    }

    worker.setServerAddress (places.serverAddress);
    worker.setUserName (nameEditor.getText());
    readAheadThread.startThread();
    worker.startThread();

    refreshLibrary();
    loadBackgroundImage();
    startTimer (timerIntervalMs);
}

LoungeRoomComponent::~LoungeRoomComponent()
{
    stopTimer();

    {
        // No audio block may run into a room that is going.
        const juce::ScopedLock sl (processor.audioLock);
        if (processor.loungeRoom == this)
            processor.loungeRoom = nullptr;
    }

    player.setSource (nullptr);
    readAheadThread.stopThread (2000);
    worker.stopThread (2000);

    for (auto* button : { &playButton, &stopButton, &rewButton, &ffButton, &rtzButton })
        button->setLookAndFeel (nullptr);
}

//==============================================================================
void LoungeRoomComponent::timerCallback()
{
    // The player stops itself at the end of a tape; the room then rewinds it and shows stop.
    // (A player without a tape has no length; asking it whether it finished would crash.)
    if (playing && ! player.isPlaying() && player.getTotalLength() > 0 && player.hasStreamFinished())
        endOfStream();

    reelSpeed = reelSpeed * 0.9f + (playing ? 0.1f : 0.0f);
    armSwing = playing ? armSwing * 0.9f + 0.02f : armSwing * 0.8f;

    if (std::abs (reelSpeed) > 0.001f)
        reelAngle -= 0.15f * (busy ? 1.0f : reelSpeed);
    else if (busy)
        reelAngle -= 0.15f;

    if (std::abs (reelSpeed) > 0.001f || busy || std::abs (armSwing) > 0.01f)
        repaint();

    if (++heartbeatTickCounter > heartbeatTicks - 1)
    {
        heartbeatTickCounter = 0;
        const auto name = nameEditor.getText();
        worker.requestHeartbeat (name.isEmpty() ? juce::String (LoungeIds::guestName) : name, LoungeIds::platformName);
    }
}

//==============================================================================
int LoungeRoomComponent::getNumRows()
{
    return (int) tapes.size();
}

void LoungeRoomComponent::paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool selected)
{
    if (row < 0 || row >= (int) tapes.size())
        return;

    if (selected)
        g.fillAll (juce::Colours::white.withAlpha ((juce::uint8) 51));

    const auto& tape = tapes[(size_t) row];
    g.setFont (14.0f);
    g.setColour (juce::Colours::white);
    g.drawText (tape.trackName, 10, 0, width - 80, height, juce::Justification::centredLeft, true);
    g.setColour (juce::Colour (0xff90ee90));
    g.drawText (tape.userName, width - 100, 0, 90, height, juce::Justification::centredRight, true);
}

void LoungeRoomComponent::listBoxItemClicked (int row, const juce::MouseEvent&)
{
    if (row >= 0 && row < (int) tapes.size())
        playTape (addressOf (tapes[(size_t) row]));
}

juce::String LoungeRoomComponent::addressOf (const LoungeTape& tape) const
{
    return LoungeLibrary::normaliseServerAddress (places.serverAddress) + LoungeIds::apiFolder + tape.filePath;
}

//==============================================================================
void LoungeRoomComponent::refreshLibrary()
{
    juce::Component::SafePointer<LoungeRoomComponent> room (this);
    const auto server = places.serverAddress;

    launchJob ([room, server]
    {
        auto fetched = fetchLoungeLibrary (server);

        juce::MessageManager::callAsync ([room, fetched = std::move (fetched)]() mutable
        {
            if (room != nullptr)
                room->takeLibrary (std::move (fetched));
        });
    });
}

void LoungeRoomComponent::takeLibrary (std::vector<LoungeTape> newTapes)
{
    tapes = std::move (newTapes);
    tapeList.updateContent();
    repaint();
}

void LoungeRoomComponent::saveUserName()
{
    {
        const auto settings = LoungePlacesFiles::openSettings (places.settingsFile);
        settings->setValue (LoungeIds::userNameSetting, nameEditor.getText());
    }

    worker.setUserName (nameEditor.getText());
    nameEditor.giveAwayKeyboardFocus();
}

//==============================================================================
void LoungeRoomComponent::uploadMixdown (const juce::String& mixdownPath, const juce::String& title)
{
    busy = true;
    repaint();

    int duration = 0;
    const auto file = juce::File::isAbsolutePath (mixdownPath) ? juce::File (mixdownPath) : juce::File();

    if (const auto reader = GuardedAudioReader::open (audioFormats, file))
        if (reader->sampleRate > 0.0)
            duration = (int) ((double) reader->lengthInSamples / reader->sampleRate);

    const auto name = nameEditor.getText();
    juce::Component::SafePointer<LoungeRoomComponent> room (this);

    worker.startUpload (mixdownPath, name.isEmpty() ? juce::String (LoungeIds::anonymousName) : name, title, duration,
                        [room] (bool success, juce::String message)
                        {
                            if (room != nullptr)
                                room->showUploadResult (success, message);
                        });
}

void LoungeRoomComponent::showUploadResult (bool success, const juce::String& message)
{
    busy = false;
    repaint();

    const auto options = juce::MessageBoxOptions()
                             .withIconType (success ? juce::MessageBoxIconType::InfoIcon : juce::MessageBoxIconType::WarningIcon)
                             .withTitle (success ? LoungeIds::uploadComplete : LoungeIds::uploadFailed)
                             .withMessage (message)
                             .withButton ("OK");

    juce::Component::SafePointer<LoungeRoomComponent> room (this);
    juce::AlertWindow::showAsync (options, [room, success] (int)
    {
        if (success && room != nullptr)
            room->refreshLibrary();
    });
}

//==============================================================================
void LoungeRoomComponent::loadBackgroundImage()
{
    juce::Component::SafePointer<LoungeRoomComponent> room (this);
    const auto server = LoungeLibrary::normaliseServerAddress (places.serverAddress);
    const auto file = places.pictureFile;

    launchJob ([room, server, file]
    {
        // A picture that does not decode whole (a download cut short, a damaged file) is
        // fetched again; the decoder only ever sees pictures checked in full.
        const auto decode = [] (const juce::File& f)
        {
            return f.getSize() >= minPictureBytes ? LoungePicture::decode (f, maxPictureBytes) : juce::Image();
        };

        auto image = decode (file);

        if (! image.isValid() && server.isNotEmpty() && ! file.isDirectory())
        {
            // Into a file beside it first: the picture's place only ever holds a whole picture.
            const auto partial = file.getSiblingFile (file.getFileName() + LoungeIds::downloadSuffix);
            LoungeFetch::Limits limits;
            limits.connectTimeoutMs = pictureConnectTimeoutMs;
            limits.totalTimeoutMs = pictureTotalTimeoutMs;
            limits.maxBytes = maxPictureBytes;
            const auto received = LoungeFetch::fetchToFile (juce::URL (server + LoungeIds::pictureRequest), partial, limits).ok();

            if (received)
            {
                image = decode (partial);

                if (image.isValid())
                    Platform::replaceFile (partial, file);
            }

            partial.deleteFile();
        }

        if (image.isValid())
            juce::MessageManager::callAsync ([room, image]
            {
                if (room != nullptr)
                {
                    room->background = image;
                    room->repaint();
                }
            });
    });
}
