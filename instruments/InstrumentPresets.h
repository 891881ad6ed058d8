#pragma once

#include "platform/Platform.h"

#include <juce_core/juce_core.h>

#include <memory>

/** The named presets of one built-in instrument: the files "<name>.xml" directly in its folder
    "<per-user folder>/Presets/<category>", each a "PRESET" element with one attribute per
    setting (the same frame as the factory presets installed on first start).

    A preset name is also a file name, so only names that are legal file names on every system
    are accepted, and a name never leads outside the instrument's folder: names come from what
    the user types and from the preset name stored in a reel, which may be hostile. */
class InstrumentPresets
{
public:
    explicit InstrumentPresets (const juce::String& category,
                                const juce::File& userDataFolder = Platform::getUserDataFolder());

    /** "<userDataFolder>/Presets/<category>". */
    const juce::File& getFolder() const noexcept { return folder; }

    /** Whether the text, as it is (callers trim first), may name a preset file: not empty, at
        most maximumNameLength characters, no control characters, none of < > : " / \ | ? *, not
        starting with a dot (a hidden file would never be listed) and not ending with a dot or a
        space (Windows drops those). */
    static bool isLegalName (const juce::String& name);

    /** The file of a legal name inside the folder; a non-existent File for any other name. */
    juce::File getPresetFile (const juce::String& name) const;

    /** Makes the folder when missing, then the names of the preset files directly in it (not in
        sub-folders), sorted ignoring case. A file whose name is no legal preset name, or that
        leads outside the folder through a link, is left out. */
    juce::StringArray listNames() const;

    /** The root element of the named preset's file, whatever its tag; nullptr when the name is
        not legal or the file is missing or cannot be read. */
    std::unique_ptr<juce::XmlElement> load (const juce::String& name) const;

    /** Writes the element as the named preset (replacing a file of that name) through a
        temporary file moved over it, so a failed write leaves the old preset whole. The text
        is JUCE's default: XML declaration, CR LF line ends, wrapped at 60 columns. Fails with a
        message for the user for an illegal name or a file that cannot be written. */
    juce::Result save (const juce::String& name, const juce::XmlElement& preset) const;

    /** Deletes the named preset's file. A file already gone counts as deleted; an illegal name
        deletes nothing and fails. */
    juce::Result remove (const juce::String& name) const;

    static constexpr int maximumNameLength = 200;
    static constexpr const char* presetTag = "PRESET";
    static constexpr const char* extension = ".xml";

private:
    bool isInsideFolder (const juce::File& file) const;

    juce::File folder;
};
