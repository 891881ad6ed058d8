#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_core/juce_core.h>

#include <memory>

/** The stored form of a hosted plug-in (an instrument slot, an insert entry or an aux return):
    an element, named by its place in the rack, holding the plug-in's description as a "PLUGIN"
    child, the file the slot loaded it from ("customPath") and the plug-in's own state ("state",
    in JUCE's memory-block text). The place adds its own attributes after these. */
namespace PluginXml
{
/** The element of a live plug-in; customPath is left out when slotPath is empty. */
std::unique_ptr<juce::XmlElement> create (const juce::String& tag, const juce::PluginDescription& description,
                                          const juce::String& slotPath, const juce::MemoryBlock& state);

/** What a re-creation needs of an element. */
struct Stored
{
    juce::PluginDescription description;
    juce::String path;       // "customPath", else the description's file
    juce::MemoryBlock state; // empty when there is none or it does not decode
};

/** Reads an element; false when it holds no readable description ("PLUGIN", or "PLUGIN_DESC" in
    older reels). A damaged state text gives no state rather than a failure: the plug-in still
    loads, with its defaults. */
bool read (const juce::XmlElement& element, Stored& result);

/** The element a slot was restored from, for a save made while the slot has no plug-in (still
    loading, or failed to load): a copy under the tag of the place it is written to now. */
std::unique_ptr<juce::XmlElement> writeBack (const juce::XmlElement& stored, const juce::String& tag);
} // namespace PluginXml
