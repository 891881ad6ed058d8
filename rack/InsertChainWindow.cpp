#include "rack/InsertChainWindow.h"

#include "engine/ProcessingHold.h"
#include "rack/FocusNextTopLevelWindow.h"
#include "rack/InternalEffectWindow.h"
#include "rack/PluginLibraryMenu.h"
#include "rack/PluginManagerResult.h"
#include "rack/RackIds.h"
#include "rack/SlotEditorWindows.h"
#include "ui/looks/ModernLookAndFeel.h"

InsertChainWindow::InsertChainWindow (TavrelDelayAudioProcessor& processorToUse, const juce::String& title,
                                      std::vector<std::shared_ptr<InsertPlugin>>& chainToEdit, int track)
    : juce::DocumentWindow (title,
                            juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                            juce::DocumentWindow::closeButton, true),
      processor (processorToUse),
      chainList (chainToEdit),
      shownTrack (track)
{
    setUsingNativeTitleBar (true);
    setResizable (false, false);
    setSize (windowWidth, windowHeight);

    // Always on top rather than attached to the main window: on Linux attaching to another
    // native window embeds this one inside it.
    setVisible (true);
    centreWithSize (windowWidth, windowHeight);

    setConstrainer (&constrainer);
    constrainer.targetWindow = this;
    constrainer.preferredWidth = windowWidth;
    constrainer.preferredHeight = windowHeight;
    setBounds (getBounds());

    setAlwaysOnTop (true);
    startTimer (repaintMs);
}

InsertChainWindow::~InsertChainWindow()
{
    stopTimer();
}

//==============================================================================
int InsertChainWindow::slotIndexAt (int y)
{
    if (y < firstSlotY)
        return -1;

    const int k = (y - firstSlotY) / slotPitch;
    return k < numSlots ? k : -1;
}

juce::Array<int> InsertChainWindow::shownPositions() const
{
    juce::Array<int> positions;
    const auto& list = chain();

    for (int i = 0; i < (int) list.size(); ++i)
        if (list[(size_t) i] != nullptr && shows (*list[(size_t) i]))
            positions.add (i);

    return positions;
}

std::shared_ptr<InsertChainWindow::InsertPlugin> InsertChainWindow::insertInSlot (int k) const
{
    const auto positions = shownPositions();
    if (k < 0 || k >= numSlots || k >= positions.size())
        return nullptr;
    return chain()[(size_t) positions[k]];
}

//==============================================================================
juce::PopupMenu InsertChainWindow::buildPluginLibraryMenu() const
{
    juce::PopupMenu menu;
    menu.addSectionHeader (RackIds::libraryHeader);
    menu.addItem (RackIds::windowScanId, RackIds::scanManage);
    menu.addSeparator();
    menu.addSectionHeader (RackIds::builtInEffectsHeader);
    for (const auto& item : RackIds::effectItems)
        menu.addItem (item.id, item.text);
    menu.addSeparator();

    PluginLibraryMenu::addMakerMenus (menu, processor.knownPluginList.getTypes(), false, RackIds::firstPluginId, {});
    return menu;
}

void InsertChainWindow::showPluginLibraryMenu()
{
    juce::Component::SafePointer<InsertChainWindow> window (this);
    buildPluginLibraryMenu().showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                                            [window] (int result)
                                            {
                                                if (auto* self = window.getComponent())
                                                    self->handlePluginLibraryChoice (result);
                                            });
}

void InsertChainWindow::handlePluginLibraryChoice (int result)
{
    if (result <= 0)
        return;

    if (result == RackIds::windowScanId)
    {
        PluginManagerResult::openManager (processor);
        return;
    }

    if (result >= RackIds::firstEffectId && result <= RackIds::lastEffectId)
    {
        addBuiltInEffect (result - RackIds::firstEffectId + 1);
        repaint();

        const auto& list = chain();
        if (! list.empty() && list.back() != nullptr && list.back()->builtInType != 0)
            openSlotEditor (list.back());
        return;
    }

    if (result < RackIds::firstPluginId)
        return;

    const auto types = processor.knownPluginList.getTypes();
    const int k = result - RackIds::firstPluginId;
    if (k >= types.size())
        return;

    // The editor that opens is the one of the plug-in this request added, when it arrives,
    // whatever else reached the chain meanwhile.
    addPlugin (types.getReference (k),
               [weak = juce::WeakReference<TavrelDelayAudioProcessor> (&processor)] (std::shared_ptr<InsertPlugin> slot)
               {
                   if (auto* p = weak.get(); p != nullptr && slot != nullptr && slot->instance != nullptr)
                   {
                       const auto id = SlotEditorWindows::windowId (slot.get());
                       if (! SlotEditorWindows::bringToFront (id))
                           SlotEditorWindows::openHostedEditor (*p, slot->instance.get(), id);
                   }
               });
    repaint();
}

