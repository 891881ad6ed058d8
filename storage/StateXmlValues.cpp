#include "storage/StateXmlValues.h"

#include <cmath>

namespace StateXmlValues
{
namespace
{
    /** The attribute's integer, read wide so that an overlong number saturates instead of
        wrapping into a small one. */
    juce::int64 readWideInt (const juce::XmlElement& xml, const juce::String& name)
    {
        return xml.getStringAttribute (name).getLargeIntValue();
    }
} // namespace

const juce::XmlElement* findChild (const juce::XmlElement& parent, const juce::String& tag) noexcept
{
    for (auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (tag))
            return child;

    return nullptr;
}

juce::XmlElement* findChild (juce::XmlElement& parent, const juce::String& tag) noexcept
{
    for (auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (tag))
            return child;

    return nullptr;
}

float readReal (const juce::XmlElement& xml, const juce::String& name, float fallback, float low, float high)
{
    if (! xml.hasAttribute (name))
        return fallback;

    const auto wide = xml.getDoubleAttribute (name, (double)fallback);
    const auto value =
        std::isfinite (wide) && std::abs (wide) <= (double)std::numeric_limits<float>::max() ? (float)wide : fallback;

    return juce::jlimit (low, high, value);
}

int readClampedInt (const juce::XmlElement& xml, const juce::String& name, int fallback, int low, int high)
{
    if (! xml.hasAttribute (name))
        return fallback;

    return (int)juce::jlimit ((juce::int64)low, (juce::int64)high, readWideInt (xml, name));
}

int readCodeOrFallback (const juce::XmlElement& xml, const juce::String& name, int fallback, int low, int high)
{
    if (! xml.hasAttribute (name))
        return fallback;

    const auto value = readWideInt (xml, name);
    return value >= low && value <= high ? (int)value : fallback;
}

void writeReal (juce::XmlElement& xml, const juce::String& name, float value)
{
    xml.setAttribute (name, (double)value);
}

bool decodeMemoryBlock (const juce::String& text, juce::MemoryBlock& result)
{
    result.reset();

    const auto dot = text.indexOfChar ('.');

    if (dot <= 0)
        return false;

    const auto count = text.substring (0, dot);

    if (! count.containsOnly ("0123456789") || count.length() > 12)
        return false;

    const auto numBytes = count.getLargeIntValue();
    const auto numChars = (juce::int64) (text.length() - dot - 1);

    // Each character carries six bits: a count the text cannot fill is damage, not data.
    if (numBytes > numChars * 6 / 8)
        return false;

    if (! result.fromBase64Encoding (text))
    {
        result.reset();
        return false;
    }

    return true;
}
} // namespace StateXmlValues
