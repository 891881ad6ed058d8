#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "instruments/TannerinEngine.h"
#include "tests/rackui/RackUiTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace TannerinTest
{
inline std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> makeSlideSlot()
{
    auto slot = makeInstrumentPlugin();
    slot->builtInType = 4;
    slot->name = "Velmora Lirvando";
    slot->createEngine (44100.0);
    return slot;
}

/** The physical keyboard as the tests hold it. */
struct FakeKeys
{
    std::set<int> down;
    bool operator() (int code) const { return down.count (code) > 0; }
};

inline const juce::KeyPress space{juce::KeyPress::spaceKey};

/** A press and a release with the mouse, as the framework delivers them. */
inline void click (juce::Component& c, bool release = true)
{
    const auto centre = c.getLocalBounds().getCentre().toFloat();
    c.mouseDown (RackUiTest::mouseEventAt (c, centre, juce::ModifierKeys::leftButtonModifier));
    if (release)
        c.mouseUp (RackUiTest::mouseEventAt (c, centre));
}
} // namespace TannerinTest