void InsertChainWindow::applyPluginManagerResult (const juce::StringArray& filesToScan,
                                                  const juce::StringArray& filesToForget)
{
    PluginManagerResult::apply (processor, filesToScan, filesToForget);
}

//==============================================================================
juce::PopupMenu InsertChainWindow::buildSlotMenu (int index) const
{
    juce::PopupMenu menu;
    const auto& list = chain();
    if (index < 0 || index >= (int) list.size() || list[(size_t) index] == nullptr)
        return menu;

    menu.addItem (RackIds::bypassId, list[(size_t) index]->bypass ? "Unbypass" : "Bypass");
    menu.addItem (RackIds::openEditorId, "Open Editor");
    menu.addSeparator();
    menu.addItem (RackIds::removeId, "Remove Plugin");
    return menu;
}

void InsertChainWindow::showSlotMenu (int index)
{
    if (index < 0 || index >= (int) chain().size())
        return;

    juce::Component::SafePointer<InsertChainWindow> window (this);
    buildSlotMenu (index).showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                                         [window, index] (int result)
                                         {
                                             if (auto* self = window.getComponent())
                                                 self->handleSlotMenuChoice (index, result);
                                         });
}

void InsertChainWindow::handleSlotMenuChoice (int index, int result)
{
    lastSlotMenuTime = juce::Time::getMillisecondCounter();

    auto& list = chain();
    if (index < 0 || index >= (int) list.size() || list[(size_t) index] == nullptr)
        return;

    const auto slot = list[(size_t) index];

    if (result == RackIds::bypassId)
    {
        slot->bypass = ! slot->bypass;
        processor.unsavedChanges = true; // the bypass is kept with the reel
    }
    else if (result == RackIds::openEditorId)
    {
        openSlotEditor (slot);
    }
    else if (result == RackIds::removeId)
    {
        // Its editor goes first: the slot's plug-in or settings go with the slot.
        SlotEditorWindows::closeAll (SlotEditorWindows::windowId (slot.get()));
        removeInsert (index);
    }

    repaint();
}

void InsertChainWindow::openSlotEditor (const std::shared_ptr<InsertPlugin>& slot)
{
    const auto id = SlotEditorWindows::windowId (slot.get());
    if (SlotEditorWindows::bringToFront (id))
        return;

    if (slot->builtInType != 0)
    {
        auto* window = new InternalEffectWindow (processor, slot->builtInType, slot.get());
        window->setComponentID (id);
        return;
    }

    SlotEditorWindows::openHostedEditor (processor, slot->instance.get(), id);
}

//==============================================================================
void InsertChainWindow::dropSlot (int from, int to)
{
    if (to < 0 || to == from)
        return;

    const auto positions = shownPositions();
    const bool fromHolds = from >= 0 && from < positions.size();
    const bool toHolds = to < positions.size();

    if (! toHolds)
    {
        droppedOntoEmptySlot();
        repaint();
        return;
    }

    processor.unsavedChanges = true;

    if (fromHolds)
    {
        auto& list = chain();
        const ProcessingHold hold (processor);
        const juce::ScopedLock lock (processor.audioLock);
        std::swap (list[(size_t) positions[from]], list[(size_t) positions[to]]);
    }

    repaint();
}

bool InsertChainWindow::isInterestedInDragSource (const SourceDetails& details)
{
    return details.description.toString() == dragDescription();
}

void InsertChainWindow::itemDragEnter (const SourceDetails&)
{
    repaint();
}

void InsertChainWindow::itemDragExit (const SourceDetails&)
{
    repaint();
}

void InsertChainWindow::itemDropped (const SourceDetails& details)
{
    auto* source = details.sourceComponent.get();
    if (source == nullptr)
        return;

    const int from = (int) source->getProperties().getWithDefault (RackIds::slotIndexProperty, 0);
    dropSlot (from, slotIndexAt (details.localPosition.y));
}

//==============================================================================
void InsertChainWindow::mouseDown (const juce::MouseEvent& e)
{
    const int k = slotIndexAt (e.y);

    if (k >= 0)
    {
        if (k == shownPositions().size())
            showPluginLibraryMenu();
        return;
    }

    dragger.startDraggingComponent (this, e);
}

