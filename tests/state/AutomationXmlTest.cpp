#include "storage/AutomationXml.h"
#include "engine/ParameterIds.h"
#include "storage/StateXmlIds.h"
#include "storage/StateXmlValues.h"
#include "tests/state/StateTestSupport.h"

#include <cstring>

using namespace StateTestSupport;
namespace Ids = StateXmlIds;

namespace
{
struct Store
{
    juce::AudioBuffer<float> lanes;
    AutomationXml::Modes modes;

    explicit Store (int length = 0) : lanes (AutomationXml::numChannels, length)
    {
        lanes.clear();

        for (auto& mode : modes)
            mode = 0;
    }

    void apply (const juce::XmlElement& automation)
    {
        for (auto* track : automation.getChildIterator())
            AutomationXml::applyChannel (AutomationXml::decodeChannel (*track), lanes, modes);
    }

    void apply (const juce::String& text)
    {
        const auto xml = parse (text);
        apply (*xml);
    }
};

/** The text form of a few floats, as a lane's "data" holds them. */
juce::String encode (std::initializer_list<float> points)
{
    juce::MemoryBlock block;

    for (float point : points)
    {
        juce::uint32 bits;
        std::memcpy (&bits, &point, sizeof (bits));
        const auto littleEndian = juce::ByteOrder::swapIfBigEndian (bits);
        block.append (&littleEndian, sizeof (littleEndian));
    }

    return block.toBase64Encoding();
}
} // namespace

TEST (AutomationXml, WrittenChannelsAreTheReelsTracksThenTheAuxReturns)
{
    Store store (100);

    for (int tracks : {8, 16, 24})
    {
        SCOPED_TRACE (tracks);
        const auto automation = AutomationXml::create (store.lanes, store.modes, tracks);
        EXPECT_EQ (automation->getTagName(), Ids::AUTOMATION);
        EXPECT_EQ (automation->getNumAttributes(), 0);
        ASSERT_EQ (automation->getNumChildElements(), tracks + 2);

        int index = 0;

        for (auto* track : automation->getChildIterator())
        {
            const int expectedId = index < tracks ? index : 24 + (index - tracks);
            EXPECT_EQ (track->getTagName(), Ids::TRACK);
            EXPECT_EQ (attributeNames (*track), juce::StringArray (Ids::id, Ids::mode, Ids::data));
            EXPECT_EQ (track->getIntAttribute (Ids::id), expectedId);
            ++index;
        }
    }
}

TEST (AutomationXml, AFullLaneIsStoredWholeAsLittleEndianFloats)
{
    const auto unity = 0.75785828f;

    Store store (TavrelDelayAudioProcessor::automationPoints);
    store.lanes.clear();
    juce::FloatVectorOperations::fill (store.lanes.getWritePointer (2), unity, store.lanes.getNumSamples());
    store.lanes.setSample (2, 359999, 0.25f);
    store.modes[2] = TavrelDelayAudioProcessor::automationLatch;

    const auto automation = AutomationXml::create (store.lanes, store.modes, 8);
    const auto* lane = automation->getChildElement (2);
    const auto text = lane->getStringAttribute (Ids::data);

    EXPECT_EQ (lane->getStringAttribute (Ids::mode), "3");
    EXPECT_TRUE (text.startsWith ("1440000."));
    EXPECT_EQ (text.length(), 8 + 1920000);

    juce::MemoryBlock bytes;
    ASSERT_TRUE (bytes.fromBase64Encoding (text));
    ASSERT_EQ (bytes.getSize(), 1440000u);
    const auto* raw = static_cast<const juce::uint8*> (bytes.getData());
    const auto first = juce::ByteOrder::littleEndianInt (raw);
    const auto last = juce::ByteOrder::littleEndianInt (raw + 4 * 359999);
    float firstPoint, lastPoint;
    std::memcpy (&firstPoint, &first, 4);
    std::memcpy (&lastPoint, &last, 4);
    EXPECT_EQ (firstPoint, unity);
    EXPECT_EQ (lastPoint, 0.25f);

    // And back, bit for bit.
    Store restored (TavrelDelayAudioProcessor::automationPoints);
    restored.apply (*throughText (*automation));
    EXPECT_EQ (restored.modes[2], TavrelDelayAudioProcessor::automationLatch);
    EXPECT_EQ (std::memcmp (restored.lanes.getReadPointer (2), store.lanes.getReadPointer (2), 1440000), 0);
}

