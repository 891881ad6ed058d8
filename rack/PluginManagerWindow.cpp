#include "rack/PluginManagerWindow.h"

#include "rack/FocusNextTopLevelWindow.h"

namespace
{
constexpr int defaultWidth = 550;
constexpr int defaultHeight = 650;

int lastSeparator (const juce::String& path)
{
    return juce::jmax (path.lastIndexOfChar ('/'), path.lastIndexOfChar ('\\'));
}

/** The name of the folder holding the file: the text between the last two separators. */
juce::String folderNameOf (const juce::String& path)
{
    const int last = lastSeparator (path);
    if (last < 0)
        return path;
    const auto parent = path.substring (0, last);
    return parent.substring (lastSeparator (parent) + 1);
}

bool matches (const juce::PluginDescription& d, const PluginManagerEntry& entry, const juce::String& fileName)
{
    if (d.fileOrIdentifier == entry.path)
        return true;
    if (entry.format == "AU")
        return d.pluginFormatName == "AudioUnit" && d.name == entry.name;
    return d.fileOrIdentifier.endsWithIgnoreCase (fileName);
}
} // namespace

std::vector<PluginManagerEntry> PluginManagerWindow::buildEntries (const juce::StringArray& discoveredFiles,
                                                                   const juce::KnownPluginList* list)
{
    const auto known = list != nullptr ? list->getTypes() : juce::Array<juce::PluginDescription>();
    std::vector<PluginManagerEntry> result;

    for (const auto& path : discoveredFiles)
    {
        PluginManagerEntry entry;
        entry.path = path;
        const auto fileName = path.substring (lastSeparator (path) + 1);
        entry.name = fileName.containsChar ('.') ? fileName.upToLastOccurrenceOf (".", false, false) : fileName;
        entry.manufacturer = folderNameOf (path);
        entry.format = path.endsWithIgnoreCase (".component") ? "AU" : "VST3";

        for (const auto& d : known)
        {
            if (! matches (d, entry, fileName))
                continue;
            entry.isKnown = true;
            entry.knownPath = d.fileOrIdentifier;
            entry.manufacturer = d.manufacturerName;
            entry.name = d.name;
            break;
        }
        result.push_back (entry);
    }

    // Known plug-ins whose file was not found this time: listed so they can be forgotten.
    for (const auto& d : known)
    {
        const bool referred = std::any_of (result.begin(), result.end(), [&d] (const PluginManagerEntry& e) {
            return e.knownPath == d.fileOrIdentifier || e.path == d.fileOrIdentifier;
        });
        if (referred)
            continue;

        PluginManagerEntry entry;
        entry.path = d.fileOrIdentifier;
        entry.knownPath = d.fileOrIdentifier;
        entry.name = d.name + " (Missing)";
        entry.format = d.pluginFormatName == "AudioUnit" ? "AU" : "VST3";
        entry.manufacturer = d.manufacturerName.isNotEmpty() ? d.manufacturerName : juce::String ("Unknown Manufacturer");
        entry.isKnown = true;
        result.push_back (entry);
    }
    return result;
}

PluginManagerWindow::PluginManagerWindow (const juce::StringArray& discoveredFiles, juce::KnownPluginList* list,
                                          DoneCallback doneCallback)
    : juce::DocumentWindow ("Plugin Manager",
                            juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                            juce::DocumentWindow::closeButton),
      entries (buildEntries (discoveredFiles, list)),
      viewport (std::make_unique<juce::Viewport>()),
      listContent (std::make_unique<juce::Component>()),
      onDone (std::move (doneCallback))
{
    setUsingNativeTitleBar (true);
    setResizable (true, false);
    setContentNonOwned (&content, false);

    searchBox.setTextToShowWhenEmpty ("Search Plugins...", juce::Colour (0xff808080));
    searchBox.onTextChange = [this] { applyFilter(); };
    content.addAndMakeVisible (searchBox);

    scanButton.setButtonText ("Scan / Update Selected");
    const auto green = juce::Colour (0xff008000);
    scanButton.setColour (juce::TextButton::buttonColourId,
                          juce::Colour ((juce::uint8)(green.getRed() * 2 / 3), (juce::uint8)(green.getGreen() * 2 / 3),
                                        (juce::uint8)(green.getBlue() * 2 / 3), green.getAlpha()));
    scanButton.onClick = [this] { applySelection(); };
    content.addAndMakeVisible (scanButton);

    allButton.setButtonText ("All");
    allButton.onClick = [this] {
        for (auto& entry : entries)
            entry.selected = entry.visible;
        listContent->repaint();
    };
    content.addAndMakeVisible (allButton);

    noneButton.setButtonText ("None");
    noneButton.onClick = [this] {
        for (auto& entry : entries)
            if (entry.visible)
                entry.selected = false;
        listContent->repaint();
    };
    content.addAndMakeVisible (noneButton);

    for (auto* toggle : {&vst3Toggle, &auToggle})
    {
        toggle->setButtonText (toggle == &vst3Toggle ? "VST3" : "AU");
        toggle->setClickingTogglesState (true);
        toggle->setToggleState (true, juce::dontSendNotification);
        toggle->onClick = [this] { applyFilter(); };
        content.addAndMakeVisible (*toggle);
    }

    viewport->setScrollBarsShown (true, false);
    viewport->setViewedComponent (listContent.get(), false);
    content.addAndMakeVisible (*viewport);

    setContentComponentSize (defaultWidth, defaultHeight);
    rebuildRows();

    // Always on top rather than attached to the main window: on Linux attaching to another
    // native window embeds this one inside it.
    setConstrainer (&constrainer);
    constrainer.targetWindow = this;
    constrainer.preferredWidth = getWidth();
    constrainer.preferredHeight = getHeight();
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
        centreWithSize (getWidth(), getHeight());
    setAlwaysOnTop (true);
    setVisible (true);
}

