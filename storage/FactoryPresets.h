#pragma once

#include "platform/Platform.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <vector>

/** The factory presets of the four built-in instruments that keep presets (the rhythm machine
    has none), compiled in and written as preset files on first start.

    A preset file is "<Presets>/<instrument folder>/<preset name>.xml" under the per-user
    folder: JUCE's default XML text (UTF-8 declaration, CR LF line ends, attributes wrapped at
    60 columns) whose root element "PRESET" carries one attribute per setting, in the
    instrument's fixed order, and nothing else. Integers and flags are decimal text, real
    numbers JUCE's shortest double text ("60.0", "0.88"). The instrument editors' preset menus
    read these files. */
namespace FactoryPresets
{
inline constexpr const char* presetsFolder = "Presets";
inline constexpr const char* presetTag = "PRESET";
inline constexpr const char* presetExtension = ".xml";

inline constexpr const char* monoBassFolder = "MonoBass";
inline constexpr const char* polySynthFolder = "PolySynth";
inline constexpr const char* tannerinFolder = "Tannerin";
inline constexpr const char* stageKeyboardFolder = "StageKeyboard";

enum class ValueKind
{
    integer,
    real,
    flag
};

/** One attribute of an instrument's preset file. */
struct Setting
{
    const char* attribute;
    ValueKind kind;
    double minimum, maximum; // the range of the editor's control

    /** Text written for every factory preset; such a setting has no column in the rows. */
    const char* fixedText = nullptr;
};

/** One factory preset: its name (the file name without ".xml") and one value per setting
    without fixed text, in setting order. */
struct Preset
{
    const char* name;
    std::vector<double> values;
};

struct Instrument
{
    const char* folderName;
    std::vector<Setting> settings; // in file order
    std::vector<Preset> presets;   // in the order they are written
};

const Instrument& monoBass();
const Instrument& polySynth();
const Instrument& tannerin();
const Instrument& stageKeyboard();

/** The four instruments, in the order the first-run job installs them. */
std::vector<const Instrument*> allInstruments();

/** "<userDataFolder>/Presets/<instrument folder>". */
juce::File getInstrumentFolder (const Instrument& instrument, const juce::File& userDataFolder);

/** The "PRESET" element of one factory preset, attributes in file order. */
std::unique_ptr<juce::XmlElement> createPresetXml (const Instrument& instrument, const Preset& preset);

/** Writes one preset file into folder unless something of that name exists, through a hidden
    temporary file moved over the target, so a reader never sees half a preset. Returns
    whether a file was written; a failed write is otherwise ignored. */
bool writePresetIfMissing (const juce::File& folder, const Instrument& instrument, const Preset& preset);

/** Makes the instrument's folder and writes every factory preset whose file is missing;
    existing files, factory or edited by the user, are never touched. Returns the number of
    files written. shouldStop, when given, is asked before each file. */
int installPresets (const Instrument& instrument, const juce::File& userDataFolder,
                    const std::function<bool()>& shouldStop = {});

int installMonoBassPresets (const juce::File& userDataFolder = Platform::getUserDataFolder());
int installPolySynthPresets (const juce::File& userDataFolder = Platform::getUserDataFolder());
int installTannerinPresets (const juce::File& userDataFolder = Platform::getUserDataFolder());
int installStageKeyboardPresets (const juce::File& userDataFolder = Platform::getUserDataFolder());
} // namespace FactoryPresets
