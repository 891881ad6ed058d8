#include "ui/deck/TapeRoomComponent.h"

#include "storage/ReelLibrary.h"
#include "storage/ReelList.h"

namespace
{
const juce::Colour cream (0xffd0c0b0);
const juce::Colour paper (0xffe2e5e7);

juce::Colour whiteAt (juce::uint8 alpha)
{
    return juce::Colours::white.withAlpha (alpha);
}

juce::Font sans (float height, bool bold)
{
    return juce::Font ("Sans-Serif", height, bold ? juce::Font::bold : juce::Font::plain);
}
} // namespace

TapeRoomComponent::TapeRoomComponent (ReelLibrary* libraryToShow, std::function<void (const juce::String&)> openReel,
                                      std::function<void (const juce::String&)> saveIfOpen)
    : library (libraryToShow), onOpenReel (std::move (openReel)), onSaveIfOpen (std::move (saveIfOpen))
{
    listBox.setModel (this);
    listBox.setRowHeight (75);
    listBox.setColour (juce::ListBox::backgroundColourId, juce::Colours::transparentBlack);
    addAndMakeVisible (listBox);

    setUpButton (newButton, "NEW TAPE", paper, juce::Colours::black);
    setUpButton (openButton, "OPEN...", juce::Colours::transparentBlack, juce::Colours::white);

    searchBox.setMultiLine (false);
    searchBox.setReturnKeyStartsNewLine (false);
    searchBox.setTextToShowWhenEmpty ("Search tapes...", juce::Colour (0xff808080));
    searchBox.onTextChange = [this] { refreshReelList(); };
    addAndMakeVisible (searchBox);

    sortBox.addItem ("Sort by: Recent", ReelList::sortByRecent);
    sortBox.addItem ("Sort by: Name", ReelList::sortByName);
    sortBox.setSelectedId (ReelList::sortByRecent, juce::dontSendNotification);
    sortBox.onChange = [this] { refreshReelList(); };
    addAndMakeVisible (sortBox);

    setUpButton (loadButton, "LOAD TAPE", paper, juce::Colours::black);
    loadButton.onClick = [this] { openSelectedReel(); };
    setUpButton (renameButton, "RENAME", juce::Colours::transparentBlack, juce::Colours::white);
    setUpButton (duplicateButton, "DUPLICATE", juce::Colours::transparentBlack, juce::Colours::white);
    setUpButton (backupButton, "BACKUP ZIP", juce::Colours::transparentBlack, juce::Colours::white);
    setUpButton (deleteButton, "DELETE TAPE", juce::Colour (0xff8a3333), juce::Colours::white);
    setUpButton (libraryButton, "CHANGE LIBRARY", juce::Colours::transparentBlack, juce::Colours::white);

    folderLinkButton.setAlpha (0.0f);
    folderLinkButton.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    folderLinkButton.onClick = [this] {
        if (const auto* row = getSelectedRow(); row != nullptr && row->folder.isDirectory())
            row->folder.startAsProcess();
    };
    addAndMakeVisible (folderLinkButton);

    setUpButton (updateButton, "UPDATE AVAILABLE", paper, juce::Colours::black);
    updateButton.setVisible (false);

    setSize (1000, 700);
    refreshReelList();
}

TapeRoomComponent::~TapeRoomComponent()
{
    listBox.setModel (nullptr);
}

void TapeRoomComponent::setUpButton (juce::TextButton& button, const juce::String& text, juce::Colour fill,
                                     juce::Colour textColour)
{
    button.setButtonText (text);
    button.setColour (juce::TextButton::buttonColourId, fill);
    button.setColour (juce::TextButton::textColourOffId, textColour);
    addAndMakeVisible (button);
}

void TapeRoomComponent::refreshReelList()
{
    if (library != nullptr)
        rows = ReelList::buildRows (library->loadShelf(), searchBox.getText(), sortBox.getSelectedId());
    else
        rows.clear();

    listBox.updateContent();
    repaint();
}

const ReelInfo* TapeRoomComponent::getSelectedRow() const
{
    const int selected = listBox.getSelectedRow();
    return juce::isPositiveAndBelow (selected, rows.size()) ? &rows.getReference (selected) : nullptr;
}

void TapeRoomComponent::openSelectedReel()
{
    if (const auto* row = getSelectedRow(); row != nullptr && onOpenReel)
        onOpenReel (row->name);
}

void TapeRoomComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();

    newButton.setBounds (25, 75, 270, 42);
    searchBox.setBounds (25, 135, 270, 28);
    sortBox.setBounds (25, 173, 180, 28);
    openButton.setBounds (sortBox.getRight() + 10, 173, 80, 28);
    listBox.setBounds (0, 218, sidebarWidth, juce::jmax (0, h - 278));
    libraryButton.setBounds (25, h - 40, 270, 28);
    updateButton.setBounds (w - 170, 20, 150, 30);

    const bool hasSelection = getSelectedRow() != nullptr;
    for (auto* button : {&loadButton, &renameButton, &duplicateButton, &backupButton, &deleteButton, &folderLinkButton})
        button->setVisible (hasSelection);

    if (! hasSelection)
        return;

    folderLinkButton.setBounds (492, 360, juce::jmax (0, w - 542), 20);
    loadButton.setBounds (382, 390, 180, 36);
    renameButton.setBounds (loadButton.getRight() + 15, 390, 90, 36);

    const int renameRight = renameButton.getRight();
    if (w - renameRight >= 220)
        duplicateButton.setBounds (renameRight + 10, 390, 100, 36);
    else
        duplicateButton.setBounds (382, 436, 100, 36);

    backupButton.setBounds (duplicateButton.getRight() + 10, duplicateButton.getY(), 100, 36);
    deleteButton.setBounds (w - 140, h - 76, 100, 36);
}

