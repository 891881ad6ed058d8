#include "engine/KeyboardNoteQueue.h"

KeyboardNoteQueue::KeyboardNoteQueue (juce::MidiKeyboardState& stateToListenTo) : state (stateToListenTo)
{
    state.addListener (this);
}

KeyboardNoteQueue::~KeyboardNoteQueue()
{
    state.removeListener (this);
}

void KeyboardNoteQueue::handleNoteOn (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity)
{
    // The same rounding as juce::MidiMessage::noteOn with a float velocity; a note-on never
    // carries velocity 0, which would read as a note-off.
    const auto v = juce::jlimit (1, 127, (int)(velocity * 127.0f + 0.5f));
    push ((juce::uint8) (0x90 | ((juce::jlimit (1, 16, midiChannel) - 1) & 0x0f)), midiNoteNumber, v);
}

void KeyboardNoteQueue::handleNoteOff (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity)
{
    const auto v = juce::jlimit (0, 127, (int)(velocity * 127.0f + 0.5f));
    push ((juce::uint8) (0x80 | ((juce::jlimit (1, 16, midiChannel) - 1) & 0x0f)), midiNoteNumber, v);
}

void KeyboardNoteQueue::push (juce::uint8 status, int note, int velocity) noexcept
{
    const juce::SpinLock::ScopedLockType lock (writerLock);
    const auto scope = fifo.write (1);

    if (scope.blockSize1 > 0)
    {
        auto& slot = notes[(size_t)scope.startIndex1];
        slot.time = juce::Time::getMillisecondCounter();
        slot.status = status;
        slot.note = (juce::uint8) (note & 0x7f);
        slot.velocity = (juce::uint8)velocity;
    }
}

void KeyboardNoteQueue::drainInto (juce::MidiBuffer& buffer) noexcept
{
    const auto ready = juce::jmin (fifo.getNumReady(), maxNotesPerBlock);

    if (ready <= 0)
        return;

    const auto scope = fifo.read (ready);
    const auto now = juce::Time::getMillisecondCounter();

    const auto add = [&] (int start, int count)
    {
        for (int i = start; i < start + count; ++i)
        {
            const auto& n = notes[(size_t)i];

            if ((n.status & 0xf0) == 0x90 && now - n.time > maxNoteOnDelayMs)
                continue;

            const juce::uint8 bytes[3] = {n.status, n.note, n.velocity};
            buffer.addEvent (bytes, 3, 0);
        }
    };

    add (scope.startIndex1, scope.blockSize1);
    add (scope.startIndex2, scope.blockSize2);
}
