#include "storage/FirstRunThread.h"

#include "storage/FirstRun.h"
#include "storage/ReelLibrary.h"

FirstRunThread::FirstRunThread (const ReelLibrary& library, EmbeddedBytes archive)
    : FirstRunThread (library.getLibraryRoot(), library.userDataFolder, archive)
{
}

FirstRunThread::FirstRunThread (const juce::File& root, const juce::File& userFolder, EmbeddedBytes archive)
    : juce::Thread ("First-run content"), libraryRoot (root), userDataFolder (userFolder), demoArchive (archive)
{
}

FirstRunThread::~FirstRunThread()
{
    // The job checks between files and between blocks of a file, so it ends quickly.
    stopThread (10000);
}

bool FirstRunThread::start()
{
    return startThread (juce::Thread::Priority::low);
}

void FirstRunThread::run()
{
    FirstRun::installFirstRunContent (libraryRoot, userDataFolder, demoArchive, [this] { return threadShouldExit(); });
}
