#pragma once

#include "resources/DemoReelArchive.h"

#include <juce_core/juce_core.h>

class ReelLibrary;

/** Runs the first-run job (FirstRun::installFirstRunContent) on a thread of its own, started
    by the processor at every start. It takes copies of the library root and the per-user
    folder when made, so it never touches the library or the processor afterwards; the owner
    destroys it before the processor goes, which stops an unfinished job at its next file
    (a cut-short demo installation leaves only its hidden work folder, cleared next start). */
class FirstRunThread : public juce::Thread
{
public:
    explicit FirstRunThread (const ReelLibrary& library, EmbeddedBytes demoArchive = getEmbeddedDemoReelArchive());
    FirstRunThread (const juce::File& libraryRoot, const juce::File& userDataFolder, EmbeddedBytes demoArchive);

    /** Asks the job to stop and waits for it. */
    ~FirstRunThread() override;

    /** Starts the job at a low priority; false when the thread could not be started (nothing
        is installed at this start then). */
    bool start();

    void run() override;

private:
    const juce::File libraryRoot, userDataFolder;
    const EmbeddedBytes demoArchive;

    JUCE_DECLARE_NON_COPYABLE (FirstRunThread)
};
