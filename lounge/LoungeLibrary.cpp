#include "lounge/LoungeLibrary.h"

#include "lounge/LoungeFetch.h"
#include "lounge/LoungeIds.h"

namespace LoungeLibrary
{
std::vector<LoungeTape> parse (const juce::String& json)
{
    std::vector<LoungeTape> tapes;
    const auto parsed = juce::JSON::parse (json);
    auto* object = parsed.getDynamicObject();

    if (object == nullptr || ! object->hasProperty (LoungeIds::tapesKey))
        return tapes;

    auto* elements = object->getProperty (LoungeIds::tapesKey).getArray();

    if (elements == nullptr)
        return tapes;

    tapes.reserve ((size_t) elements->size());

    for (const auto& element : *elements)
    {
        // var's operator[] gives void for a missing key and for a non-object element alike.
        const auto text = [&element] (const char* key)
        {
            const auto& value = element[key];
            return value.isVoid() ? juce::String() : value.toString();
        };

        LoungeTape tape;
        tape.userName = text (LoungeIds::userNameKey);
        tape.trackName = text (LoungeIds::trackNameKey);
        tape.filePath = text (LoungeIds::filePathKey);
        tape.durationSeconds = (int) element[LoungeIds::durationKey];
        tapes.push_back (std::move (tape));
    }

    return tapes;
}

juce::String normaliseServerAddress (const juce::String& serverAddress)
{
    const auto trimmed = serverAddress.trim();

    if (trimmed.isEmpty())
        return {};

    return trimmed.endsWithChar ('/') ? trimmed : trimmed + "/";
}

std::vector<LoungeTape> fetch (const juce::String& serverAddress)
{
    const auto base = normaliseServerAddress (serverAddress);

    if (base.isEmpty())
        return {};

    LoungeFetch::Limits limits;
    limits.connectTimeoutMs = connectTimeoutMs;
    limits.totalTimeoutMs = totalTimeoutMs;
    limits.maxBytes = maxBytes;

    return parse (LoungeFetch::fetchText (juce::URL (base + LoungeIds::libraryRequest), false, limits));
}
} // namespace LoungeLibrary
