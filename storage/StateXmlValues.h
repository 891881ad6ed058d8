#pragma once

#include <juce_core/juce_core.h>

#include <limits>

/** Reading and writing the values of the stored state. Integers and flags are decimal text,
    reals are single-precision values written in JUCE's double text (the shortest text that reads
    back as the same value), so they survive a save bit for bit.

    Every reader here takes a damaged or hostile file in its stride: a value that is not a finite
    number takes the fallback, a range given is enforced, so nothing read can index out of bounds
    or feed infinities into the audio. */
namespace StateXmlValues
{
/** The first child with this tag, compared without regard to case (older reels were not
    consistent); nullptr when there is none. */
const juce::XmlElement* findChild (const juce::XmlElement& parent, const juce::String& tag) noexcept;

/** As findChild, for a child the caller takes out of a tree it owns. */
juce::XmlElement* findChild (juce::XmlElement& parent, const juce::String& tag) noexcept;

/** The attribute as a single-precision real; fallback when missing or not finite, then limited
    to low..high. */
float readReal (const juce::XmlElement& xml, const juce::String& name, float fallback,
                float low = std::numeric_limits<float>::lowest(), float high = std::numeric_limits<float>::max());

/** The attribute as a decimal integer limited to low..high; fallback when missing. */
int readClampedInt (const juce::XmlElement& xml, const juce::String& name, int fallback, int low, int high);

/** The attribute as a decimal integer, or fallback when missing or outside low..high: for codes
    where a nearby value would mean something else. */
int readCodeOrFallback (const juce::XmlElement& xml, const juce::String& name, int fallback, int low, int high);

/** Sets a real attribute from a single-precision value. */
void writeReal (juce::XmlElement& xml, const juce::String& name, float value);

/** Decodes JUCE's memory-block text ("byte count", ".", six bits a character). Unlike
    juce::MemoryBlock::fromBase64Encoding it refuses a byte count that is not plain digits or is
    larger than the characters can carry, so a damaged count can neither allocate gigabytes nor
    wrap around. Returns false (and leaves the block empty) for text that does not decode. */
bool decodeMemoryBlock (const juce::String& text, juce::MemoryBlock& result);

//==============================================================================
/** One stored setting of a settings record (an engine or an insert slot): its attribute name,
    the member it holds, the value used when the attribute is missing, the range enforced on
    reading, and, for a few, an older attribute name read when the current one is missing. */
template <typename Owner> struct Field
{
    enum Kind
    {
        integer,
        flag,
        real
    };

    const char* name;
    Kind kind;
    int Owner::*intMember = nullptr;
    bool Owner::*flagMember = nullptr;
    float Owner::*realMember = nullptr;
    double fallback = 0.0;
    double low = std::numeric_limits<float>::lowest();
    double high = std::numeric_limits<float>::max();
    const char* olderName = nullptr;
};

template <typename Owner>
constexpr Field<Owner> intField (const char* name, int Owner::*member, int fallback,
                                 int low = std::numeric_limits<int>::min(), int high = std::numeric_limits<int>::max(),
                                 const char* olderName = nullptr)
{
    return {name,        Field<Owner>::integer, member,   nullptr, nullptr, (double)fallback,
            (double)low, (double)high,          olderName};
}

template <typename Owner> constexpr Field<Owner> flagField (const char* name, bool Owner::*member, bool fallback)
{
    return {name, Field<Owner>::flag, nullptr, member, nullptr, fallback ? 1.0 : 0.0, 0.0, 1.0, nullptr};
}

template <typename Owner>
constexpr Field<Owner> realField (const char* name, float Owner::*member, float fallback,
                                  float low = std::numeric_limits<float>::lowest(),
                                  float high = std::numeric_limits<float>::max(), const char* olderName = nullptr)
{
    return {name, Field<Owner>::real, nullptr, nullptr, member, fallback, low, high, olderName};
}

/** Writes the fields in table order. */
template <typename Owner, size_t N>
void writeFields (juce::XmlElement& xml, const Owner& owner, const Field<Owner> (&fields)[N])
{
    for (const auto& field : fields)
    {
        switch (field.kind)
        {
            case Field<Owner>::integer:
                xml.setAttribute (field.name, owner.*(field.intMember));
                break;
            case Field<Owner>::flag:
                xml.setAttribute (field.name, (owner.*(field.flagMember)) ? 1 : 0);
                break;
            case Field<Owner>::real:
                writeReal (xml, field.name, owner.*(field.realMember));
                break;
        }
    }
}

/** Reads every field, missing ones taking their fallback (or their older attribute). */
template <typename Owner, size_t N>
void readFields (const juce::XmlElement& xml, Owner& owner, const Field<Owner> (&fields)[N])
{
    for (const auto& field : fields)
    {
        const char* name = field.name;

        if (field.olderName != nullptr && ! xml.hasAttribute (name) && xml.hasAttribute (field.olderName))
            name = field.olderName;

        switch (field.kind)
        {
            case Field<Owner>::integer:
                owner.*(field.intMember) =
                    readClampedInt (xml, name, (int)field.fallback, (int)field.low, (int)field.high);
                break;
            case Field<Owner>::flag:
                owner.*(field.flagMember) = xml.getBoolAttribute (name, field.fallback != 0.0);
                break;
            case Field<Owner>::real:
                owner.*(field.realMember) =
                    readReal (xml, name, (float)field.fallback, (float)field.low, (float)field.high);
                break;
        }
    }
}
} // namespace StateXmlValues
