#pragma once

#include "lounge/LoungeRoomComponent.h"

#include <memory>

/** The one way to build a sharing room: nothing in the program opens it, so only tests do,
    and they reach its state through here. */
class LoungeRoomTestAccess
{
public:
    static std::unique_ptr<LoungeRoomComponent> create (TavrelDelayAudioProcessor& processor, LoungePlaces places)
    {
        return std::unique_ptr<LoungeRoomComponent> (new LoungeRoomComponent (processor, std::move (places)));
    }

    /** Places inside folder, with the server given (none by default). */
    static LoungePlaces placesIn (const juce::File& folder, const juce::String& server = {})
    {
        LoungePlaces places;
        places.serverAddress = server;
        places.settingsFile = folder.getChildFile ("Velmora_Lounge.settings");
        places.cacheFolder = folder.getChildFile ("LoungeCache");
        places.pictureFile = folder.getChildFile ("lounge_bgv2.png");
        return places;
    }

    explicit LoungeRoomTestAccess (LoungeRoomComponent& roomToUse) : room (roomToUse) {}

    void tick() { room.timerCallback(); }
    void stopTimer() { room.stopTimer(); }

    bool isPlaying() const { return room.playing; }
    bool isBusy() const { return room.busy; }
    double tapeLength() const { return room.tapeLengthSeconds; }
    double position() const { return room.currentPosition(); }
    double preparedRate() const { return room.preparedRate; }
    const std::vector<LoungeTape>& tapes() const { return room.tapes; }
    const juce::Image& background() const { return room.background; }
    juce::AudioTransportSource& player() { return room.player; }
    LoungeWorkerThread& worker() { return room.worker; }
    juce::ListBox& tapeList() { return room.tapeList; }
    juce::TextEditor& nameEditor() { return room.nameEditor; }
    juce::TextButton& exitButton() { return room.exitButton; }
    static void resetHeartbeatCounter() { LoungeRoomComponent::heartbeatTickCounter = 0; }

    /** A click on a row of the tape list, as the list box hands it to its model. */
    void clickRow (int row)
    {
        const auto now = juce::Time::getCurrentTime();
        const juce::MouseEvent click (juce::Desktop::getInstance().getMainMouseSource(), {}, {}, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                      &room.tapeList, &room.tapeList, now, {}, now, 1, false);
        static_cast<juce::ListBoxModel&> (room).listBoxItemClicked (row, click);
    }

    juce::TextButton& button (const juce::String& componentId)
    {
        for (auto* b : { &room.playButton, &room.stopButton, &room.rewButton, &room.ffButton, &room.rtzButton })
            if (b->getComponentID() == componentId)
                return *b;

        return room.playButton;
    }

private:
    LoungeRoomComponent& room;
};
