#include "rack/PluginScanner.h"

#include "platform/Platform.h"
#include "rack/ChildProcessPluginScanner.h"
#include "rack/PluginScanIds.h"
#include "storage/GuardedXmlReader.h"

namespace
{
// One scan at a time in the whole process: scans share "BlockedPlugins.txt" and the log, and a
// list's custom scanner is swapped in and out around each file.
juce::CriticalSection& scanLock()
{
    static juce::CriticalSection lock;
    return lock;
}

// Each log write is a separate open-append-close; discovery may log while a scan thread does.
juce::CriticalSection& logLock()
{
    static juce::CriticalSection lock;
    return lock;
}

bool isPluginFile (const juce::File& file)
{
    // Compared without case on every system, as the folders are on Windows and as JUCE's own
    // VST3 format does.
    return file.hasFileExtension (".vst3;.component");
}

juce::Array<juce::File> sortedChildren (const juce::File& folder, int whatToLookFor)
{
    auto children = folder.findChildFiles (whatToLookFor, false, "*", juce::File::FollowSymlinks::yes);
    children.sort();
    return children;
}

// Writes text to file in one step: a temporary file beside it moved over it.
bool replaceFileWithText (const juce::File& file, const juce::String& text)
{
    if (! file.getParentDirectory().createDirectory())
        return false;

    const juce::TemporaryFile temporary (file);
    return temporary.getFile().appendText (text, false, false, "\r\n") &&
           Platform::replaceFile (temporary.getFile(), file);
}
} // namespace

PluginScanner::PluginScanner (juce::AudioPluginFormatManager& formats, juce::KnownPluginList& list,
                              PluginScanOptions scanOptions)
    : formatManager (formats), knownPlugins (list), options (std::move (scanOptions))
{
}

juce::StringArray PluginScanner::discoverPluginFiles() const
{
    appendToLog (PluginScanIds::discoveryHeader);
    juce::StringArray found;

    for (auto& folder : options.searchFolders)
    {
        appendToLog (PluginScanIds::checkingDir + folder.getFullPathName() + " ... ");

        if (! folder.isDirectory())
        {
            appendToLog (PluginScanIds::dirNotFound);
            continue;
        }

        int count = 0;
        const auto addPluginsIn = [&found, &count] (const juce::File& parent)
        {
            for (auto& entry : sortedChildren (parent, juce::File::findFilesAndDirectories))
            {
                if (isPluginFile (entry))
                {
                    found.add (entry.getFullPathName());
                    ++count;
                }
            }
        };

        addPluginsIn (folder);

        // One level of vendor folders; a bundle folder is a plug-in, not a place to look into.
        for (auto& subFolder : sortedChildren (folder, juce::File::findDirectories))
            if (! isPluginFile (subFolder))
                addPluginsIn (subFolder);

        appendToLog ("Found " + juce::String (count) + " files.\n");
    }

    appendToLog (PluginScanIds::totalFiles + juce::String (found.size()) + "\n");
    return found;
}

void PluginScanner::scanPluginFiles (const juce::StringArray& paths)
{
    const juce::ScopedLock sl (scanLock());

    startScanLog();

    for (auto& path : paths)
        scanFile (path);

    saveKnownPluginList();
}

void PluginScanner::startScanLog() const
{
    const juce::ScopedLock sl (logLock());
    replaceFileWithText (options.logFile, PluginScanIds::scanHeader);
}

