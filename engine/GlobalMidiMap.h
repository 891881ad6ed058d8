#pragma once

#include "engine/MidiInstrumentSettings.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_events/juce_events.h>

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

/** The audio thread's side of the application-wide MIDI map, and MIDI learn.

    The message thread keeps the editable map (controller or note key -> target identifier,
    one key may drive several targets) and publishes it here as an immutable table with
    every target already resolved (parameter object, deck command, track arm, instrument
    setting). The audio thread reads the newest table without waiting; a replaced table
    is freed by the message thread once no reader can still hold it.

    Learn: the message thread arms it with a target; the first key that arrives on the
    audio thread disarms it and is queued, without a lock or an allocation, for the message
    thread, which binds it and writes the file. A timer on the message thread, running while
    learn is armed or keys wait, collects them: posting a message from the audio thread would
    lock and allocate inside the message queue. Keys are 0..127 for a controller and
    128 + note for a note. */
class GlobalMidiMap : private juce::Timer
{
    struct Table;

public:
    using Bindings = std::multimap<int, juce::String>;

    static constexpr int numKeys = 256;
    static constexpr int firstNoteKey = 128;
    static constexpr int modulationWheelKey = 1;
    static constexpr int sustainPedalKey = 64;

    // The file and its XML names.
    static constexpr const char* fileName = "midi_map.xml";
    static constexpr const char* rootTag = "GLOBAL_MIDI_MAP";
    static constexpr const char* bindingTag = "BINDING";
    static constexpr const char* keyAttribute = "cc";
    static constexpr const char* idAttribute = "id";

    // Deck command identifiers.
    static constexpr const char* playCommand = "play_button";
    static constexpr const char* stopCommand = "stop_button";
    static constexpr const char* recordCommand = "rec_button";
    static constexpr const char* rewindCommand = "rew_button";
    static constexpr const char* fastForwardCommand = "ff_button";
    static constexpr const char* returnToZeroCommand = "rtz_button";
    static constexpr const char* setZeroCommand = "zero_button";
    static constexpr const char* loopClearCommand = "loop_clear";
    static constexpr const char* loopInCommand = "loop_in";
    static constexpr const char* loopOutCommand = "loop_out";
    static constexpr const char* loopToggleCommand = "loop_toggle";
    static constexpr const char* loopCutCommand = "loop_cut";
    static constexpr const char* clickToggleCommand = "click_toggle";
    static constexpr const char* clearDefectsCommand = "clear_defects";
    static constexpr const char* trackArmPrefix = "ARM_";
    static constexpr int numArmableTracks = 8;

    enum class Command
    {
        none,
        play,
        stop,
        record,
        rewind,
        fastForward,
        returnToZero,
        setZero,
        loopClear,
        loopIn,
        loopOut,
        loopToggle,
        loopCut,
        clickToggle,
        clearDefects
    };

    enum class Kind
    {
        nothing,    // names nothing: does nothing
        instrument, // "INST_" + type + "_" + setting name
        parameter,  // a parameter identifier
        command,    // a deck command, on values of 64 and above
        trackArm    // "ARM_" + track 1..8, toggled on values of 64 and above
    };

    /** A bound identifier, resolved once when the map is published. */
    struct Target
    {
        Kind kind = Kind::nothing;
        juce::AudioProcessorParameter* parameter = nullptr;
        Command command = Command::none;
        int number = 0; // the track (1-based) of a track arm, the instrument type of an instrument target
        MidiInstrumentSettings::Setting setting;
    };

    using ParameterFinder = std::function<juce::AudioProcessorParameter*(const juce::String& id)>;

    /** Called on the message thread for each key that learn took: the key and the
        identifier learn was armed with (empty if it cannot be told any more). */
    using LearnHandler = std::function<void (int key, const juce::String& targetId)>;

    /** armedFlag mirrors whether learn is armed, for the user interface. */
    GlobalMidiMap (std::atomic<bool>& armedFlag, LearnHandler handler);
    ~GlobalMidiMap() override;

