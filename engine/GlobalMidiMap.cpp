#include "engine/GlobalMidiMap.h"

#include "instruments/BuiltInInstruments.h"
#include "storage/GuardedXmlReader.h"

#include <cstring>

/** A published map: the targets of key k are targets[firstTarget[k]] up to
    targets[firstTarget[k + 1]]. Never changed once published. */
struct GlobalMidiMap::Table
{
    std::vector<Target> targets;
    std::array<int, numKeys + 1> firstTarget{};
};

namespace
{
struct CommandName
{
    const char* id;
    GlobalMidiMap::Command command;
};

const CommandName commandNames[] = {
    {GlobalMidiMap::playCommand, GlobalMidiMap::Command::play},
    {GlobalMidiMap::stopCommand, GlobalMidiMap::Command::stop},
    {GlobalMidiMap::recordCommand, GlobalMidiMap::Command::record},
    {GlobalMidiMap::rewindCommand, GlobalMidiMap::Command::rewind},
    {GlobalMidiMap::fastForwardCommand, GlobalMidiMap::Command::fastForward},
    {GlobalMidiMap::returnToZeroCommand, GlobalMidiMap::Command::returnToZero},
    {GlobalMidiMap::setZeroCommand, GlobalMidiMap::Command::setZero},
    {GlobalMidiMap::loopClearCommand, GlobalMidiMap::Command::loopClear},
    {GlobalMidiMap::loopInCommand, GlobalMidiMap::Command::loopIn},
    {GlobalMidiMap::loopOutCommand, GlobalMidiMap::Command::loopOut},
    {GlobalMidiMap::loopToggleCommand, GlobalMidiMap::Command::loopToggle},
    {GlobalMidiMap::loopCutCommand, GlobalMidiMap::Command::loopCut},
    {GlobalMidiMap::clickToggleCommand, GlobalMidiMap::Command::clickToggle},
    {GlobalMidiMap::clearDefectsCommand, GlobalMidiMap::Command::clearDefects},
};
} // namespace

//==============================================================================
GlobalMidiMap::GlobalMidiMap (std::atomic<bool>& armedFlag, LearnHandler handler)
    : learnArmedFlag (armedFlag), learnHandler (std::move (handler))
{
    // The audio thread always finds a table, empty until the first publish.
    currentTable = std::make_unique<Table>();
    publishedTable = currentTable.get();
}

GlobalMidiMap::~GlobalMidiMap()
{
    stopTimer();
}

//==============================================================================
GlobalMidiMap::Target GlobalMidiMap::resolve (const juce::String& id, const ParameterFinder& findParameter)
{
    Target target;

    if (id.startsWith (BuiltInInstruments::midiLearnPrefix))
    {
        // "INST_" + type + "_" + setting; the setting may itself hold "_" ("PMOD_FA").
        const auto afterPrefix = id.substring ((int)std::strlen (BuiltInInstruments::midiLearnPrefix));
        const auto separator = afterPrefix.indexOfChar ('_');
        const auto type = (separator >= 0 ? afterPrefix.substring (0, separator) : afterPrefix).getIntValue();
        const auto name = separator >= 0 ? afterPrefix.substring (separator + 1) : juce::String();

        target.kind = Kind::instrument;
        target.number = type;
        target.setting = MidiInstrumentSettings::find (type, name);
        return target;
    }

    if (findParameter != nullptr)
    {
        if (auto* parameter = findParameter (id))
        {
            target.kind = Kind::parameter;
            target.parameter = parameter;
            return target;
        }
    }

    for (const auto& command : commandNames)
    {
        if (id == command.id)
        {
            target.kind = Kind::command;
            target.command = command.command;
            return target;
        }
    }

    if (id.startsWith (trackArmPrefix))
    {
        const auto track = id.substring ((int)std::strlen (trackArmPrefix)).getIntValue();

        if (track >= 1 && track <= numArmableTracks)
        {
            target.kind = Kind::trackArm;
            target.number = track;
        }
    }

    return target;
}

void GlobalMidiMap::publish (const Bindings& bindings, const ParameterFinder& findParameter)
{
    auto table = std::make_unique<Table>();
    table->targets.reserve (bindings.size());

    // The multimap is in key order (equal keys in binding order), so each key's targets
    // form one run.
    int key = 0;

    for (const auto& [bindingKey, id] : bindings)
    {
        if (bindingKey < 0 || bindingKey >= numKeys)
            continue;

        while (key <= bindingKey)
            table->firstTarget[(size_t)key++] = (int)table->targets.size();

        table->targets.push_back (resolve (id, findParameter));
    }

    while (key <= numKeys)
        table->firstTarget[(size_t)key++] = (int)table->targets.size();

    publishedTable.store (table.get());
    retiredTables.push_back (std::move (currentTable));
    currentTable = std::move (table);
    freeRetiredTables();
}