TEST (AutomationXml, AnEmptyStoreWritesNoData)
{
    Store store (0);
    store.modes[1] = 1;
    const auto automation = AutomationXml::create (store.lanes, store.modes, 8);

    for (auto* track : automation->getChildIterator())
        EXPECT_EQ (attributeNames (*track), juce::StringArray (Ids::id, Ids::mode));

    EXPECT_EQ (automation->getChildElement (1)->getStringAttribute (Ids::mode), "1");
}

TEST (AutomationXml, ChannelIdsOutsideTheConsoleAreSkipped)
{
    Store store (4);
    store.apply ("<AUTOMATION><TRACK id=\"26\" mode=\"1\"/><TRACK id=\"-1\" mode=\"2\"/><TRACK mode=\"4\"/>"
                 "<OTHER id=\"25\" mode=\"3\"/><TRACK id=\"99999999999\" mode=\"1\"/></AUTOMATION>");

    EXPECT_EQ (store.modes[0], 4) << "no id is channel 0";
    EXPECT_EQ (store.modes[25], 3) << "any tag is read";

    for (int channel = 1; channel < 25; ++channel)
        EXPECT_EQ (store.modes[(size_t)channel], 0) << channel;
}

TEST (AutomationXml, ShortDataReplacesOnlyTheFirstPoints)
{
    Store store (5);
    juce::FloatVectorOperations::fill (store.lanes.getWritePointer (4), 0.9f, 5);

    store.apply ("<AUTOMATION><TRACK id=\"4\" data=\"" + encode ({0.1f, 0.2f}) + "\"/></AUTOMATION>");

    const float expected[] = {0.1f, 0.2f, 0.9f, 0.9f, 0.9f};

    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (store.lanes.getSample (4, i), expected[i]) << i;

    // Data longer than the lane fills the lane and stops.
    store.apply ("<AUTOMATION><TRACK id=\"4\" data=\"" + encode ({0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}) +
                 "\"/></AUTOMATION>");
    EXPECT_EQ (store.lanes.getSample (4, 4), 0.5f);
}

TEST (AutomationXml, DamagedDataLeavesTheLaneAndNeverAllocatesWildly)
{
    const juce::String damaged[] = {
        "no separator here",
        ".ABCD",                   // no count
        "-4.ABCDEF",               // negative count
        "4000000000.ABCDEF",       // far more than the text carries
        "99999999999999999999.AB", // beyond any integer
        "+8.ABCDEFGHIJK",          // not plain digits
        "12.ABCD",                 // a count the characters cannot fill
    };

    for (const auto& text : damaged)
    {
        SCOPED_TRACE (text);
        Store store (3);
        juce::FloatVectorOperations::fill (store.lanes.getWritePointer (1), 0.7f, 3);

        store.apply ("<AUTOMATION><TRACK id=\"1\" mode=\"2\" data=\"" + text + "\"/></AUTOMATION>");

        EXPECT_EQ (store.modes[1], 2) << "the mode is still read";

        for (int i = 0; i < 3; ++i)
            EXPECT_EQ (store.lanes.getSample (1, i), 0.7f);
    }
}

TEST (AutomationXml, ModesAndPointsAreHeldToWhatAFaderCanTake)
{
    Store store (4);
    store.apply (
        "<AUTOMATION><TRACK id=\"0\" mode=\"5\"/><TRACK id=\"1\" mode=\"-1\"/><TRACK id=\"2\" mode=\"4\" data=\"" +
        encode ({std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 7.0f, -2.0f}) +
        "\"/></AUTOMATION>");

    EXPECT_EQ (store.modes[0], 0);
    EXPECT_EQ (store.modes[1], 0);
    EXPECT_EQ (store.modes[2], 4);

    const float expected[] = {0.0f, 0.0f, 1.0f, 0.0f};

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (store.lanes.getSample (2, i), expected[i]) << i;
}

TEST (AutomationXml, DecodingAcceptsEveryLengthJuceWrites)
{
    for (size_t size = 0; size < 40; ++size)
    {
        juce::MemoryBlock block (size);

        for (size_t i = 0; i < size; ++i)
            static_cast<char*> (block.getData())[i] = (char)(i * 37 + 11);

        juce::MemoryBlock decoded;
        ASSERT_TRUE (StateXmlValues::decodeMemoryBlock (block.toBase64Encoding(), decoded)) << size;
        EXPECT_EQ (decoded, block) << size;
    }
}
