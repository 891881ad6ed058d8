#include "ui/panels/TrackReorderWindow.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/StorageIds.h"

namespace
{
bool isNamedReel (const juce::String& name)
{
    return name.isNotEmpty() && name != StorageIds::untitledReelName;
}

/** Brings the next top-level window to the front with keyboard focus. */
void focusNextTopLevelWindow (juce::Component& current)
{
    const int count = juce::TopLevelWindow::getNumTopLevelWindows();

    for (int i = 0; i < count; ++i)
    {
        if (juce::TopLevelWindow::getTopLevelWindow (i) != &current)
            continue;

        for (int step = 1; step < count; ++step)
            if (auto* next = juce::TopLevelWindow::getTopLevelWindow ((i + step) % count);
                next != nullptr && next->isVisible())
            {
                next->toFront (true);
                return;
            }
    }
}
} // namespace

TrackReorderWindow::TrackReorderWindow (TavrelDelayAudioProcessor& p, std::function<void()> callback)
    : juce::DocumentWindow ("Reorder Tracks", juce::Colours::black, juce::DocumentWindow::closeButton, true),
      onTracksSwapped (std::move (callback)), processor (p)
{
    setUsingNativeTitleBar (true);
    rebuildRows();

    setResizable (false, false);
    constrainer.attachTo (*this);

    setAlwaysOnTop (true);
    setVisible (true);
    startTimer (250);
}

TrackReorderWindow::~TrackReorderWindow()
{
    stopTimer();
    setConstrainer (nullptr);
    clearContentComponent();
    rows.clear();
    rowHolder.reset();
}

void TrackReorderWindow::rebuildRows()
{
    auto oldHolder = std::move (rowHolder);
    rowHolder = std::make_unique<juce::Component>();

    auto* viewport = new juce::Viewport();
    viewport->setViewedComponent (rowHolder.get(), false);
    setContentOwned (viewport, false);
    rows.clear();
    oldHolder.reset();

    shownReel = processor.getReelName();
    shownTracks = juce::jmin (processor.numTracks, (int)processor.tracks.size());

    for (int i = 0; i < shownTracks; ++i)
    {
        auto name = processor.parameters.state.getProperty ("TrackName_" + juce::String (i + 1)).toString();
        if (name.isEmpty())
            name = "(Untitled)";

        auto* row = rows.add (new TrackRow (i, name, *this));
        rowHolder->addAndMakeVisible (row);
        row->setBounds (0, rowHeight * i, rowWidth, rowHeight);
    }

    rowHolder->setSize (rowWidth, rowHeight * shownTracks);

    const auto border = getContentComponentBorder();
    setSize (rowWidth + border.getLeftAndRight(), juce::jmin (rowHeight * shownTracks, 800) + border.getTopAndBottom());
    constrainer.preferredWidth = getWidth();
    constrainer.preferredHeight = getHeight();
}

bool TrackReorderWindow::showsOpenReel() const
{
    return processor.getReelName() == shownReel &&
           juce::jmin (processor.numTracks, (int)processor.tracks.size()) == shownTracks;
}

void TrackReorderWindow::swapRows (int sourceIndex, int targetIndex)
{
    const bool valid = showsOpenReel() && sourceIndex != targetIndex && sourceIndex >= 0 && targetIndex >= 0 &&
                       sourceIndex < shownTracks && targetIndex < shownTracks;

    if (valid)
        processor.swapTracks (sourceIndex, targetIndex);

    // The drop handler of a row runs now: the rows are rebuilt once it has returned.
    juce::MessageManager::callAsync (
        [safe = juce::Component::SafePointer<TrackReorderWindow> (this)]
        {
            if (auto* window = safe.getComponent())
            {
                window->rebuildRows();
                window->repaint();
            }
        });

    if (valid && onTracksSwapped)
        onTracksSwapped();
}

void TrackReorderWindow::timerCallback()
{
    if (showsOpenReel())
        return;

    // Ejected: nothing left to reorder. Another reel: show its tracks.
    if (! isNamedReel (processor.getReelName()))
    {
        stopTimer();
        juce::MessageManager::callAsync ([safe = juce::Component::SafePointer<TrackReorderWindow> (this)]
                                         { delete safe.getComponent(); });
        return;
    }

    rebuildRows();
}

void TrackReorderWindow::closeButtonPressed()
{
    delete this;
}

bool TrackReorderWindow::keyPressed (const juce::KeyPress& key)
{
    if (key == juce::KeyPress::escapeKey)
    {
        closeButtonPressed();
        return true;
    }

    const auto tab = key.getKeyCode() == juce::KeyPress::tabKey;
    if (tab && (key.getModifiers().isCtrlDown() || key.getModifiers().isAltDown()))
    {
        focusNextTopLevelWindow (*this);
        return true;
    }

    return false;
}

//==============================================================================
TrackReorderWindow::TrackRow::TrackRow (int index, const juce::String& name, TrackReorderWindow& owner)
    : trackIndex (index), trackName (name), window (owner)
{
    setComponentID (juce::String (index));
}

void TrackReorderWindow::TrackRow::paint (juce::Graphics& g)
{
    g.fillAll (highlighted ? juce::Colour (0xffffa500).withAlpha ((juce::uint8)76) : juce::Colour (0xff2b2b2b));
    g.setColour (juce::Colours::black);
    g.drawRect (getLocalBounds(), 1);

    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText ("Track " + juce::String (trackIndex + 1) + ": " + trackName,
                juce::Rectangle<int> (10, 0, getWidth() - 20, getHeight()), juce::Justification::centredLeft);

    g.setColour (juce::Colour (0xff808080));
    for (const int x : {getWidth() - 20, getWidth() - 24})
        g.fillRect (juce::Rectangle<int> (x, 10, 2, juce::jmax (0, getHeight() - 20)));
}

void TrackReorderWindow::TrackRow::mouseDown (const juce::MouseEvent&)
{
    if (auto* container = juce::DragAndDropContainer::findParentDragContainerFor (this))
        container->startDragging (dragDescription, this,
                                  juce::ScaledImage (createComponentSnapshot (getLocalBounds(), true, 1.0f)), false);
}

bool TrackReorderWindow::TrackRow::isInterestedInDragSource (const SourceDetails& details)
{
    return details.description.toString() == dragDescription;
}

void TrackReorderWindow::TrackRow::itemDragEnter (const SourceDetails&)
{
    highlighted = true;
    repaint();
}

void TrackReorderWindow::TrackRow::itemDragExit (const SourceDetails&)
{
    highlighted = false;
    repaint();
}

void TrackReorderWindow::TrackRow::itemDropped (const SourceDetails& details)
{
    highlighted = false;
    repaint();

    auto* source = dynamic_cast<TrackRow*> (details.sourceComponent.get());
    if (source == nullptr || source->trackIndex == trackIndex)
        return;

    window.swapRows (source->trackIndex, trackIndex);
}
