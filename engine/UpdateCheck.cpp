#include "engine/UpdateCheck.h"

#include "storage/GuardedXmlReader.h"

#include <cstdlib>

UpdateCheck::Outcome UpdateCheck::parse (const juce::String& document, const juce::String& ownVersion)
{
    const auto lines = juce::StringArray::fromLines (document.trim());
    const auto latest = lines.isEmpty() ? juce::String() : lines[0].trim();

    Outcome outcome;
    outcome.updateAvailable = latest.isNotEmpty() && latest.length() < 10 && latest != ownVersion;

    if (! outcome.updateAvailable)
        return outcome;

    for (int i = 1; i < lines.size(); ++i)
        if (const auto note = lines[i].trim(); note.isNotEmpty())
            outcome.notes << note << "\n";

    outcome.notes = outcome.notes.trim();

    if (outcome.notes.isEmpty())
        outcome.notes = noNotesText;

    return outcome;
}

juce::URL UpdateCheck::makeDocumentAddress (const juce::String& serverAddress, juce::uint32 cacheBreaker)
{
    const auto server = serverAddress.trim();

    if (server.isEmpty())
        return {};

    return juce::URL ((server.endsWithChar ('/') ? server : server + "/") + "version.txt?nocache="
                      + juce::String (cacheBreaker));
}

juce::String UpdateCheck::findServerAddress (const juce::File& userFolder)
{
    // getenv tells a variable set empty (check off) from one not set.
    if (const auto* fromEnvironment = std::getenv (environmentVariable))
        return juce::String::fromUTF8 (fromEnvironment).trim();

    const auto settings = userFolder.getChildFile ("global_settings.xml");

    if (settings.existsAsFile())
        if (const auto xml = GuardedXmlReader::parseFile (settings); xml != nullptr && xml->hasAttribute (serverAttribute))
            return xml->getStringAttribute (serverAttribute).trim();

    return defaultServerAddress;
}

juce::String UpdateCheck::fetch (const juce::URL& address, int connectTimeoutMs, int maxBytes)
{
    if (address.isEmpty())
        return {};

    int statusCode = 0;
    const auto options = juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress)
                             .withConnectionTimeoutMs (connectTimeoutMs)
                             .withNumRedirectsToFollow (5)
                             .withStatusCode (&statusCode);

    const auto stream = address.createInputStream (options);

    // An error page is not a version document, however short its first line.
    if (stream == nullptr || statusCode < 200 || statusCode >= 300)
        return {};

    juce::MemoryOutputStream text;
    text.writeFromInputStream (*stream, maxBytes);
    return text.toUTF8();
}

UpdateCheck::Outcome UpdateCheck::run (const juce::String& serverAddress, const juce::String& ownVersion)
{
    const auto address = makeDocumentAddress (serverAddress, juce::Time::getMillisecondCounter());
    return parse (fetch (address), ownVersion);
}
