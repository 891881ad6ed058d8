#include "ui/deck/DuplicateThread.h"

#include "storage/ReelLibrary.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TapeRoomTexts.h"

DuplicateThread::DuplicateThread (const ReelLibrary& libraryToUse, const juce::File& source,
                                  const juce::String& nameOfCopy, juce::Component* componentToCentreAround)
    : ProgressWindowThread (windowTitle, true, true, componentToCentreAround),
      library (libraryToUse),
      sourceFolder (source),
      newName (nameOfCopy)
{
}

void DuplicateThread::run()
{
    // Asked between pieces of the copy: the bar follows, and Cancel stops it there.
    result = library.duplicateReel (sourceFolder, newName, &progressValue,
                                    [this]
                                    {
                                        setProgress (progressValue.load());
                                        return threadShouldExit();
                                    });
}

void DuplicateThread::threadComplete (bool)
{
    // run() has returned: result is final and read on this thread only from here on.
    const auto outcome = result;
    const bool cancelled = wasCancelRequested();
    auto finished = std::move (onFinished);
    auto* noticeLook = look;
    delete this;

    if (finished)
        finished (outcome);

    // A cancel that came too late to stop the copy leaves a whole copy: nothing to tell.
    if (outcome.failed() && ! cancelled)
        FlowDialog::notify (TapeRoomTexts::duplicateFailedTitle, outcome.getErrorMessage(), 2, noticeLook);
}
