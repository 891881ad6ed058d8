#include "ui/looks/LookImages.h"

namespace LookImages
{
juce::Image get (LookImageId id)
{
    const auto bytes = getLookImageBytes (id);

    if (bytes.data == nullptr || bytes.size <= 0)
        return {};

    return juce::ImageCache::getFromMemory (bytes.data, bytes.size);
}

const LookImageSpec& spec (LookImageId id) noexcept
{
    return lookImageSpecs[(int)id];
}
} // namespace LookImages