void GlobalMidiMap::freeRetiredTables()
{
    // A reader that started after the new table was published cannot hold an old one, so
    // with no reader running now every retired table is free.
    if (activeReaders.load() == 0)
        retiredTables.clear();
}

//==============================================================================
GlobalMidiMap::ScopedReader::ScopedReader (GlobalMidiMap& owner) noexcept : map (owner)
{
    map.activeReaders.fetch_add (1);
    table = map.publishedTable.load();
}

GlobalMidiMap::ScopedReader::~ScopedReader()
{
    map.activeReaders.fetch_sub (1);
}

const GlobalMidiMap::Target* GlobalMidiMap::ScopedReader::begin (int key) const noexcept
{
    if (key < 0 || key >= numKeys)
        return table->targets.data();

    return table->targets.data() + table->firstTarget[(size_t)key];
}

const GlobalMidiMap::Target* GlobalMidiMap::ScopedReader::end (int key) const noexcept
{
    if (key < 0 || key >= numKeys)
        return table->targets.data();

    return table->targets.data() + table->firstTarget[(size_t)key + 1];
}

//==============================================================================
void GlobalMidiMap::arm (const juce::String& targetId)
{
    if (++lastSerial == 0)
        lastSerial = 1;

    recentTargets[nextRecentTarget] = {lastSerial, targetId};
    nextRecentTarget = (nextRecentTarget + 1) % recentTargets.size();

    // The flag first: the audio thread clears it only after it took an armed serial.
    learnArmedFlag = true;
    armedSerial = lastSerial;
    startTimer (pollMilliseconds);
}

void GlobalMidiMap::cancel()
{
    armedSerial = 0;
    learnArmedFlag = false;
}

bool GlobalMidiMap::captureLearn (int key) noexcept
{
    const auto serial = armedSerial.exchange (0);

    if (serial == 0)
        return false;

    learnArmedFlag = false;

    int start1, size1, start2, size2;
    captureFifo.prepareToWrite (1, start1, size1, start2, size2);

    if (size1 > 0)
    {
        captures[(size_t)start1] = {key, serial};
        captureFifo.finishedWrite (1);
    }

    // The timer started by arm() collects it.
    return true;
}

void GlobalMidiMap::timerCallback()
{
    handleCapturedKeys();

    if (! isArmed() && captureFifo.getNumReady() == 0)
        stopTimer();
}

void GlobalMidiMap::handleCapturedKeys()
{
    for (;;)
    {
        int start1, size1, start2, size2;
        captureFifo.prepareToRead (1, start1, size1, start2, size2);

        if (size1 <= 0)
            break;

        const auto capture = captures[(size_t)start1];
        captureFifo.finishedRead (1);

        if (learnHandler != nullptr)
            learnHandler (capture.key, findArmedTarget (capture.serial));
    }

    // Mends the flag if a re-arm crossed a capture on the audio thread.
    learnArmedFlag = isArmed();
    freeRetiredTables();
}

juce::String GlobalMidiMap::findArmedTarget (juce::uint32 serial) const
{
    for (const auto& [armed, id] : recentTargets)
        if (armed == serial)
            return id;

    return {};
}

//==============================================================================
std::unique_ptr<juce::XmlElement> GlobalMidiMap::createXml (const Bindings& bindings)
{
    auto root = std::make_unique<juce::XmlElement> (rootTag);

    for (const auto& [key, id] : bindings)
    {
        auto* binding = root->createNewChildElement (bindingTag);
        binding->setAttribute (keyAttribute, key);
        binding->setAttribute (idAttribute, id);
    }

    return root;
}

bool GlobalMidiMap::readXml (const juce::XmlElement& xml, Bindings& bindings)
{
    if (! xml.getTagName().equalsIgnoreCase (rootTag))
        return false;

    bindings.clear();

    for (const auto* binding : xml.getChildIterator())
    {
        const auto id = binding->getStringAttribute (idAttribute);

        if (id.isNotEmpty())
            bindings.emplace (binding->getIntAttribute (keyAttribute, 0), id);
    }

    return true;
}

bool GlobalMidiMap::writeFile (const Bindings& bindings, const juce::File& file)
{
    const auto folder = file.getParentDirectory();

    if (! folder.isDirectory() && folder.createDirectory().failed())
        return false;

    return createXml (bindings)->writeTo (file);
}

bool GlobalMidiMap::readFile (const juce::File& file, Bindings& bindings)
{
    if (! file.existsAsFile())
        return false;

    const auto xml = GuardedXmlReader::parseFile (file);
    return xml != nullptr && readXml (*xml, bindings);
}
