// Nothing in the program opens the sharing room: its constructor is private, and the one
// class allowed to call it is used only by the tests.

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

TEST (LoungeReach, NoCodeOutsideTheTestsBuildsTheRoom)
{
    const juce::File root (DRAVIN8_SOURCE_ROOT);
    ASSERT_TRUE (root.getChildFile ("lounge/LoungeRoomComponent.h").existsAsFile()) << root.getFullPathName();

    const juce::StringArray folders { "app", "engine", "storage", "ui", "rack", "effects", "instruments", "lounge",
                                      "platform", "resources", "bench" };
    int scanned = 0;

    for (const auto& name : folders)
    {
        for (const auto& entry : juce::RangedDirectoryIterator (root.getChildFile (name), true, "*.h;*.cpp;*.hpp;*.inl"))
        {
            const auto file = entry.getFile();
            const auto text = file.loadFileAsString();
            ++scanned;

            // The room's own header names its builder as a friend; nobody else may use it.
            if (file.getFileName() != "LoungeRoomComponent.h")
            {
                EXPECT_FALSE (text.contains ("LoungeRoomTestAccess")) << file.getFullPathName();
            }

            EXPECT_FALSE (text.contains ("new LoungeRoomComponent")) << file.getFullPathName();
            EXPECT_FALSE (text.contains ("make_unique<LoungeRoomComponent>")) << file.getFullPathName();
        }
    }

    EXPECT_GT (scanned, 50);
}
