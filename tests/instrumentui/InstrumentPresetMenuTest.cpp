#include "ui/instruments/InstrumentPresetMenu.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
struct MenuItem
{
    int id;
    juce::String text;
    bool ticked;

    bool operator== (const MenuItem& other) const { return id == other.id && text == other.text && ticked == other.ticked; }
};

std::ostream& operator<< (std::ostream& out, const MenuItem& item)
{
    return out << item.id << " " << item.text << (item.ticked ? " (ticked)" : "");
}

// A stand-in for an editor: one "cutoff" setting whose default is 1000.
struct PresetMenuTest : ::testing::Test
{
    TempDir user{"presetmenu"};
    juce::TextButton button{"Default"};
    juce::String presetName{"Default"};
    double cutoff = 440.0;
    int applied = 0;

    std::shared_ptr<InstrumentPresetMenu> makeMenu()
    {
        return std::make_shared<InstrumentPresetMenu> (
            &button, presetName, "MonoBass",
            [this]
            {
                auto xml = std::make_unique<juce::XmlElement> ("PRESET");
                xml->setAttribute ("cutoff", cutoff);
                return xml;
            },
            [this] (const juce::XmlElement& xml)
            {
                cutoff = xml.getDoubleAttribute ("cutoff", 1000.0);
                ++applied;
            },
            user.getFile());
    }

    juce::File folder() const { return user.getFile().getChildFile ("Presets/MonoBass"); }

    void writePreset (const juce::String& name, double value) const
    {
        folder().createDirectory();
        folder().getChildFile (name + ".xml").replaceWithText ("<PRESET cutoff=\"" + juce::String (value) + "\"/>");
    }

    static std::vector<MenuItem> items (const juce::PopupMenu& menu)
    {
        std::vector<MenuItem> result;
        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        {
            const auto& item = it.getItem();
            if (! item.isSeparator)
                result.push_back ({item.itemID, item.text, item.isTicked});
        }
        return result;
    }

    static void pump() { juce::MessageManager::getInstance()->runDispatchLoopUntil (30); }
};

TEST_F (PresetMenuTest, ListsTheFolderAndTicksTheCurrentPreset)
{
    writePreset ("bass", 80);
    writePreset ("Acid", 90);
    folder().getChildFile ("readme.txt").replaceWithText ("x");

    EXPECT_EQ (items (makeMenu()->buildMenu()),
               (std::vector<MenuItem>{{1, "Save Preset...", false}, {10, "Default", false}, {100, "Acid", false}, {101, "bass", false}}));

    presetName = "bass";
    EXPECT_EQ (items (makeMenu()->buildMenu()),
               (std::vector<MenuItem>{{1, "Save Preset...", false}, {2, "Delete Current Preset", false},
                                      {10, "Default", false}, {100, "Acid", false}, {101, "bass", true}}));

    presetName = "Bass"; // ticking is case-sensitive
    EXPECT_FALSE (items (makeMenu()->buildMenu()).back().ticked);
}

TEST_F (PresetMenuTest, ChoicesLoadResetAndDelete)
{
    writePreset ("Acid", 90);
    writePreset ("Gone", 70);
    auto menu = makeMenu();
    menu->buildMenu();

    menu->handlePresetMenuChoice (100);
    EXPECT_EQ (cutoff, 90.0);
    EXPECT_EQ (presetName, "Acid");
    EXPECT_EQ (button.getButtonText(), "Acid");

    // A file deleted since the menu opened changes nothing.
    folder().getChildFile ("Gone.xml").deleteFile();
    menu->handlePresetMenuChoice (101);
    EXPECT_EQ (presetName, "Acid");
    EXPECT_EQ (cutoff, 90.0);

    for (int unlisted : {0, 3, 102, 99, -1})
        menu->handlePresetMenuChoice (unlisted);
    EXPECT_EQ (applied, 1);

    // Delete removes the file and the name, not the sound.
    menu->handlePresetMenuChoice (2);
    EXPECT_FALSE (folder().getChildFile ("Acid.xml").exists());
    EXPECT_EQ (presetName, "Default");
    EXPECT_EQ (button.getButtonText(), "Default");
    EXPECT_EQ (cutoff, 90.0);

    // "Default" applies an empty element: every setting to its default, no file read.
    menu->handlePresetMenuChoice (10);
    EXPECT_EQ (cutoff, 1000.0);
    EXPECT_EQ (presetName, "Default");
}

TEST_F (PresetMenuTest, AReelsPresetNameCannotDeleteOutsideTheFolder)
{
    const auto victim = user.getFile().getChildFile ("Presets/PolySynth/Victim.xml");
    victim.getParentDirectory().createDirectory();
    victim.replaceWithText ("<PRESET/>");

    presetName = "../PolySynth/Victim";
    auto menu = makeMenu();
    menu->buildMenu();
    menu->handlePresetMenuChoice (2);

    EXPECT_TRUE (victim.existsAsFile());
    EXPECT_EQ (presetName, "Default");
}

TEST_F (PresetMenuTest, NothingHappensOnceTheButtonIsGone)
{
    writePreset ("Acid", 90);
    auto button2 = std::make_unique<juce::TextButton> ("Default");
    auto menu = std::make_shared<InstrumentPresetMenu> (
        button2.get(), presetName, "MonoBass", [] { return std::make_unique<juce::XmlElement> ("PRESET"); },
        [this] (const juce::XmlElement&) { ++applied; }, user.getFile());
    menu->buildMenu();
    button2.reset();

    for (int choice : {1, 2, 10, 100})
        menu->handlePresetMenuChoice (choice);

    EXPECT_EQ (applied, 0);
    EXPECT_EQ (presetName, "Default");
    EXPECT_TRUE (folder().getChildFile ("Acid.xml").existsAsFile());
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
}

