#include "engine/KeyboardNoteQueue.h"

#include <gtest/gtest.h>

namespace
{
std::vector<juce::MidiMessage> drain (KeyboardNoteQueue& queue)
{
    juce::MidiBuffer buffer;
    queue.drainInto (buffer);
    std::vector<juce::MidiMessage> messages;

    for (const auto metadata : buffer)
    {
        EXPECT_EQ (metadata.samplePosition, 0);
        messages.push_back (metadata.getMessage());
    }

    return messages;
}

TEST (KeyboardNoteQueue, CarriesTheKeyboardsNotesInPlayingOrder)
{
    juce::MidiKeyboardState state;
    KeyboardNoteQueue queue (state);

    state.noteOn (1, 60, 1.0f);
    state.noteOn (3, 64, 0.5f);
    state.noteOff (1, 60, 0.0f);
    const auto messages = drain (queue);

    ASSERT_EQ (messages.size(), 3u);
    EXPECT_TRUE (messages[0].isNoteOn() && messages[0].getNoteNumber() == 60 && messages[0].getChannel() == 1);
    EXPECT_EQ (messages[0].getVelocity(), 127);
    EXPECT_TRUE (messages[1].isNoteOn() && messages[1].getChannel() == 3);
    EXPECT_EQ (messages[1].getVelocity(), 64);
    EXPECT_TRUE (messages[2].isNoteOff() && messages[2].getNoteNumber() == 60);
    EXPECT_TRUE (drain (queue).empty());
}

TEST (KeyboardNoteQueue, ALateNoteOnIsDroppedButItsNoteOffArrives)
{
    juce::MidiKeyboardState state;
    KeyboardNoteQueue queue (state);

    state.noteOn (1, 60, 1.0f);
    juce::Thread::sleep (600); // as if processing had been suspended meanwhile
    state.noteOff (1, 60, 0.0f);
    const auto messages = drain (queue);

    ASSERT_EQ (messages.size(), 1u);
    EXPECT_TRUE (messages[0].isNoteOff());
}

TEST (KeyboardNoteQueue, AFullQueueDropsNotesWithoutWaiting)
{
    juce::MidiKeyboardState state;
    KeyboardNoteQueue queue (state);

    for (int i = 0; i < 5000; ++i)
    {
        state.noteOn (1, i % 128, 1.0f);
        state.noteOff (1, i % 128, 0.0f);
    }

    // A block takes a bounded number (its buffer is reserved for them); the rest wait. The
    // ring keeps 4095 notes, half of them note-offs; a note-on may have grown too old on a
    // busy machine, a note-off is always delivered.
    size_t total = 0, noteOffs = 0;

    for (auto messages = drain (queue); ! messages.empty(); messages = drain (queue))
    {
        EXPECT_LE (messages.size(), (size_t)KeyboardNoteQueue::maxNotesPerBlock);
        total += messages.size();

        for (const auto& message : messages)
            noteOffs += message.isNoteOff() ? 1 : 0;
    }

    EXPECT_EQ (noteOffs, 2047u);
    EXPECT_LT (total, 4096u);
}
} // namespace
