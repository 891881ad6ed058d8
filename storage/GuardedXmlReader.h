#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <string>

/** The one way the program reads XML that comes from outside: reel files, per-user files, the
    plug-in list, a state blob from a host. Call it instead of juce::parseXML, juce::XmlDocument
    or AudioProcessor::getXmlFromBinary.

    JUCE's parser hangs or reads past its buffer on some damaged input (a processing
    instruction followed by text, invalid UTF-8, character references outside Unicode, deep
    nesting, "<!DOCTYPE" entities that read other files), so every document is checked and
    cleaned before the parser sees it:
    - at most maximumBytes, valid UTF-8 (a leading byte-order mark and trailing NULs are
      dropped), no NUL inside;
    - processing instructions, the "<?xml ...?>" declaration among them, are dropped: JUCE
      reads none of them;
    - a DOCTYPE or any other "<!" declaration but comments and CDATA, an entity other than the
      five predefined ones, a character reference outside Unicode, a tag, comment or CDATA
      section left open, and elements nested deeper than maximumDepth are refused.

    A refused or unparsable document gives nullptr and, when problem is given, a message for
    the user that names the file. */
struct GuardedXmlReader
{
    static constexpr size_t maximumBytes = (size_t)256 * 1024 * 1024;
    static constexpr int maximumDepth = 128;

    /** Reads a file: nullptr for a missing file, one that is not a plain file, or one that is
        refused. With onlyOuterElement, the root element comes without its children. */
    static std::unique_ptr<juce::XmlElement> parseFile (const juce::File& file, juce::String* problem = nullptr,
                                                        bool onlyOuterElement = false);

    /** Reads a document held in memory; name is what a message calls it. */
    static std::unique_ptr<juce::XmlElement> parseBytes (const void* data, size_t numBytes, const juce::String& name,
                                                         juce::String* problem = nullptr,
                                                         bool onlyOuterElement = false);

    /** Reads a document held in a string (its bytes are checked as they are stored). */
    static std::unique_ptr<juce::XmlElement> parseText (const juce::String& text, juce::String* problem = nullptr);

    /** Reads the XML of a plug-in state blob in JUCE's binary form (what
        AudioProcessor::copyXmlToBinary writes); nullptr for anything else. */
    static std::unique_ptr<juce::XmlElement> parseStateBlob (const void* data, int sizeInBytes,
                                                             juce::String* problem = nullptr);

    /** The check and clean-up above: the text the parser may read, or why it may not. */
    static juce::Result clean (const char* data, size_t numBytes, std::string& cleaned);
};
