#include "app/CommandLineFile.h"

#include "storage/StorageIds.h"

juce::File CommandLineFile::resolve (const juce::String& text, const juce::File& workingDirectory)
{
    auto path = text.trim().unquoted().trim();

    // Some launchers quote twice.
    if (path.length() >= 2 && path.startsWithChar ('"') && path.endsWithChar ('"'))
        path = path.substring (1, path.length() - 1);

    if (path.isEmpty())
        return {};

    auto file = workingDirectory.getChildFile (path);

    if (! file.existsAsFile() && path.startsWith ("file://"))
    {
        // Only local files: "file:///path" or "file://localhost/path".
        const auto local = path.startsWith ("file:///") || path.startsWithIgnoreCase ("file://localhost/");
        file = local ? juce::URL (path).getLocalFile() : juce::File();
    }

    if (! file.existsAsFile())
        return {};

    if (! file.hasFileExtension (StorageIds::pointerExtension) && ! file.hasFileExtension (".zip"))
        return {};

    return file;
}

bool CommandLineFile::isArchive (const juce::File& file)
{
    juce::ZipFile zip (file);
    return zip.getNumEntries() > 0;
}

juce::String CommandLineFile::findPointerReel (const juce::File& pointer, const juce::File& libraryRoot)
{
    const auto holdsReel = [] (const juce::File& folder)
    { return folder.getChildFile (StorageIds::settingsFile).existsAsFile(); };

    const auto name = pointer.getFileNameWithoutExtension();
    if (name.isNotEmpty() && libraryRoot != juce::File() && holdsReel (libraryRoot.getChildFile (name)))
        return name;

    const auto folder = pointer.getParentDirectory();
    if (holdsReel (folder))
        return folder.getFileName();

    return {};
}

bool CommandLineFile::isDisposableCopy (const juce::File& archive)
{
    if (archive.isAChildOf (juce::File::getSpecialLocation (juce::File::tempDirectory)))
        return true;

    for (auto folder = archive.getParentDirectory(); ! folder.isRoot(); folder = folder.getParentDirectory())
        if (folder.getFileName() == "Inbox")
            return true;

    return false;
}
