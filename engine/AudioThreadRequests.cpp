#include "engine/AudioThreadRequests.h"

AudioThreadRequests::AudioThreadRequests (Handler handlerToUse) : handler (std::move (handlerToUse))
{
    for (auto& count : pending)
        count = 0;

    startTimer (pollMilliseconds);
}

AudioThreadRequests::~AudioThreadRequests()
{
    stopTimer();
}

void AudioThreadRequests::post (Kind kind) noexcept
{
    if (kind >= 0 && kind < numKinds)
        pending[(size_t)kind].fetch_add (1);
}

void AudioThreadRequests::handlePending()
{
    for (int kind = 0; kind < numKinds; ++kind)
        if (const auto count = pending[(size_t)kind].exchange (0); count > 0 && handler != nullptr)
            handler ((Kind)kind, count);
}
