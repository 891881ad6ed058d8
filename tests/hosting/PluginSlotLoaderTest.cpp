#include "rack/PluginSlotLoader.h"

#include <gtest/gtest.h>

// Channel-layout negotiation per kind of slot, on processors whose accepted layouts the test
// chooses (the test plug-ins cover only a few of the shapes plug-ins come in).

namespace
{
using SlotKind = PluginSlotLoader::SlotKind;
using Set = juce::AudioChannelSet;

struct InOut
{
    Set in, out;
};

/** A plug-in that accepts exactly the main-bus layouts it is given, and notes what the host
    does to it. */
class LayoutProcessor : public juce::AudioPluginInstance
{
public:
    using juce::AudioProcessor::BusesProperties;

    LayoutProcessor (const BusesProperties& buses, std::vector<InOut> acceptedLayouts)
        : juce::AudioPluginInstance (buses), accepted (std::move (acceptedLayouts))
    {
    }

    void fillInPluginDescription (juce::PluginDescription&) const override {}

    bool isBusesLayoutSupported (const BusesLayout& layout) const override
    {
        for (const auto& candidate : accepted)
            if (layout.getMainInputChannelSet() == candidate.in && layout.getMainOutputChannelSet() == candidate.out)
                return true;

        return false;
    }

    const juce::String getName() const override { return "Layouts"; }
    void prepareToPlay (double rate, int block) override
    {
        calls.add ("prepare " + juce::String (rate) + " " + juce::String (block) + " " + layout());
    }

    void releaseResources() override { calls.add ("release " + layout()); }
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int size) override
    {
        calls.add ("state " + juce::String (size) + " " + layout());
    }

    juce::String layout() const
    {
        return getTotalNumInputChannels() == 2 && getTotalNumOutputChannels() == 2 ? "stereo" : "other";
    }

    juce::StringArray calls;

private:
    std::vector<InOut> accepted;
};

juce::String describe (const Set& set)
{
    return set.isDisabled() ? juce::String ("none") : set.getDescription();
}
} // namespace

TEST (PluginSlotLoader, EachKindOfSlotAsksForItsLayoutsInOrder)
{
    const auto mono = Set::mono();
    const auto stereo = Set::stereo();
    const auto surround = Set::create5point1();

    const auto oneInOneOut = [] (Set in, Set out)
    { return LayoutProcessor::BusesProperties().withInput ("In", in).withOutput ("Out", out); };

    struct Case
    {
        const char* what;
        LayoutProcessor::BusesProperties buses;
        std::vector<InOut> accepted;
        SlotKind kind;
        bool applied;
        InOut expected;
    };

    const std::vector<InOut> everything{{stereo, stereo}, {mono, stereo}, {mono, mono}};
    const std::vector<InOut> monoInOnly{{mono, stereo}, {mono, mono}};

    const Case cases[] = {
        {"record path, stereo wanted first",
         oneInOneOut (mono, mono),
         everything,
         SlotKind::inputInsert,
         true,
         {stereo, stereo}},
        {"record path, mono in and stereo out",
         oneInOneOut (mono, mono),
         monoInOnly,
         SlotKind::inputInsert,
         true,
         {mono, stereo}},
        {"record path, mono only",
         oneInOneOut (stereo, stereo),
         {{mono, mono}},
         SlotKind::inputInsert,
         true,
         {mono, mono}},
        {"track chain, stereo wanted first",
         oneInOneOut (mono, mono),
         everything,
         SlotKind::trackInsert,
         true,
         {stereo, stereo}},
        {"track chain skips mono in and stereo out",
         oneInOneOut (stereo, stereo),
         monoInOnly,
         SlotKind::trackInsert,
         true,
         {mono, mono}},
        {"track chain, nothing fits",
         oneInOneOut (mono, stereo),
         {{mono, stereo}},
         SlotKind::trackInsert,
         false,
         {mono, stereo}},
        {"master chain, stereo", oneInOneOut (mono, mono), everything, SlotKind::masterInsert, true, {stereo, stereo}},
        {"master chain, mono only keeps its own",
         oneInOneOut (mono, mono),
         monoInOnly,
         SlotKind::masterInsert,
         false,
         {mono, mono}},
        {"aux return, stereo", oneInOneOut (mono, mono), everything, SlotKind::auxReturn, true, {stereo, stereo}},
        {"surround only keeps its own",
         oneInOneOut (surround, surround),
         {{surround, surround}},
         SlotKind::inputInsert,
         false,
         {surround, surround}},
        {"an instrument is never asked",
         oneInOneOut (mono, mono),
         everything,
         SlotKind::instrument,
         false,
         {mono, mono}},
        {"a side-chain input keeps its own",
         oneInOneOut (stereo, stereo).withInput ("Side", stereo),
         everything,
         SlotKind::inputInsert,
         false,
         {stereo, stereo}},
        {"no input bus keeps its own",
         LayoutProcessor::BusesProperties().withOutput ("Out", Set::quadraphonic()),
         everything,
         SlotKind::inputInsert,
         false,
         {Set::disabled(), Set::quadraphonic()}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        LayoutProcessor processor (c.buses, c.accepted);

        EXPECT_EQ (PluginSlotLoader::negotiateBusLayout (processor, c.kind), c.applied);
        EXPECT_EQ (describe (processor.getBusesLayout().getMainInputChannelSet()), describe (c.expected.in));
        EXPECT_EQ (describe (processor.getBusesLayout().getMainOutputChannelSet()), describe (c.expected.out));
    }
}

TEST (PluginSlotLoader, AnInstanceGetsItsLayoutAndStateBeforeItIsPrepared)
{
    struct : juce::AudioPlayHead
    {
        juce::Optional<PositionInfo> getPosition() const override { return {}; }
    } playHead;

    const auto mono = Set::mono();
    const auto buses = LayoutProcessor::BusesProperties().withInput ("In", mono).withOutput ("Out", mono);
    const std::vector<InOut> everything{{Set::stereo(), Set::stereo()}, {mono, mono}};

    {
        LayoutProcessor instance (buses, everything);
        const char bytes[] = {1, 2, 3};
        PluginSlotLoader::prepareForSlot (instance, SlotKind::masterInsert, &playHead,
                                          juce::MemoryBlock (bytes, sizeof (bytes)), 48000.0, 128);

        EXPECT_EQ (instance.getPlayHead(), &playHead);
        EXPECT_EQ (instance.calls, juce::StringArray ({"release other", "state 3 stereo", "prepare 48000 128 stereo"}));
    }

    {
        // No state bytes: the plug-in is not given an empty state.
        LayoutProcessor instance (buses, everything);
        PluginSlotLoader::prepareForSlot (instance, SlotKind::instrument, &playHead, {}, 44100.0, 512);
        EXPECT_EQ (instance.calls, juce::StringArray ({"release other", "prepare 44100 512 other"}));
    }
}