PluginManagerWindow::~PluginManagerWindow()
{
    rows.clear();
    viewport->setViewedComponent (nullptr, false);
    clearContentComponent();
}

void PluginManagerWindow::applyFilter()
{
    const auto text = searchBox.getText().toLowerCase();
    for (auto& entry : entries)
    {
        const bool textMatches = text.isEmpty() || entry.name.toLowerCase().contains (text)
                                 || entry.manufacturer.toLowerCase().contains (text);
        const bool formatShown = (entry.format == "VST3" && vst3Toggle.getToggleState())
                                 || (entry.format == "AU" && auToggle.getToggleState());
        entry.visible = textMatches && formatShown;
    }
    rebuildRows();
}

void PluginManagerWindow::rebuildRows()
{
    rows.clear();
    visibleRows.clear();

    const int width = juce::jmax (0, viewport->getWidth() - 4);
    int y = 0;
    for (int i = 0; i < (int)entries.size(); ++i)
    {
        if (! entries[(size_t)i].visible)
            continue;
        visibleRows.add (i);
        auto* row = rows.add (new PluginListRow (&entries[(size_t)i]));
        row->setBounds (0, y, width, PluginListRow::rowHeight);
        row->onClick = [this, i] (const juce::MouseEvent& event) { rowClicked (i, event); };
        listContent->addAndMakeVisible (row);
        y += PluginListRow::rowHeight;
    }
    listContent->setSize (width, y);
}

void PluginManagerWindow::rowClicked (int index, const juce::MouseEvent& event)
{
    if (index < 0 || index >= (int)entries.size())
        return;

    if (event.mods.isShiftDown() && lastClickedIndex != -1)
    {
        const int from = visibleRows.indexOf (lastClickedIndex);
        const int to = visibleRows.indexOf (index);
        if (from >= 0 && to >= 0)
        {
            const bool newState = ! entries[(size_t)index].selected;
            for (int r = juce::jmin (from, to); r <= juce::jmax (from, to); ++r)
                entries[(size_t)visibleRows[r]].selected = newState;
        }
    }
    else
    {
        entries[(size_t)index].selected = ! entries[(size_t)index].selected;
    }

    lastClickedIndex = index;
    repaint();
    listContent->repaint();
}

void PluginManagerWindow::applySelection()
{
    juce::StringArray toScan, toForget;
    for (const auto& entry : entries)
    {
        if (entry.selected && ! entry.isKnown)
            toScan.add (entry.path);
        if (entry.isKnown && ! entry.selected)
            toForget.add (entry.knownPath);
    }

    if (onDone)
        onDone (toScan, toForget);

    juce::Component::SafePointer<PluginManagerWindow> self (this);
    juce::MessageManager::callAsync ([self] { delete self.getComponent(); });
}

void PluginManagerWindow::closeButtonPressed()
{
    delete this;
}

bool PluginManagerWindow::keyPressed (const juce::KeyPress& key)
{
    return handleSecondaryWindowKey (key, *this);
}

void PluginManagerWindow::resized()
{
    juce::DocumentWindow::resized();

    const int W = content.getWidth();
    const int H = content.getHeight();
    const int rowHeight = juce::jmin (H - 20, 30);

    searchBox.setBounds (10, 10, juce::jmin (W - 20, 200), rowHeight);
    vst3Toggle.setBounds (searchBox.getRight() + 10, 10, juce::jmax (0, juce::jmin (65, W - searchBox.getRight() - 20)),
                          rowHeight);
    auToggle.setBounds (vst3Toggle.getRight(), 10, juce::jmax (0, juce::jmin (50, W - vst3Toggle.getRight() - 10)),
                        rowHeight);
    noneButton.setBounds (W - 10 - juce::jmin (50, W - 20), 10, juce::jmin (50, W - 20), rowHeight);
    allButton.setBounds (noneButton.getX() - 5 - juce::jmin (40, W - 20), 10, juce::jmin (40, W - 20), rowHeight);

    const int scanHeight = juce::jmax (0, juce::jmin (40, H - 60));
    scanButton.setBounds (10, H - 10 - scanHeight, juce::jmax (0, W - 20), scanHeight);

    const int listTop = 10 + rowHeight + 10;
    viewport->setBounds (10, listTop, juce::jmax (0, W - 20), juce::jmax (0, scanButton.getY() - 10 - listTop));

    const int rowWidth = juce::jmax (0, viewport->getWidth() - 4);
    listContent->setSize (rowWidth, listContent->getHeight());
    for (auto* row : rows)
        row->setSize (rowWidth, PluginListRow::rowHeight);
}
