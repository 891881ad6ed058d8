#include "ui/instruments/InternalInstrumentWindow.h"

#include "rack/FocusNextTopLevelWindow.h"
#include "ui/instruments/InstrumentScalingWrapper.h"
#include "ui/instruments/InstrumentUiState.h"

#include <array>

namespace
{
constexpr int rememberThreshold = 200;
constexpr int displayMargin = 100;

std::array<int, 5> rememberedWidths{};

// Sizes at the design proportions, truncated. Multiplying first keeps exact proportions exact
// (1350 wide at 1350 : 500 is 500 high, not 499.99...).
int heightAt (int width, int designWidth, int designHeight)
{
    return (int)((double)width * designHeight / designWidth);
}

int widthAt (int height, int designWidth, int designHeight)
{
    return (int)((double)height * designWidth / designHeight);
}
} // namespace

std::function<juce::Rectangle<int>()> InternalInstrumentWindow::mainDisplayUserArea;

juce::Rectangle<int> InternalInstrumentWindow::userArea()
{
    if (mainDisplayUserArea)
        return mainDisplayUserArea();
    if (auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
        return display->userArea;
    return {};
}

int InternalInstrumentWindow::getRememberedWidth (int builtInType)
{
    return rememberedWidths[(size_t)InstrumentEditorFactory::describe (builtInType).rememberIndex];
}

void InternalInstrumentWindow::forgetRememberedWidths()
{
    rememberedWidths.fill (0);
}

InternalInstrumentWindow::InternalInstrumentWindow (TavrelDelayAudioProcessor& processorToUse, InstrumentPlugin& slotToShow)
    : juce::DocumentWindow (InstrumentEditorFactory::describe (slotToShow.builtInType).windowTitle,
                            juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                            juce::DocumentWindow::closeButton),
      slot (&slotToShow),
      kind (InstrumentEditorFactory::describe (slotToShow.builtInType)),
      processor (&processorToUse)
{
    for (const auto& entry : processorToUse.instruments)
        if (entry.get() == slot)
            heldSlot = entry;

    juce::Component::SafePointer<InternalInstrumentWindow> self (this);
    auto editor = InstrumentEditorFactory::createEditor (processorToUse, slotToShow,
                                                         [self, dw = kind.designWidth, bh = kind.baseHeight]
                                                         {
                                                             if (self != nullptr)
                                                                 self->resizeKeepingAspect (dw, bh);
                                                         });

    const int designWidth = kind.designWidth;
    const int designHeight = InstrumentEditorFactory::designHeight (kind);

    // The native title bar first, so the window fits the editor's design size exactly.
    setUsingNativeTitleBar (true);
    setContentOwned (new InstrumentScalingWrapper (std::move (editor), designWidth, designHeight), true);

    // Always on top rather than attached to the main window: on Linux attaching to another
    // native window embeds this one inside it.

    const double ratio = (double)designWidth / (double)designHeight;
    constrainer.setFixedAspectRatio (ratio);

    const int remembered = rememberedWidths[(size_t)kind.rememberIndex];
    int width = remembered > rememberThreshold ? remembered
              : kind.hasKeyboardStrip        ? (int)(0.75 * designWidth)
                                             : designWidth;
    int height = heightAt (width, designWidth, designHeight);

    const auto area = userArea();
    if (! area.isEmpty())
    {
        if (width > area.getWidth() - displayMargin)
        {
            width = area.getWidth() - displayMargin;
            height = heightAt (width, designWidth, designHeight);
        }
        if (height > area.getHeight() - displayMargin)
        {
            height = area.getHeight() - displayMargin;
            width = widthAt (height, designWidth, designHeight);
        }
    }

    setLimits (designWidth, designHeight);
    setConstrainer (&constrainer);
    setResizable (true, true);

    if (! area.isEmpty())
        setBounds (area.withSizeKeepingCentre (width, height));
    else
        centreWithSize (width, height);

    constrainer.targetWindow = this;
    constrainer.preferredWidth = getWidth();
    constrainer.preferredHeight = getHeight();
    setAlwaysOnTop (true);
    setVisible (true);

    if (auto* shown = getEditor())
        shown->grabKeyboardFocus();

    if (heldSlot != nullptr)
        startTimer (slotCheckIntervalMs);
}

void InternalInstrumentWindow::timerCallback()
{
    if (processor != nullptr)
        for (const auto& entry : processor->instruments)
            if (entry == heldSlot)
                return;

    stopTimer();
    closeButtonPressed();
}

InternalInstrumentWindow::~InternalInstrumentWindow()
{
    stopTimer();
    // The editor goes before the slot it shows.
    clearContentComponent();
    heldSlot.reset();
}

void InternalInstrumentWindow::setLimits (int designWidth, int designHeight)
{
    const int minWidth = designWidth / 2;
    const int minHeight = heightAt (minWidth, designWidth, designHeight);
    int maxWidth = 2 * designWidth;
    int maxHeight = heightAt (maxWidth, designWidth, designHeight);

    const auto area = userArea();
    if (! area.isEmpty())
    {
        maxWidth = juce::jmin (maxWidth, area.getWidth());
        maxHeight = juce::jmin (maxHeight, area.getHeight());
    }

    constrainer.setSizeLimits (minWidth, minHeight, juce::jmax (minWidth, maxWidth), juce::jmax (minHeight, maxHeight));
}

InstrumentScalingWrapper* InternalInstrumentWindow::getWrapper() const
{
    return dynamic_cast<InstrumentScalingWrapper*> (getContentComponent());
}

juce::Component* InternalInstrumentWindow::getEditor() const
{
    auto* wrapper = getWrapper();
    return wrapper != nullptr ? wrapper->getContent() : nullptr;
}

void InternalInstrumentWindow::resized()
{
    juce::DocumentWindow::resized();

    if (getWidth() > rememberThreshold && isVisible() && ! isMinimised())
        rememberedWidths[(size_t)kind.rememberIndex] = getWidth();
}

void InternalInstrumentWindow::resizeKeepingAspect (int designWidth, int baseHeight)
{
    const int remembered = rememberedWidths[(size_t)kind.rememberIndex];
    int width = remembered > rememberThreshold ? remembered : getWidth();

    const int designHeight = baseHeight + (InstrumentUiState::keyboardShown ? InstrumentEditorFactory::keyboardStripHeight : 0);
    const double ratio = (double)designWidth / (double)designHeight;

    if (auto* wrapper = getWrapper())
        wrapper->setDesignSize (designWidth, designHeight);
    constrainer.setFixedAspectRatio (ratio);

    int height = heightAt (width, designWidth, designHeight);
    setLimits (designWidth, designHeight);

    const auto area = userArea();
    if (! area.isEmpty() && height > area.getHeight() - displayMargin)
    {
        height = area.getHeight() - displayMargin;
        width = widthAt (height, designWidth, designHeight);
    }

    auto bounds = getBounds().withSize (width, height);
    if (! area.isEmpty() && bounds.getBottom() > area.getBottom())
        bounds.setY (juce::jmax (area.getY(), area.getBottom() - height));

    // A later change of display refits the window at its new proportions.
    constrainer.preferredWidth = width;
    constrainer.preferredHeight = height;
    setBoundsConstrained (bounds);

    rememberedWidths[(size_t)kind.rememberIndex] = width;
}

bool InternalInstrumentWindow::keyPressed (const juce::KeyPress& key)
{
    return handleSecondaryWindowKey (key, *this);
}

void InternalInstrumentWindow::closeButtonPressed()
{
    delete this;
}
