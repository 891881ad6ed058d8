#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

/** Carries the notes played on the on-screen keyboards, the drum pads and the computer keyboard
    (all of which play into the processor's juce::MidiKeyboardState) to the audio thread without a
    lock. The keyboard state's own hand-over, processNextMidiBuffer, holds a blocking lock that the
    message thread takes for every note; the audio thread must never wait on it. So this queue
    listens to the keyboard state and keeps each note in a single-reader ring that the block
    callback drains.

    Notes arrive on whatever thread plays them (the message thread in practice); writers are
    serialised among themselves, the reader never waits. When the ring is full a note is
    dropped (4096 notes between two blocks is more than any hand can play). A note-on that
    waited longer than half a second (processing was suspended meanwhile) is dropped rather
    than played late; note-offs are always delivered, so that nothing hangs. */
class KeyboardNoteQueue : private juce::MidiKeyboardState::Listener
{
public:
    explicit KeyboardNoteQueue (juce::MidiKeyboardState& stateToListenTo);
    ~KeyboardNoteQueue() override;

    /** At most this many notes are handed over a block (the rest wait for the next block), so
        that a block's buffer, reserved for them, never grows. */
    static constexpr int maxNotesPerBlock = 256;

    /** Audio thread: moves the queued notes, up to maxNotesPerBlock, into the buffer at sample
        0, in playing order. */
    void drainInto (juce::MidiBuffer& buffer) noexcept;

private:
    struct Note
    {
        juce::uint32 time = 0; // juce::Time::getMillisecondCounter when played
        juce::uint8 status = 0, note = 0, velocity = 0;
    };

    static constexpr juce::uint32 maxNoteOnDelayMs = 500;

    void handleNoteOn (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity) override;
    void handleNoteOff (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity) override;
    void push (juce::uint8 status, int note, int velocity) noexcept;

    juce::MidiKeyboardState& state;
    static constexpr int capacity = 4096;
    juce::AbstractFifo fifo{capacity};
    std::array<Note, capacity> notes;
    juce::SpinLock writerLock;

    JUCE_DECLARE_NON_COPYABLE (KeyboardNoteQueue)
};
