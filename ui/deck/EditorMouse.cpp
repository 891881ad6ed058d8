// The painted machine as a touchable one: reels spun by hand scrub the tape, the tension arm is
// pulled, a double press on the reel area reverses the tape, a right press there drops the dust
// cover, and a right press on MIDI LEARN offers to clear the MIDI map. A press also closes the
// insert windows, overlays and master insert window it lands outside of.

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/deck/DeckLayout.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <cmath>

namespace
{
constexpr float pi = 3.1415927f;
constexpr float twoPi = 6.2831855f;
constexpr float hubY = 160.0f;
constexpr float hubReach = 90.0f;
constexpr float reelHubOffset = 185.0f;
constexpr float armPivotOffset = 245.0f;
constexpr float armPivotY = 235.0f;

/** The head-block centre in deck space: the minimal deck sits 100 units further right. */
float deckMid (bool minimal)
{
    return minimal ? 1240.0f : 1140.0f;
}

/** An editor position in deck space (design units, origin at the machine's corner). */
juce::Point<float> toDeckPoint (juce::Point<float> editorPosition, int width, int height)
{
    const auto fit = DeckLayout::fitInto (width, height);
    return {(editorPosition.x - fit.offsetX) / fit.scale - 102.0f, (editorPosition.y - fit.offsetY) / fit.scale - 65.0f};
}

bool inReelArea (juce::Point<float> p, float mid)
{
    return p.x >= mid - 340.0f && p.x < mid + 320.0f && p.y >= 20.0f && p.y < 340.0f;
}

/** Removes and deletes the overlay with the ID when the press lies outside it; true when it did. */
bool closeOverlayPressedOutside (juce::Component& deckPanel, const char* id, juce::Point<int> screenPosition)
{
    auto* overlay = deckPanel.findChildWithID (id);
    if (overlay == nullptr || overlay->getScreenBounds().contains (screenPosition))
        return false;

    deckPanel.removeChildComponent (overlay);
    delete overlay;
    return true;
}
} // namespace

void TavrelDelayAudioProcessorEditor::mouseDown (const juce::MouseEvent& event)
{
    const auto e = event.getEventRelativeTo (this);
    const auto screenPosition = e.getScreenPosition();

    if (console != nullptr)
        console->closeInsertWindowsOutside (screenPosition);

    if (event.eventComponent == &midiLearnButton && e.mods.isPopupMenu())
    {
        juce::PopupMenu menu;
        menu.addSectionHeader ("MIDI Learn");
        menu.addItem (1, "Clear All MIDI Mappings");

        juce::Component::SafePointer<TavrelDelayAudioProcessorEditor> safeThis (this);
        menu.showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                            [safeThis] (int result)
                            {
                                if (safeThis == nullptr || result != 1)
                                    return;
                                FlowDialog::ask ("Clear MIDI Map", "Are you sure you want to clear all learned MIDI assignments?",
                                                 2, "Clear", &safeThis->getEditorLook(),
                                                 [safeThis]
                                                 {
                                                     if (safeThis != nullptr)
                                                         safeThis->audioProcessor.clearMidiMap();
                                                 });
                            });
        return;
    }

    if (closeOverlayPressedOutside (deckPanel, EditorIds::settingsPanel, screenPosition)
        || closeOverlayPressedOutside (deckPanel, EditorIds::exportOverlay, screenPosition))
        return;

    if (auto* masterWindow = masterInsertWindow.getComponent())
    {
        if (! masterWindow->getScreenBounds().contains (screenPosition)
            && ! masterFxButton.getScreenBounds().contains (screenPosition))
        {
            delete masterWindow;
            masterInsertWindow = nullptr;
        }
    }

    const float mid = deckMid (useModernUI);
    const auto point = toDeckPoint (e.position, getWidth(), getHeight());
    const juce::uint32 now = millisecondClock ? millisecondClock() : juce::Time::getMillisecondCounter();
    const juce::uint32 sincePrevious = now - lastPressTime;
    lastPressTime = now;

    if (e.mods.isPopupMenu() && inReelArea (point, mid))
    {
        if (dustCover != nullptr)
            dustCover->drop();
        return;
    }

    if (e.mods.isLeftButtonDown() && sincePrevious < 400u && inReelArea (point, mid))
    {
        // A double press reverses the tape; a third press starts counting anew.
        lastPressTime = 0;
        if (auto* reverse = audioProcessor.parameters.getParameter (ParameterIds::REVERSE))
            setParameterNotifying (ParameterIds::REVERSE, reverse->getValue() < 0.5f ? 1.0f : 0.0f);
        repaint();
        return;
    }

    for (int reel = 0; reel < 2; ++reel)
    {
        const float hubX = reel == 0 ? mid - reelHubOffset : mid + reelHubOffset;
        if (std::hypot (point.x - hubX, point.y - hubY) < hubReach)
        {
            grabbedReel = reel;
            lastGrabAngle = std::atan2 (point.y - hubY, point.x - hubX);
            audioProcessor.reelHeld = true;
            audioProcessor.setTransportState (TavrelDelayAudioProcessor::transportScrub);
            return;
        }
    }

    // The arm, as a band 40 either side of its axis, from 30 behind the pivot to 120 along it.
    const float dx = point.x - (mid - armPivotOffset);
    const float dy = point.y - armPivotY;
    const float turn = -((float) audioProcessor.tapeMechanics.armAngle + 0.5f);
    const float along = std::cos (turn) * dy + std::sin (turn) * dx;
    const float across = std::cos (turn) * dx - std::sin (turn) * dy;
    if (std::abs (across) < 40.0f && along > -30.0f && along < 120.0f)
    {
        armGrabbed = true;
        setParameterNotifying (ParameterIds::ARM_GRAB, 1.0f);
    }
}

void TavrelDelayAudioProcessorEditor::mouseDrag (const juce::MouseEvent& event)
{
    const auto e = event.getEventRelativeTo (this);
    const float mid = deckMid (useModernUI);
    const auto point = toDeckPoint (e.position, getWidth(), getHeight());

    if (grabbedReel >= 0)
    {
        const float hubX = grabbedReel == 0 ? mid - reelHubOffset : mid + reelHubOffset;
        const float angle = std::atan2 (point.y - hubY, point.x - hubX);
        float turned = angle - lastGrabAngle;
        if (turned > pi)
            turned -= twoPi;
        if (turned < -pi)
            turned += twoPi;
        audioProcessor.scrubSpeed = -turned * 40.0f;
        lastGrabAngle = angle;
        return;
    }

    if (armGrabbed)
    {
        const float pull = juce::jlimit (-0.6f, 0.6f, ((mid - armPivotOffset) - point.x) * 0.0025f);
        setParameterNotifying (ParameterIds::ARM_ANGLE, (pull + 0.6f) / 1.2f);
    }
}

void TavrelDelayAudioProcessorEditor::mouseUp (const juce::MouseEvent&)
{
    if (grabbedReel >= 0)
    {
        grabbedReel = -1;
        audioProcessor.reelHeld = false;
        audioProcessor.scrubSpeed = 0.0f;
        audioProcessor.setTransportState (TavrelDelayAudioProcessor::transportStop);
    }

    if (armGrabbed)
    {
        armGrabbed = false;
        setParameterNotifying (ParameterIds::ARM_GRAB, 0.0f);
    }
}
