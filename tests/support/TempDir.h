#pragma once

#include <juce_core/juce_core.h>

/** A fresh, empty folder in the system's temporary folder, deleted with everything in it
    when the object goes. */
class TempDir
{
public:
    explicit TempDir (const juce::String& prefix = "dravin8")
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getNonexistentChildFile (prefix + "-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()), {}, false))
    {
        folder.createDirectory();
    }

    ~TempDir() { folder.deleteRecursively(); }

    const juce::File& getFile() const noexcept { return folder; }
    juce::File operator/ (const juce::String& child) const { return folder.getChildFile (child); }

private:
    juce::File folder;

    JUCE_DECLARE_NON_COPYABLE (TempDir)
};
