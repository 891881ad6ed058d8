#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The separate windows the program itself created and may delete: insert, plug-in, effect,
    instrument and tool windows. Closing "all secondary windows" deletes only these, never a
    popup menu, call-out, alert or a window some other object owns, which would then be deleted
    twice or mid-use. Message thread only. */
class ProgramWindows
{
public:
    /** A window holds one as a member: registered while the member lives. */
    class Registration
    {
    public:
        explicit Registration (juce::Component& window);
        ~Registration();

    private:
        juce::Component& window;
        JUCE_DECLARE_NON_COPYABLE (Registration)
    };

    static void add (juce::Component& window);
    static void remove (juce::Component& window);
    static bool contains (const juce::Component* window);

    /** Hides and deletes every registered window that is on the desktop, last opened first,
        except keep (the caller's own top-level window). Returns how many went. */
    static int closeAll (const juce::Component* keep);

private:
    static juce::Array<juce::Component*>& windows();
};
