#pragma once

#include "lounge/LoungePlaces.h"
#include "lounge/LoungeTape.h"
#include "lounge/LoungeTransportLook.h"
#include "lounge/LoungeWorkerThread.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>
#include <vector>

class TavrelDelayAudioProcessor;
class LoungeRoomTestAccess;

/** The sharing room: a tape machine drawn in code whose reels turn while a shared tape
    plays, the list of shared tapes, the users present, the user's room name and the
    transport keys. It fetches the library and the room picture in the background, plays a
    clicked tape from its download cache, mixes the player into the studio's output
    (mixIntoOutput, audio thread), announces the user every 167th timer tick and uploads
    mixdowns the editor hands over.

    Nothing in the program opens the room: its constructor is private and only the tests'
    access class builds one. Whoever gives the processor a pointer to a room must clear it
    before the room goes; the destructor clears it too, under the audio lock. */
class LoungeRoomComponent : public juce::Component,
                            private juce::Timer,
                            private juce::ListBoxModel
{
public:
    ~LoungeRoomComponent() override;

    static constexpr float outputGain = 0.8f;
    static constexpr int timerIntervalMs = 30;     // so a heartbeat every 5 s
    static constexpr int heartbeatTicks = 167;
    static constexpr int readAheadSamples = 131072;
    static constexpr int minPreparedBlock = 2048;
    static constexpr juce::int64 minCachedBytes = 2001;    // a smaller cache file is fetched again
    static constexpr juce::int64 minDownloadBytes = 101;   // a smaller download is refused
    static constexpr juce::int64 minPictureBytes = 1001;

    // Network limits of the tape download and the picture.
    static constexpr int tapeConnectTimeoutMs = 15000;
    static constexpr int tapeTotalTimeoutMs = 10 * 60 * 1000;
    static constexpr juce::int64 maxTapeBytes = juce::int64 (256) << 20;
    static constexpr int pictureConnectTimeoutMs = 30000;
    static constexpr int pictureTotalTimeoutMs = 60 * 1000;
    static constexpr juce::int64 maxPictureBytes = 16 << 20;

    /** Uploads a mixdown under the room name (or "Anonymous") with its length in seconds. */
    void uploadMixdown (const juce::String& mixdownPath, const juce::String& title);

    /** Fetches the library in the background and shows it when it arrives. */
    void refreshLibrary();

    /** Stores the name field in the room's settings and tells the worker. */
    void saveUserName();

    /** Fetches and shows the room picture in the background. */
    void loadBackgroundImage();

    /** Plays the tape at address: from the cache when it holds it, else after a download. */
    void playTape (const juce::String& address);

    /** Loads a file into the player and starts it; an unreadable file leaves it stopped. */
    void playFile (const juce::File& file);

    /** Adds the player into the output at outputGain. Audio thread: no locks of the room,
        no messages; allocates only when the device's rate changes or a block is longer than
        any before (the room is prepared for the device it starts on). */
    void mixIntoOutput (juce::AudioBuffer<float>& output) noexcept;

    /** "MM:SS" (three digits of minutes from 100 minutes on). */
    static juce::String formatTime (double seconds);

    /** Background jobs (library, picture, downloads) of all rooms still running. Each ends
        within its network limits; a program shutting down waits for none left. */
    static int getRunningJobs() noexcept { return runningJobs.load(); }

    /** The address of a tape's file on the room's server. */
    juce::String addressOf (const LoungeTape& tape) const;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    friend class LoungeRoomTestAccess;

    LoungeRoomComponent (TavrelDelayAudioProcessor& processor, LoungePlaces places);

    void timerCallback() override;
    int getNumRows() override;
    void paintListBoxItem (int row, juce::Graphics&, int width, int height, bool selected) override;
    void listBoxItemClicked (int row, const juce::MouseEvent&) override;

    void showUploadResult (bool success, const juce::String& message);
    void takeLibrary (std::vector<LoungeTape> newTapes);
    void finishDownload (bool accepted, const juce::File& cacheFile);
    void endOfStream();

    void pressPlay();
    void pressStop();
    void moveBy (double seconds);
    double currentPosition() const;
    double knownLength() const;
    void setPosition (double seconds);

    // Drawing, in paint order.
    struct Design;
    void drawHeadBlock (juce::Graphics&, const Design&) const;
    void drawTapePath (juce::Graphics&, const Design&) const;
    void drawTensionArm (juce::Graphics&, juce::Point<float> pivot, float angle, float s) const;
    void drawReel (juce::Graphics&, juce::Point<float> centre, float packRadius, float s) const;
    static void drawScrew (juce::Graphics&, float x, float y, float size);

    juce::TextButton exitButton;
    juce::TextEditor nameEditor;
    juce::TextButton playButton, stopButton, rewButton, ffButton, rtzButton;
    TavrelDelayAudioProcessor& processor;
    LoungeTransportLook customLook;
    LoungeWorkerThread worker;
    juce::ListBox tapeList;
    juce::AudioFormatManager audioFormats;
    juce::TimeSliceThread readAheadThread { "Lounge Audio Thread" };
    std::unique_ptr<juce::AudioFormatReaderSource> readerSource;
    juce::AudioTransportSource player;
    juce::AudioBuffer<float> mixBuffer;
    std::vector<LoungeTape> tapes;
    double preparedRate = 0.0;
    int preparedBlockSize = 0;
    bool playing = false;
    bool busy = false;
    double tapeLengthSeconds = 0.0;
    float reelSpeed = 0.0f;
    float armSwing = 0.0f;
    float reelAngle = 0.0f;
    juce::Image background;

    const LoungePlaces places;
    static int heartbeatTickCounter;
    static std::atomic<int> runningJobs;

    /** Runs job on its own thread, counted in runningJobs. */
    static void launchJob (std::function<void()> job);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LoungeRoomComponent)
};
