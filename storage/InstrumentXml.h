#pragma once

#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_core/juce_core.h>

#include <memory>

/** The stored form of a built-in instrument slot: one "BUILTIN_INSTRUMENT" element with the
    type, the preset name and the sound settings of the slot's engine. The rack writer adds the
    slot's "midiChannel" as the last attribute. */
namespace InstrumentXml
{
using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

/** The element of a built-in slot (without "midiChannel"). */
std::unique_ptr<juce::XmlElement> createBuiltIn (const InstrumentPlugin& slot);

/** Fills a new slot from a built-in element: type, preset, device name, and the engine of the
    type made, prepared at the rate (44100 when not above 0) and given the stored settings, each
    limited to its range. A type outside the five instruments is refused: the slot keeps type 0
    and no engine. Custom drum samples are read through the format manager. */
void restoreBuiltIn (InstrumentPlugin& slot, const juce::XmlElement& element, double sampleRate,
                     juce::AudioFormatManager& formats);

/** The sound settings of the slot's synthesizer, slide or stage keyboard engine as attributes in
    their stored order: also the attribute set of that instrument's presets. The rhythm machine's
    are not written (it has no presets). */
void writeSoundSettings (juce::XmlElement& element, const InstrumentPlugin& slot);

/** Gives the slot's synthesizer, slide or stage keyboard engine the settings of the element: a
    missing attribute takes the default sound's value, and every value is limited to its range,
    so a damaged preset cannot put the engine out of range. */
void readSoundSettings (const juce::XmlElement& element, InstrumentPlugin& slot);

/** The slot of the older single-instrument form ("builtInInstrument" on the rack element): the
    engine of the type with its own defaults. Nullptr for a value that names no instrument. */
std::shared_ptr<InstrumentPlugin> makeOlderFormSlot (int type, double sampleRate);
} // namespace InstrumentXml