    //==============================================================================
    // Message thread.

    /** Resolves and publishes a copy of the bindings for the audio thread. */
    void publish (const Bindings& bindings, const ParameterFinder& findParameter);

    /** What an identifier stands for, in the order the dispatch tries them: instrument
        setting, parameter, deck command or track arm, else nothing. */
    static Target resolve (const juce::String& id, const ParameterFinder& findParameter);

    /** Arms learn for the identifier, replacing an armed one. */
    void arm (const juce::String& targetId);

    /** Cancels learn. */
    void cancel();

    /** Hands the keys learn took to the handler now (otherwise the message loop does it). */
    void handleCapturedKeys();

    /** Whether a key of the modulation wheel or sustain pedal: these cancel learn and are never bound. */
    static bool isNeverBound (int key) noexcept { return key == modulationWheelKey || key == sustainPedalKey; }

    // The file: root "GLOBAL_MIDI_MAP", one "BINDING" per entry in key order with "cc" and "id".
    static std::unique_ptr<juce::XmlElement> createXml (const Bindings& bindings);

    /** The bindings of a "GLOBAL_MIDI_MAP" element (tag compared ignoring case); false,
        leaving bindings alone, for any other element. Entries without "id" are skipped. */
    static bool readXml (const juce::XmlElement& xml, Bindings& bindings);

    /** Writes the file safely (a temporary file moved over the old one), creating its folder. */
    static bool writeFile (const Bindings& bindings, const juce::File& file);

    /** Reads the file; false, leaving bindings alone, when it is missing, a folder,
        unreadable or of another kind. */
    static bool readFile (const juce::File& file, Bindings& bindings);

    //==============================================================================
    // Audio thread.

    /** The published table, held while the reader lives. Allocation-free and lock-free. */
    class ScopedReader
    {
    public:
        explicit ScopedReader (GlobalMidiMap& owner) noexcept;
        ~ScopedReader();

        /** The targets bound to a key, in binding order; empty for a key outside 0..255. */
        const Target* begin (int key) const noexcept;
        const Target* end (int key) const noexcept;

    private:
        GlobalMidiMap& map;
        const Table* table;

        JUCE_DECLARE_NON_COPYABLE (ScopedReader)
    };

    /** Whether learn waits for a key. Any thread. */
    bool isArmed() const noexcept { return armedSerial.load() != 0; }

    /** Learn takes this key when armed: disarms, queues the key for the message thread and
        returns true; returns false when learn was not armed. Allocation-free and lock-free;
        one thread at a time (the audio thread). */
    bool captureLearn (int key) noexcept;

private:
    struct Capture
    {
        int key = 0;
        juce::uint32 serial = 0;
    };

    void timerCallback() override;

    /** How often the message thread looks for keys while learn is armed. */
    static constexpr int pollMilliseconds = 10;
    void freeRetiredTables();
    juce::String findArmedTarget (juce::uint32 serial) const;

    std::atomic<bool>& learnArmedFlag;
    LearnHandler learnHandler;

    // Tables: the newest is current; replaced ones wait in retired until no reader runs.
    std::unique_ptr<Table> currentTable;
    std::atomic<const Table*> publishedTable{nullptr};
    std::atomic<int> activeReaders{0};
    std::vector<std::unique_ptr<Table>> retiredTables;

    // Learn: the armed target's serial number (0 = not armed) and the identifiers of the
    // last few serials, so that a key taken just before a re-arm still finds its target.
    std::atomic<juce::uint32> armedSerial{0};
    juce::uint32 lastSerial = 0;
    std::array<std::pair<juce::uint32, juce::String>, 8> recentTargets;
    size_t nextRecentTarget = 0;

    static constexpr int captureCapacity = 32;
    juce::AbstractFifo captureFifo{captureCapacity};
    std::array<Capture, captureCapacity> captures;

    JUCE_DECLARE_NON_COPYABLE (GlobalMidiMap)
};
