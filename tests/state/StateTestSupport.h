#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <juce_core/juce_core.h>

#include <memory>

namespace StateTestSupport
{
/** Attribute names of an element, in document order. */
inline juce::StringArray attributeNames (const juce::XmlElement& xml)
{
    juce::StringArray names;

    for (int i = 0; i < xml.getNumAttributes(); ++i)
        names.add (xml.getAttributeName (i));

    return names;
}

/** Tags of an element's children, in document order. */
inline juce::StringArray childTags (const juce::XmlElement& xml)
{
    juce::StringArray tags;

    for (auto* child : xml.getChildIterator())
        tags.add (child->getTagName());

    return tags;
}

/** The element as a file would give it back: written as text and parsed again. */
inline std::unique_ptr<juce::XmlElement> throughText (const juce::XmlElement& xml)
{
    auto parsed = juce::parseXML (xml.toString());

    if (parsed == nullptr)
        ADD_FAILURE() << "written XML does not parse";

    return parsed;
}

inline std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
{
    auto parsed = juce::parseXML (text);

    if (parsed == nullptr)
        ADD_FAILURE() << "test XML does not parse: " << text;

    return parsed;
}

/** Float equality down to the bit: a stored real must read back as the same value. */
inline bool sameBits (float a, float b)
{
    return std::memcmp (&a, &b, sizeof (float)) == 0;
}

/** A per-user and music folder of its own for each test, so that processors never touch the
    user's real files. */
class ProcessorStateTest : public ::testing::Test
{
protected:
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
};
} // namespace StateTestSupport