TEST_F (PresetMenuTest, SaveDialogSavesTheTrimmedNameOnReturn)
{
    auto menu = makeMenu();
    auto* dialog = menu->openSaveDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getName(), "Save Preset");
    EXPECT_EQ (dialog->getProperties()["bodyText"].toString(), "Enter a name for this preset:");
    EXPECT_EQ (dialog->getTextEditorContents ("name"), "My Preset");
    EXPECT_TRUE (dialog->isAlwaysOnTop());
    EXPECT_TRUE (dialog->isCurrentlyModal());

    dialog->getTextEditor ("name")->setText ("  Night Lead \t");
    cutoff = 1234.5;
    juce::Component::SafePointer<juce::Component> watch (dialog);
    EXPECT_TRUE (static_cast<juce::Component*> (dialog)->keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    pump();

    EXPECT_EQ (watch, nullptr) << "the dialog deletes itself when closed";
    EXPECT_EQ (presetName, "Night Lead");
    EXPECT_EQ (button.getButtonText(), "Night Lead");
    const auto text = folder().getChildFile ("Night Lead.xml").loadFileAsString();
    EXPECT_TRUE (text.contains ("cutoff=\"1234.5\"")) << text;

    // The next dialog offers the current name; Escape saves nothing.
    dialog = menu->openSaveDialog();
    EXPECT_EQ (dialog->getTextEditorContents ("name"), "Night Lead");
    dialog->getTextEditor ("name")->setText ("Other");
    EXPECT_TRUE (static_cast<juce::Component*> (dialog)->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    pump();
    EXPECT_FALSE (folder().getChildFile ("Other.xml").exists());
    EXPECT_EQ (presetName, "Night Lead");
}

TEST_F (PresetMenuTest, AFailedSaveIsReportedAndKeepsTheCurrentName)
{
    presetName = "Acid";
    auto menu = makeMenu();

    for (const char* typed : {"../../escape", "a/b", "Blocked"})
    {
        SCOPED_TRACE (typed);
        folder().getChildFile ("Blocked.xml").createDirectory();

        auto* dialog = menu->openSaveDialog();
        dialog->getTextEditor ("name")->setText (typed);
        dialog->exitModalState (1);
        pump();

        EXPECT_EQ (presetName, "Acid");
        EXPECT_EQ (button.getButtonText(), "Default");
        auto* box = menu->getFailureBox();
        ASSERT_NE (box, nullptr);
        EXPECT_TRUE (box->getProperties()["bodyText"].toString().contains ("could not be saved"));
        box->exitModalState (1);
        pump();
        EXPECT_EQ (menu->getFailureBox(), nullptr);
    }

    EXPECT_FALSE (user.getFile().getChildFile ("escape.xml").exists());
    EXPECT_FALSE (user.getFile().getChildFile ("Presets/escape.xml").exists());

    // An empty name saves nothing and says nothing.
    auto* dialog = menu->openSaveDialog();
    dialog->getTextEditor ("name")->setText ("   ");
    dialog->exitModalState (1);
    pump();
    EXPECT_EQ (menu->getFailureBox(), nullptr);
    EXPECT_EQ (presetName, "Acid");
}
} // namespace

TEST_F (PresetMenuTest, TheMenuOpensAtTheButtonAndAChoiceReachesTheEditor)
{
    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        GTEST_SKIP() << "no display";

    writePreset ("Acid", 90);
    const Platform::ScopedFolderOverride folders (user.getFile(), user.getFile());
    button.setBounds (300, 200, 130, 20);
    button.addToDesktop (0);
    button.setVisible (true);

    const auto desktopCount = juce::Desktop::getInstance().getNumComponents();
    showInstrumentPresetMenu (&button, presetName, "MonoBass",
                              [] { return std::make_unique<juce::XmlElement> ("PRESET"); },
                              [this] (const juce::XmlElement& xml)
                              {
                                  cutoff = xml.getDoubleAttribute ("cutoff", 1000.0);
                                  ++applied;
                              });
    EXPECT_EQ (applied, 0) << "returns before anything is chosen";

    // Looked at at once: other test processes share the display, and a menu of a process
    // without the focus closes at its next tick.
    juce::Component* menuWindow = nullptr;
    for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
        if (auto* c = juce::Desktop::getInstance().getComponent (i); c != &button && c->isVisible())
            menuWindow = c;
    ASSERT_GT (juce::Desktop::getInstance().getNumComponents(), desktopCount);
    ASSERT_NE (menuWindow, nullptr);
    EXPECT_GE (menuWindow->getY(), button.getBottom() - 1) << "shown under the button";

    // Down to "Acid" (past "Save Preset..." and "Default") and Return.
    for (int i = 0; i < 3; ++i)
        menuWindow->keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    menuWindow->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);

    EXPECT_EQ (applied, 1);
    EXPECT_EQ (cutoff, 90.0);
    EXPECT_EQ (presetName, "Acid");
    EXPECT_EQ (button.getButtonText(), "Acid");
    button.removeFromDesktop();
}