void TapeRoomComponent::paint (juce::Graphics& g)
{
    const int w = getWidth();
    const int h = getHeight();

    g.setColour (juce::Colour (0xff1e1e1e));
    g.fillRect (sidebarWidth, 0, w - sidebarWidth, h);
    g.setColour (juce::Colour (0xff181818));
    g.fillRect (0, 0, sidebarWidth, h);

    if (h > 0)
    {
        g.setColour (juce::Colour (0x99000000));
        g.drawVerticalLine (sidebarWidth, 0.0f, (float) h);
        g.setColour (whiteAt (0x0a));
        g.drawVerticalLine (sidebarWidth + 1, 0.0f, (float) h);
    }

    g.setColour (whiteAt (0xe6));
    g.setFont (sans (16.0f, true));
    g.drawText ("PROJECT ARCHIVE", 25, 25, 270, 30, juce::Justification::centredLeft, true);

    // Two faint rings in the panel: the outline of a reel.
    const juce::Rectangle<int> panel (sidebarWidth + 2, 0, w - sidebarWidth - 2, h);
    {
        const float size = 0.9f * (float) h;
        const juce::Rectangle<float> outer ((float) panel.getRight() - 0.45f * size,
                                            (float) (panel.getY() + h / 2) - size / 2.0f, size, size);
        g.setColour (whiteAt (0x04));
        g.drawEllipse (outer, 12.0f);
        g.drawEllipse (outer.getX() + size / 4.0f, outer.getY() + size / 4.0f, size / 2.0f, size / 2.0f, 4.0f);
    }

    const auto* row = getSelectedRow();
    if (row == nullptr)
    {
        g.setColour (whiteAt (0x1a));
        g.setFont (sans (20.0f, false));
        g.drawText ("SELECT A TAPE", panel, juce::Justification::centred, true);
        return;
    }

    const int x0 = panel.getX() + 60;
    g.setColour (juce::Colours::white);
    g.setFont (sans (42.0f, true));
    g.drawText (row->name, x0, 70, panel.getWidth() - 120, 60, juce::Justification::centredLeft, true);
    g.setColour (whiteAt (0x0d));
    g.fillRect (x0, 140, panel.getWidth() - 120, 1);

    const auto detail = [&] (const juce::String& label, const juce::String& value, int y) {
        g.setColour (whiteAt (0x59));
        g.setFont (sans (11.0f, true));
        g.drawText (label, x0, y, 100, 20, juce::Justification::centredLeft, true);
        g.setColour (whiteAt (0xe6));
        g.setFont (sans (14.0f, false));
        g.drawText (value, x0 + 110, y - 1, panel.getWidth() - 200, 20, juce::Justification::centredLeft, true);
    };
    detail ("FORMAT", row->lengthText + "   |   " + row->trackCountText + "   |   " + row->sampleRateText, 180);
    detail ("MODIFIED", row->dateText, 225);
    detail ("SIZE", row->sizeText, 270);
    detail ("RAM USAGE", row->ramText, 315);

    g.setColour (whiteAt (0x59));
    g.setFont (sans (11.0f, true));
    g.drawText ("LOCATION", x0, 360, 100, 20, juce::Justification::centredLeft, true);
    g.setColour (cream);
    g.setFont (sans (12.0f, false));
    g.drawText (row->folder.getFullPathName(), x0 + 110, 360, panel.getWidth() - 250, 20,
                juce::Justification::centredLeft, true);
}

int TapeRoomComponent::getNumRows()
{
    return rows.size();
}

void TapeRoomComponent::paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool selected)
{
    if (! juce::isPositiveAndBelow (row, rows.size()))
        return;

    const auto& info = rows.getReference (row);
    const int textWidth = juce::jmax (0, width - 50);
    const int textHeight = juce::jmax (0, height - 30);
    const int nameHeight = juce::jmin (24, textHeight);
    const int detailsWidth = juce::jmin (240, textWidth);

    if (selected)
    {
        g.fillAll (juce::Colour (0xff2a2a2a));
        g.setColour (cream);
        g.fillRect (0, 0, 3, height);
    }
    else
    {
        g.setColour (whiteAt (0x0a));
        g.fillRect (20, height - 1, width - 40, 1);
    }

    g.setColour (selected ? juce::Colours::white : whiteAt (0xcc));
    g.setFont (sans (16.0f, true));
    g.drawText (info.name, 25, 15, textWidth, nameHeight, juce::Justification::centredLeft, true);

    g.setColour (selected ? cream : juce::Colour (0xff808080));
    g.setFont (sans (12.0f, true));
    g.drawText (info.lengthText + "  |  " + info.trackCountText + "  |  " + info.sampleRateText, 25, 15 + nameHeight,
                detailsWidth, textHeight - nameHeight, juce::Justification::centredLeft, true);

    g.setColour (whiteAt (selected ? 0x99 : 0x4c));
    g.setFont (sans (11.0f, false));
    g.drawText (info.dateText, 25 + detailsWidth, 15 + nameHeight, textWidth - detailsWidth, textHeight - nameHeight,
                juce::Justification::centredRight, true);
}

void TapeRoomComponent::listBoxItemDoubleClicked (int row, const juce::MouseEvent&)
{
    if (juce::isPositiveAndBelow (row, rows.size()))
        openSelectedReel();
}

void TapeRoomComponent::selectedRowsChanged (int)
{
    repaint();
    resized();
}

// Dropped reels and archives are taken in once importing them is safe for every kind of file.
bool TapeRoomComponent::isInterestedInFileDrag (const juce::StringArray&)
{
    return false;
}

void TapeRoomComponent::filesDropped (const juce::StringArray&, int, int)
{
}
