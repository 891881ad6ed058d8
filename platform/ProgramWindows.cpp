#include "platform/ProgramWindows.h"

juce::Array<juce::Component*>& ProgramWindows::windows()
{
    static juce::Array<juce::Component*> registered;
    return registered;
}

ProgramWindows::Registration::Registration (juce::Component& windowToRegister) : window (windowToRegister)
{
    add (window);
}

ProgramWindows::Registration::~Registration()
{
    remove (window);
}

void ProgramWindows::add (juce::Component& window)
{
    JUCE_ASSERT_MESSAGE_THREAD
    windows().addIfNotAlreadyThere (&window);
}

void ProgramWindows::remove (juce::Component& window)
{
    JUCE_ASSERT_MESSAGE_THREAD
    windows().removeAllInstancesOf (&window);
}

bool ProgramWindows::contains (const juce::Component* window)
{
    return window != nullptr && windows().contains (const_cast<juce::Component*> (window));
}

int ProgramWindows::closeAll (const juce::Component* keep)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto& desktop = juce::Desktop::getInstance();
    int closed = 0;

    // Deleting one window may close others (a window that owns child windows): look again at
    // the desktop after every deletion.
    for (bool again = true; again;)
    {
        again = false;
        for (int i = desktop.getNumComponents(); --i >= 0;)
        {
            auto* window = desktop.getComponent (i);
            if (window == nullptr || window == keep || ! contains (window))
                continue;

            remove (*window);
            window->setVisible (false);
            delete window;
            ++closed;
            again = true;
            break;
        }
    }

    return closed;
}
