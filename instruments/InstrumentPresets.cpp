#include "instruments/InstrumentPresets.h"

#include "storage/GuardedXmlReader.h"

InstrumentPresets::InstrumentPresets (const juce::String& category, const juce::File& userDataFolder)
    : folder (userDataFolder.getChildFile ("Presets").getChildFile (category))
{
}

bool InstrumentPresets::isLegalName (const juce::String& name)
{
    if (name.isEmpty() || name.length() > maximumNameLength)
        return false;

    // Hidden files are never listed, and Windows silently drops a trailing dot or space, which
    // would make two names share one file.
    if (name.startsWithChar ('.') || name.endsWithChar ('.') || name.endsWithChar (' '))
        return false;

    for (auto p = name.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const auto c = *p;

        if (c < 0x20 || c == 0x7f || juce::String ("<>:\"/\\|?*").containsChar (c))
            return false;
    }

    return true;
}

bool InstrumentPresets::isInsideFolder (const juce::File& file) const
{
    if (file.getParentDirectory() != folder)
        return false;

    // A link in the folder may point anywhere; follow it only when it stays here.
    return ! file.isSymbolicLink() || file.getLinkedTarget().getParentDirectory() == folder;
}

juce::File InstrumentPresets::getPresetFile (const juce::String& name) const
{
    if (! isLegalName (name))
        return {};

    const auto file = folder.getChildFile (name + extension);
    return isInsideFolder (file) ? file : juce::File();
}

juce::StringArray InstrumentPresets::listNames() const
{
    if (! folder.isDirectory())
        folder.createDirectory();

    juce::StringArray names;

    for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, juce::String ("*") + extension))
    {
        const auto name = file.getFileNameWithoutExtension();

        if (getPresetFile (name) == file)
            names.add (name);
    }

    names.sort (true);
    return names;
}

std::unique_ptr<juce::XmlElement> InstrumentPresets::load (const juce::String& name) const
{
    const auto file = getPresetFile (name);

    if (file == juce::File())
        return nullptr;

    return GuardedXmlReader::parseFile (file);
}

juce::Result InstrumentPresets::save (const juce::String& name, const juce::XmlElement& preset) const
{
    const auto failure = [&name] (const juce::String& why)
    { return juce::Result::fail ("The preset \"" + name + "\" could not be saved: " + why); };

    const auto file = getPresetFile (name);

    if (file == juce::File())
        return failure ("a preset name cannot be empty, start with a dot or hold any of < > : \" / \\ | ? *.");

    if (! folder.isDirectory())
    {
        const auto made = folder.createDirectory();

        if (made.failed())
            return failure (made.getErrorMessage());
    }

    if (file.isDirectory())
        return failure ("a folder of that name is in the way.");

    // Written beside the target and moved over it, so a full disk leaves the old preset whole.
    juce::TemporaryFile temp (file, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream out (temp.getFile());

        if (! out.openedOk())
            return failure (out.getStatus().getErrorMessage());

        preset.writeTo (out); // declaration, CR LF line ends, wrapped at 60 columns
        out.flush();

        if (out.getStatus().failed())
            return failure (out.getStatus().getErrorMessage());
    }

    if (! Platform::replaceFile (temp.getFile(), file))
        return failure ("the file could not be replaced.");

    return juce::Result::ok();
}

juce::Result InstrumentPresets::remove (const juce::String& name) const
{
    const auto file = getPresetFile (name);

    if (file == juce::File())
        return juce::Result::fail ("\"" + name + "\" is not a preset name.");

    if (file.existsAsFile() && ! file.deleteFile())
        return juce::Result::fail ("The preset \"" + name + "\" could not be deleted.");

    return juce::Result::ok();
}