PluginScanner::FileResult PluginScanner::scanFile (const juce::String& path)
{
    const juce::ScopedLock sl (scanLock());

    if (path.isEmpty() || ! juce::File::isAbsolutePath (path) || ! juce::File (path).exists())
        return FileResult::skippedMissing;

    const auto name = getFileNameOf (path);
    const auto blocked = readBlockedPlugins();

    if (blocked.contains (name))
    {
        appendToLog (PluginScanIds::skippingKnownCrash + name + "\n");
        return FileResult::skippedBlocked;
    }

    // The name goes in before the file is loaded: whatever happens next, the file is only taken
    // out again once it has been loaded.
    appendToLog (PluginScanIds::scanning + name + " ... ");
    options.userFolder.createDirectory();
    appendToBlockedPlugins (name);

    auto* format = findFormatFor (path);

    if (format == nullptr)
    {
        appendToLog (PluginScanIds::scanNoFormat);
        return FileResult::noFormat;
    }

    auto childScanner =
        std::make_unique<ChildProcessPluginScanner> (options.scanExecutable, options.scanTimeoutMs, shouldCancel);
    auto& scanner = *childScanner;
    knownPlugins.setCustomScanner (std::move (childScanner));

    juce::OwnedArray<juce::PluginDescription> found;
    knownPlugins.scanAndAddFile (path, true, found, *format);

    const auto outcome = scanner.getLastOutcome();
    knownPlugins.setCustomScanner (nullptr);

    auto unblock = [&]
    {
        juce::StringArray remaining (blocked);
        remaining.removeString (name);
        rewriteBlockedPlugins (remaining);
    };

    switch (outcome)
    {
        case ChildProcessPluginScanner::Outcome::crashed:
            appendToLog (PluginScanIds::scanCrashed);
            return FileResult::crashed;

        case ChildProcessPluginScanner::Outcome::timedOut:
            appendToLog (PluginScanIds::scanTimedOut);
            return FileResult::timedOut;

        case ChildProcessPluginScanner::Outcome::cancelled:
            unblock();
            appendToLog (PluginScanIds::scanCancelled);
            return FileResult::cancelled;

        case ChildProcessPluginScanner::Outcome::notStarted:
            unblock();
            appendToLog (PluginScanIds::scanNotStarted);
            return FileResult::scannerNotStarted;

        case ChildProcessPluginScanner::Outcome::notRun: // already in the list: nothing was loaded
        case ChildProcessPluginScanner::Outcome::loaded:
            break;
    }

    unblock();
    appendToLog (PluginScanIds::scanOk);
    return FileResult::scanned;
}

bool PluginScanner::saveKnownPluginList() const
{
    const juce::ScopedLock sl (scanLock());

    const auto xml = knownPlugins.createXml();

    if (xml == nullptr || ! options.userFolder.createDirectory())
        return false;

    const juce::TemporaryFile temporary (getKnownPluginsFile());
    return xml->writeTo (temporary.getFile()) && Platform::replaceFile (temporary.getFile(), getKnownPluginsFile());
}

bool PluginScanner::loadKnownPluginList (juce::KnownPluginList& list, const juce::File& userFolder)
{
    const auto xml = GuardedXmlReader::parseFile (userFolder.getChildFile (PluginScanIds::knownPluginsFileName));

    if (xml == nullptr)
        return false;

    list.recreateFromXml (*xml);
    return true;
}

juce::StringArray PluginScanner::readBlockedPlugins() const
{
    juce::StringArray names;
    names.addLines (getBlockedPluginsFile().loadFileAsString());

    // addLines gives one empty line after the last line end.
    if (! names.isEmpty() && names[names.size() - 1].isEmpty())
        names.remove (names.size() - 1);

    return names;
}

juce::File PluginScanner::getBlockedPluginsFile() const
{
    return options.userFolder.getChildFile (PluginScanIds::blockedPluginsFileName);
}

juce::File PluginScanner::getKnownPluginsFile() const
{
    return options.userFolder.getChildFile (PluginScanIds::knownPluginsFileName);
}

juce::String PluginScanner::getFileNameOf (const juce::String& path)
{
    const int separator = juce::jmax (path.lastIndexOfChar ('/'), path.lastIndexOfChar ('\\'));
    return path.substring (separator + 1);
}

void PluginScanner::appendToLog (const juce::String& text) const
{
    // Opened, appended and closed on every write, so the log is complete up to a crash.
    const juce::ScopedLock sl (logLock());
    options.logFile.getParentDirectory().createDirectory();
    options.logFile.appendText (text, false, false, "\r\n");
}

void PluginScanner::appendToBlockedPlugins (const juce::String& name) const
{
    getBlockedPluginsFile().appendText (name + "\n", false, false, "\r\n");
}

void PluginScanner::rewriteBlockedPlugins (const juce::StringArray& names) const
{
    juce::String text;

    for (auto& name : names)
        text << name << "\n";

    replaceFileWithText (getBlockedPluginsFile(), text);
}

juce::AudioPluginFormat* PluginScanner::findFormatFor (const juce::String& path) const
{
    for (int i = 0; i < formatManager.getNumFormats(); ++i)
        if (auto* format = formatManager.getFormat (i); format->fileMightContainThisPluginType (path))
            return format;

    return nullptr;
}
