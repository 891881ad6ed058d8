#include "ui/instruments/InstrumentPresetMenu.h"

#include "app/SafeAlertWindow.h"

InstrumentPresetMenu::InstrumentPresetMenu (juce::Component* presetButton, juce::String& name,
                                            const juce::String& category, CreateXml create, ApplyXml apply,
                                            const juce::File& userDataFolder)
    : button (presetButton),
      presetName (name),
      presets (category, userDataFolder),
      createXml (std::move (create)),
      applyXml (std::move (apply))
{
}

juce::PopupMenu InstrumentPresetMenu::buildMenu()
{
    juce::PopupMenu menu;
    menu.addItem (savePreset, "Save Preset...");

    if (presetName != defaultName)
        menu.addItem (deletePreset, "Delete Current Preset");

    menu.addSeparator();

    names = presets.listNames();
    menu.addItem (defaultSound, defaultName);

    for (int i = 0; i < names.size(); ++i)
        menu.addItem (firstPreset + i, names[i], true, names[i] == presetName);

    return menu;
}

void InstrumentPresetMenu::setPresetName (const juce::String& name)
{
    presetName = name;

    if (auto* b = dynamic_cast<juce::Button*> (button.getComponent()))
        b->setButtonText (name);
}

void InstrumentPresetMenu::handlePresetMenuChoice (int result)
{
    if (button == nullptr)
        return;

    if (result == savePreset)
    {
        openSaveDialog();
    }
    else if (result == deletePreset)
    {
        // The sound stays as it is; only the file goes. A name that leads nowhere legal (a
        // hostile reel's) deletes nothing.
        presets.remove (presetName);
        setPresetName (defaultName);
    }
    else if (result == defaultSound)
    {
        applyXml (juce::XmlElement (InstrumentPresets::presetTag));
        setPresetName (defaultName);
    }
    else if (result >= firstPreset && result - firstPreset < names.size())
    {
        const auto name = names[result - firstPreset];

        // Deleted or broken since the menu opened: nothing changes.
        if (const auto xml = presets.load (name))
        {
            applyXml (*xml);
            setPresetName (name);
        }
    }
}

juce::AlertWindow* InstrumentPresetMenu::openSaveDialog()
{
    const juce::String message ("Enter a name for this preset:");
    auto* dialog = new SafeAlertWindow ("Save Preset", message, juce::MessageBoxIconType::NoIcon);
    dialog->getProperties().set (SafeAlertWindow::bodyTextProperty, message);
    dialog->addTextEditor (nameField, presetName == defaultName ? juce::String ("My Preset") : presetName);
    dialog->addButton ("Save", 1, juce::KeyPress (juce::KeyPress::returnKey));
    dialog->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));
    dialog->setAlwaysOnTop (true);

    juce::Component::SafePointer<juce::AlertWindow> safeDialog (dialog);
    dialog->enterModalState (true,
                             juce::ModalCallbackFunction::create (
                                 [self = shared_from_this(), safeDialog] (int result)
                                 { self->savePresetFromDialog (result, safeDialog.getComponent()); }),
                             true);
    return dialog;
}

void InstrumentPresetMenu::savePresetFromDialog (int result, juce::AlertWindow* dialog)
{
    if (result != 1 || button == nullptr || dialog == nullptr)
        return;

    const auto name = dialog->getTextEditorContents (nameField).trim();

    if (name.isEmpty())
        return;

    const auto xml = createXml();

    if (xml == nullptr)
        return;

    const auto saved = presets.save (name, *xml);

    if (saved.wasOk())
    {
        setPresetName (name);
        return;
    }

    // The current name stays: it still names what is on disk.
    auto* box = new SafeAlertWindow ("Save Preset", saved.getErrorMessage(), juce::MessageBoxIconType::WarningIcon);
    box->getProperties().set (SafeAlertWindow::bodyTextProperty, saved.getErrorMessage());
    box->addButton ("OK", 1, juce::KeyPress (juce::KeyPress::returnKey), juce::KeyPress (juce::KeyPress::escapeKey));
    box->setAlwaysOnTop (true);
    box->enterModalState (true, nullptr, true);
    failureBox = box;
}

void showInstrumentPresetMenu (juce::Component* presetButton, juce::String& presetName, const juce::String& category,
                               InstrumentPresetMenu::CreateXml createXml, InstrumentPresetMenu::ApplyXml applyXml)
{
    if (presetButton == nullptr)
        return;

    auto state = std::make_shared<InstrumentPresetMenu> (presetButton, presetName, category, std::move (createXml),
                                                         std::move (applyXml));
    state->buildMenu().showMenuAsync (juce::PopupMenu::Options().withTargetComponent (presetButton),
                                      [state] (int result) { state->handlePresetMenuChoice (result); });
}
