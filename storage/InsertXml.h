#pragma once

#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_core/juce_core.h>

#include <memory>

/** The stored form of a built-in effect entry of the insert chains: one element named
    "BUILTIN_" + the chain's entry name ("BUILTIN_INSERT_PLUGIN", "BUILTIN_TRACK_PLUGIN",
    "BUILTIN_MASTER_PLUGIN") that carries the type, the target track, the bypass switch and the
    settings of all seven effect kinds, whatever the entry's own type. */
namespace InsertXml
{
using InsertPlugin = TavrelDelayAudioProcessor::InsertPlugin;

/** True for a tag that names a built-in entry: it begins with "BUILTIN_" in exactly that case. */
bool isBuiltInTag (const juce::String& tag);

/** The element of a built-in entry, named "BUILTIN_" + entryName. */
std::unique_ptr<juce::XmlElement> createBuiltIn (const InsertPlugin& entry, const juce::String& entryName);

/** A new entry read from a built-in element, its engine made and prepared at the rate (44100
    when not above 0). Missing attributes take the values of a new entry; a type outside the
    seven built-in effects is refused (the entry keeps type 0 and no engine), and every setting
    is limited to the range of its control. */
std::shared_ptr<InsertPlugin> restoreBuiltIn (const juce::XmlElement& element, double sampleRate);
} // namespace InsertXml
