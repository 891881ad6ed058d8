#include "storage/ReelNames.h"

#include "storage/StorageIds.h"

namespace ReelNames
{
namespace
{
    const juce::String fallbackName ("Imported Tape");

    bool isSeparator (juce::juce_wchar c)
    {
        return c == '/' || c == '\\';
    }

    bool isControl (juce::juce_wchar c)
    {
        return c < 0x20 || (c >= 0x7f && c < 0xa0);
    }

    int utf8Bytes (const juce::String& s)
    {
        return (int)s.getNumBytesAsUTF8();
    }

    juce::StringArray namesInRoot (const juce::File& libraryRoot)
    {
        juce::StringArray names;

        if (libraryRoot.isDirectory())
            for (const auto& child : libraryRoot.findChildFiles (juce::File::findFilesAndDirectories, false, "*",
                                                                 juce::File::FollowSymlinks::no))
                names.add (child.getFileName());

        return names;
    }

    juce::Result checkAgainst (const juce::String& name, const juce::StringArray& existing,
                               const juce::String& renamedFrom)
    {
        if (auto syntax = checkFolderName (name); syntax.failed())
            return syntax;

        if (name.equalsIgnoreCase (StorageIds::untitledReelName))
            return juce::Result::fail ("\"Untitled\" is kept for tapes that have not been named yet.");

        if (name.endsWithIgnoreCase (StorageIds::recoveredSuffix))
            return juce::Result::fail ("Names ending with \"(Recovered)\" are kept for recovered copies.");

        if (name.equalsIgnoreCase (StorageIds::shelfLayoutFile))
            return juce::Result::fail ("That name is used by the library itself.");

        for (const auto& other : existing)
            if (other.equalsIgnoreCase (name) && ! (renamedFrom.isNotEmpty() && other == renamedFrom))
                return juce::Result::fail ("A tape with this name already exists.");

        return juce::Result::ok();
    }

    // Cuts a name to at most maxBytes of UTF-8 without splitting a character.
    juce::String limitBytes (juce::String name, int maxBytes)
    {
        while (utf8Bytes (name) > maxBytes)
            name = name.dropLastCharacters (1);

        return name;
    }

    juce::String withoutTrailingDotsAndSpaces (juce::String name)
    {
        while (name.endsWithChar ('.') || name.endsWithChar (' '))
            name = name.dropLastCharacters (1);

        return name;
    }
} // namespace

bool isScratchReelName (const juce::String& name)
{
    return name == StorageIds::untitledReelName || name.endsWithIgnoreCase (StorageIds::recoveredSuffix);
}

juce::Result checkFolderName (const juce::String& name)
{
    if (name.isEmpty())
        return juce::Result::fail ("Please enter a name for the tape.");

    if (name == "." || name == "..")
        return juce::Result::fail ("\"" + name + "\" cannot be used as a tape name.");

    // juce::File::getChildFile reads a leading '~' as the home folder.
    if (name.startsWithChar ('~'))
        return juce::Result::fail ("A tape name cannot start with \"~\".");

    for (auto p = name.getCharPointer(); ! p.isEmpty(); ++p)
    {
        if (isSeparator (*p))
            return juce::Result::fail ("A tape name cannot contain \"/\" or \"\\\".");

        if (isControl (*p))
            return juce::Result::fail ("A tape name cannot contain control characters.");
    }

    if (name.endsWithChar ('.') || name.endsWithChar (' '))
        return juce::Result::fail ("A tape name cannot end with a dot or a space.");

    if (utf8Bytes (name) > maxNameBytes)
        return juce::Result::fail ("That name is too long.");

    return juce::Result::ok();
}

juce::Result checkNewReelName (const juce::String& name, const juce::File& libraryRoot, const juce::String& renamedFrom)
{
    return checkAgainst (name, namesInRoot (libraryRoot), renamedFrom);
}

juce::String makeFolderNameFrom (const juce::String& text)
{
    juce::String cleaned;

    for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
        cleaned << ((isSeparator (*p) || isControl (*p)) ? juce::juce_wchar ('_') : *p);

    cleaned = withoutTrailingDotsAndSpaces (limitBytes (cleaned.trim(), maxNameBytes)).trim();

    while (cleaned.startsWithChar ('~'))
        cleaned = cleaned.substring (1).trimStart();

    if (checkFolderName (cleaned).failed())
        return fallbackName;

    return cleaned;
}

juce::String makeUniqueReelName (const juce::String& base, const juce::File& libraryRoot)
{
    if (checkFolderName (base).failed())
        return {};

    const auto existing = namesInRoot (libraryRoot);

    if (checkAgainst (base, existing, {}).wasOk())
        return base;

    // The counter is always appended to the base, so "Song" gives "Song (2)", "Song (3)", ...
    for (int counter = 2; counter < 100000; ++counter)
    {
        const juce::String suffix (" (" + juce::String (counter) + ")");
        const auto candidate = limitBytes (base, maxNameBytes - utf8Bytes (suffix)).trimEnd() + suffix;

        if (checkAgainst (candidate, existing, {}).wasOk())
            return candidate;
    }

    return {};
}
} // namespace ReelNames