void InsertChainWindow::mouseDrag (const juce::MouseEvent& e)
{
    if (! e.mouseWasDraggedSinceMouseDown() || isDragAndDropActive())
        return;

    const int k = slotIndexAt (e.getMouseDownPosition().roundToInt().y);

    if (k < 0)
    {
        dragger.dragComponent (this, e, nullptr);
        return;
    }

    const auto slot = insertInSlot (k);
    if (slot == nullptr)
        return;

    getProperties().set (RackIds::slotIndexProperty, k);

    const int w = juce::jmax (1, getWidth() - 20);
    juce::Image image (juce::Image::ARGB, w, slotHeight, true);
    {
        juce::Graphics g (image);
        g.setColour (juce::Colour (0xff90ee90).withAlpha ((juce::uint8) 128));
        g.fillRoundedRectangle (image.getBounds().toFloat(), 4.0f);
        g.setColour (juce::Colours::white);
        g.setFont (14.0f);
        g.drawText (slot->name, image.getBounds(), juce::Justification::centred, true);
    }

    startDragging (dragDescription(), this, juce::ScaledImage (image), false);
}

void InsertChainWindow::mouseUp (const juce::MouseEvent& e)
{
    if (e.mouseWasDraggedSinceMouseDown())
        return;

    if (juce::Time::getMillisecondCounter() - lastSlotMenuTime < menuClickGuardMs)
        return;

    const auto positions = shownPositions();
    const int k = slotIndexAt (e.y);
    if (k >= 0 && k < positions.size())
        showSlotMenu (positions[k]);
}

int InsertChainWindow::hoverSlot() const
{
    if (! isDragAndDropActive())
        return -1;
    return slotIndexAt (getMouseXYRelative().y);
}

void InsertChainWindow::paint (juce::Graphics& g)
{
    const int W = getWidth();
    auto* modern = ModernLookAndFeel::getDefault();
    const bool light = modern != nullptr && ! modern->isDark();
    const auto text = light ? juce::Colour (0xff000000) : juce::Colour (0xffffffff);

    g.fillAll (light ? juce::Colour (0xfff8f9fa) : modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour (0xff222222));

    g.setColour (text);
    g.setFont (juce::Font ("sans-serif", 16.0f, juce::Font::bold));
    g.drawText (getName(), 0, 0, W, 40, juce::Justification::centred, true);

    g.setColour (text.withAlpha ((juce::uint8) 26));
    g.fillRect (10, 40, W - 20, 1);

    g.setFont (juce::Font ("sans-serif", 14.0f, juce::Font::bold));

    const int hover = hoverSlot();
    const auto positions = shownPositions();
    const auto& list = chain();

    for (int k = 0; k < numSlots; ++k)
    {
        const int y = firstSlotY + slotPitch * k;
        const juce::Rectangle<float> body (10.0f, (float) y, (float) (W - 20), (float) slotHeight);

        g.setColour (modern == nullptr ? juce::Colour (0xff151515) : light ? juce::Colour (0xffffffff) : juce::Colour (0xff1a1a1a));
        g.fillRoundedRectangle (body, 4.0f);

        if (k == hover)
        {
            g.setColour (juce::Colour (0xffffa500).withAlpha ((juce::uint8) 76));
            g.drawRoundedRectangle (body, 4.0f, 2.0f);
        }
        else
        {
            g.setColour (modern == nullptr ? juce::Colour (0xff808080) : light ? juce::Colour (0xffbdc3c7) : juce::Colour (0xff444444));
            g.drawRoundedRectangle (body, 4.0f, 1.0f);
        }

        if (k < positions.size() && list[(size_t) positions[k]] != nullptr)
        {
            const auto& slot = *list[(size_t) positions[k]];
            g.setColour (slot.bypass ? juce::Colour (0xffff0000).withAlpha ((juce::uint8) 128)
                                     : juce::Colour (0xff90ee90).withAlpha ((juce::uint8) 51));
            g.fillRoundedRectangle (12.0f, (float) y + 2.0f, (float) juce::jmax (0, W - 24), 31.0f, 3.0f);

            g.setColour (slot.bypass ? juce::Colour (0xff808080) : text);
            g.drawText (slot.name, 20, y, juce::jmax (0, W - 40), slotHeight, juce::Justification::centredLeft, true);
            g.setFont (12.0f);
            g.drawText (slot.bypass ? "[BYP]" : "[ON]", 15, y, juce::jmax (0, W - 30), slotHeight,
                        juce::Justification::centredRight, false);
            g.setFont (14.0f);
        }
        else
        {
            g.setColour (juce::Colour (0xff808080));
            g.drawText (RackIds::addInsert, body, juce::Justification::centred, true);
        }
    }
}

bool InsertChainWindow::keyPressed (const juce::KeyPress& key)
{
    return handleSecondaryWindowKey (key, *this);
}

void InsertChainWindow::closeButtonPressed()
{
    delete this;
}

void InsertChainWindow::timerCallback()
{
    repaint();
}
