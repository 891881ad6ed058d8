// The sharing room against a loopback server: library, tape cache and downloads, the player
// and its mix into the output, transport keys, heartbeats, uploads, the room picture, the
// name setting, layout and drawing.

#include "engine/TavrelDelayAudioProcessor.h"
#include "lounge/LoungeIds.h"
#include "tests/lounge/LoungeTestFiles.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/LoungeRoomTestAccess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <juce_cryptography/juce_cryptography.h>

namespace
{
using LoungeTestFiles::pumpUntil;

class LoungeRoomTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (server.isListening());
        processor.setRateAndBufferSizeDetails (48000.0, 512);
        server.serveText (LoungeIds::libraryRequest,
                          R"({"tapes":[{"username":"ann","track_name":"Night Drive","file_path":"tapes/night drive.ogg","duration_seconds":1},
                                       {"username":"bo","track_name":"Morning","file_path":"tapes/morning.ogg","duration_seconds":1}]})");
    }

    void TearDown() override
    {
        room.reset();
        // Jobs of the room end within their limits; none may outlive the test.
        EXPECT_TRUE (pumpUntil ([] { return LoungeRoomComponent::getRunningJobs() == 0; }, 20000));
        pumpUntil ([] { return false; }, 20);
    }

    LoungeRoomComponent& open (bool withServer = true)
    {
        room = LoungeRoomTestAccess::create (processor, LoungeRoomTestAccess::placesIn (folder.getFile(), withServer ? server.getAddress() : juce::String()));
        room->setSize (1280, 720);
        access = std::make_unique<LoungeRoomTestAccess> (*room);
        access->stopTimer(); // the tests tick it themselves
        return *room;
    }

    juce::File cacheFileFor (const juce::String& address) const
    {
        return getLoungeCacheFile (folder / "LoungeCache", address);
    }

    /** Runs one device block of constant level through the room's mix. */
    juce::AudioBuffer<float> block (float level = 0.0f)
    {
        juce::AudioBuffer<float> output (2, 512);
        for (int ch = 0; ch < 2; ++ch)
            juce::FloatVectorOperations::fill (output.getWritePointer (ch), level, 512);
        room->mixIntoOutput (output);
        return output;
    }

    void click (const juce::String& id)
    {
        access->button (id).triggerClick();
        pumpUntil ([] { return false; }, 30);
    }

    LoopbackHttpServer server;
    TempDir folder { "dravin8-lounge" };
    TavrelDelayAudioProcessor processor;
    std::unique_ptr<LoungeRoomComponent> room;
    std::unique_ptr<LoungeRoomTestAccess> access;
};
} // namespace

TEST_F (LoungeRoomTest, ListsTheLibraryAndPlaysAClickedTapeThroughTheCache)
{
    const auto tape = LoungeTestFiles::oggTape();
    server.serve ("lounge_api/tapes/night%20drive.ogg", tape);
    open();

    ASSERT_TRUE (pumpUntil ([&] { return access->tapes().size() == 2; }));
    EXPECT_EQ (access->tapeList().getModel()->getNumRows(), 2);

    access->clickRow (0);
    EXPECT_TRUE (access->isBusy());
    ASSERT_TRUE (pumpUntil ([&] { return ! access->isBusy(); }));

    // The cache file is named by the address as the room shows it, before escaping.
    const auto address = server.getAddress() + "lounge_api/tapes/night drive.ogg";
    const auto cache = cacheFileFor (address);
    EXPECT_EQ (cache.getFileName(), juce::MD5 (address.toUTF8()).toHexString() + ".ogg");
    EXPECT_EQ (cache.getSize(), (juce::int64) tape.getSize());
    EXPECT_TRUE (access->isPlaying());
    EXPECT_NEAR (access->tapeLength(), 1.0, 0.01);

    // The second click plays from the cache.
    access->clickRow (0);
    EXPECT_FALSE (access->isBusy());
    EXPECT_TRUE (access->isPlaying());
    EXPECT_EQ (server.countRequests ("lounge_api/tapes/night%20drive.ogg"), 1);

    // A row outside the list does nothing.
    access->clickRow (2);
    EXPECT_EQ (server.getRequests().size(), 3u);
}

TEST (LoungeCacheFile, IsTheLowerCaseMd5HexOfTheAddressPlusOgg)
{
    const juce::File folder ("/tmp/cache");
    // Known digests: RFC 1321's "abc", and the UTF-8 bytes of a non-ASCII address.
    EXPECT_EQ (getLoungeCacheFile (folder, "abc"), folder.getChildFile ("900150983cd24fb0d6963f7d28e17f72.ogg"));
    EXPECT_EQ (getLoungeCacheFile (folder, juce::String::fromUTF8 ("\xc3\xa9")).getFileName(), "66ddcd97cfdeabb2f6fb8a999b4bc76f.ogg");
    EXPECT_NE (getLoungeCacheFile (folder, "a b.ogg"), getLoungeCacheFile (folder, "a%20b.ogg"));
}

TEST_F (LoungeRoomTest, ACacheFileOf2000BytesIsFetchedAgainAndOneOf2001IsPlayed)
{
    open();
    const auto tape = LoungeTestFiles::oggTape();

    struct Case
    {
        juce::int64 cachedSize;
        bool fetched;
    };

    for (const auto c : { Case { 2000, true }, Case { 2001, false } })
    {
        const auto path = "lounge_api/t" + juce::String (c.cachedSize) + ".ogg";
        server.serve (path, tape);
        const auto cache = cacheFileFor (server.getAddress() + path);
        cache.getParentDirectory().createDirectory();
        ASSERT_TRUE (LoungeTestFiles::writeWavOfSize (cache, c.cachedSize)); // playable either way

        room->playTape (server.getAddress() + path);
        ASSERT_TRUE (pumpUntil ([&] { return ! access->isBusy(); }));

        EXPECT_EQ (server.countRequests (path), c.fetched ? 1 : 0) << c.cachedSize;
        EXPECT_EQ (cache.getSize(), c.fetched ? (juce::int64) tape.getSize() : c.cachedSize) << c.cachedSize;
        EXPECT_TRUE (access->isPlaying()) << c.cachedSize;
    }
}

TEST_F (LoungeRoomTest, OnlyAWholeDownloadOfMoreThan100BytesBecomesTheCacheFile)
{
    open();

    struct Case
    {
        const char* name;
        int status, size, bytesToSend;
        bool cached;
    };

    const Case cases[] = {
        { "100 bytes", 200, 100, -1, false },
        { "101 bytes", 200, 101, -1, true },
        { "error page", 404, 5000, -1, false },
        { "cut off", 200, 5000, 2500, false },
    };

    for (const auto& c : cases)
    {
        const auto path = "lounge_api/" + juce::String (c.name).replace (" ", "_");
        LoopbackHttpServer::Response r;
        r.status = c.status;
        r.body.setSize ((size_t) c.size, true);
        r.bytesToSend = c.bytesToSend;
        server.serve (path, r);

        const auto cache = cacheFileFor (server.getAddress() + path);
        room->playTape (server.getAddress() + path);
        ASSERT_TRUE (pumpUntil ([&] { return ! access->isBusy(); })) << c.name;

        EXPECT_EQ (cache.existsAsFile(), c.cached) << c.name;
        EXPECT_FALSE (cache.getSiblingFile (cache.getFileName() + ".temp").exists()) << c.name;
        EXPECT_FALSE (access->isPlaying()) << c.name << ": not audio";
    }
}

TEST_F (LoungeRoomTest, MixIntoOutputAddsThePlayerAtGain08)
{
    open (false);
    const auto file = folder / "level.wav";
    ASSERT_TRUE (LoungeTestFiles::writeWav (file, 48000 * 2, 0.5f));

    // No tape: the output stays as it was.
    EXPECT_FLOAT_EQ (block (0.1f).getSample (0, 100), 0.1f);

    room->playFile (file);
    ASSERT_TRUE (access->isPlaying());

    block (0.1f); // the first block after a load may find the read-ahead still filling
    const auto out = block (0.1f);

    for (int ch = 0; ch < 2; ++ch)
        for (int s = 0; s < 512; s += 37)
            EXPECT_NEAR (out.getSample (ch, s), 0.1f + 0.8f * 0.5f, 1.0e-4f) << ch << " " << s;

    // A mono output takes the first channel only; a longer block than any before still mixes.
    juce::AudioBuffer<float> mono (1, 4096);
    mono.clear();
    room->mixIntoOutput (mono);
    EXPECT_NEAR (mono.getSample (0, 4000), 0.4f, 1.0e-4f);
}

TEST_F (LoungeRoomTest, ItsBlocksAllocateNothingWhilePlayingNorAtTheEnd)
{
#if DRAVIN8_COUNT_ALLOCATIONS
    open (false);
    const auto file = folder / "level.wav";
    ASSERT_TRUE (LoungeTestFiles::writeWav (file, 48000 * 2, 0.5f));
    room->playFile (file);

    juce::AudioBuffer<float> output (2, 512);
    const auto countBlocks = [&] (int blocks)
    {
        allocationCount = 0;
        countingAllocations = true;
        for (int i = 0; i < blocks; ++i)
            room->mixIntoOutput (output);
        countingAllocations = false;
        return allocationCount;
    };

    EXPECT_EQ (countBlocks (20), 0);
    EXPECT_TRUE (access->player().isPlaying());

    access->player().setPosition (5.0); // past the end: the next block ends the stream
    EXPECT_EQ (countBlocks (3), 0);
    EXPECT_FALSE (access->player().isPlaying());
#else
    GTEST_SKIP() << "allocations cannot be counted in this build";
#endif
}

TEST_F (LoungeRoomTest, TheEndOfATapeRewindsItAndShowsStopAndPlayStartsItAgain)
{
    open (false);
    const auto file = folder / "ten.wav";
    ASSERT_TRUE (LoungeTestFiles::writeWav (file, 48000 * 10, 0.5f));
    room->playFile (file);
    block();

    // Back from 3 s goes to 0, not before it.
    access->player().setPosition (3.0);
    click (LoungeIds::rewButtonId);
    EXPECT_NEAR (access->position(), 0.0, 0.02);

    // Forward from 8 s passes the end; the next block ends the stream and mixes nothing.
    access->player().setPosition (8.0);
    click (LoungeIds::ffButtonId);
    EXPECT_NEAR (access->position(), 13.0, 0.02);
    EXPECT_FLOAT_EQ (block (0.1f).getSample (0, 10), 0.1f);
    access->tick();

    EXPECT_FALSE (access->isPlaying());
    EXPECT_FALSE (access->button (LoungeIds::playButtonId).getToggleState());
    EXPECT_TRUE (access->button (LoungeIds::stopButtonId).getToggleState());
    EXPECT_NEAR (access->position(), 0.0, 0.02);

    click (LoungeIds::playButtonId);
    EXPECT_TRUE (access->isPlaying());
    EXPECT_TRUE (access->button (LoungeIds::playButtonId).getToggleState());
    block();
    EXPECT_NEAR (block (0.0f).getSample (1, 300), 0.4f, 1.0e-4f);
    EXPECT_LT (access->position(), 0.1);

    // The tape running out by itself ends it the same way.
    access->player().setPosition (10.0 - 0.015);
    juce::Thread::sleep (200); // the read-ahead catches up with the jump, as it would in real time
    for (int i = 0; i < 4; ++i)
        block();
    access->tick();
    EXPECT_FALSE (access->isPlaying());
    EXPECT_TRUE (access->button (LoungeIds::stopButtonId).getToggleState());
    EXPECT_NEAR (access->position(), 0.0, 0.02);

    // A file no reader takes, loaded over a playing tape, leaves the player empty and stopped.
    click (LoungeIds::playButtonId);
    ASSERT_TRUE (access->isPlaying());
    const auto junk = folder / "junk.ogg";
    ASSERT_TRUE (junk.replaceWithText (juce::String::repeatedString ("not audio ", 500)));
    room->playFile (junk);
    block();
    access->tick();
    EXPECT_FALSE (access->isPlaying());
    EXPECT_FALSE (access->button (LoungeIds::playButtonId).getToggleState());
    click (LoungeIds::playButtonId);
    EXPECT_FALSE (access->isPlaying()) << "no tape: play does nothing";
}

TEST_F (LoungeRoomTest, StopReturnsAtOnceWhileTheDeviceRuns)
{
    open (false);
    const auto file = folder / "level.wav";
    ASSERT_TRUE (LoungeTestFiles::writeWav (file, 48000 * 10, 0.5f));
    room->playFile (file);

    // A device calling the room every 10 ms, as the console stage does.
    struct Device : juce::Thread
    {
        explicit Device (LoungeRoomComponent& r) : juce::Thread ("device"), room (r) {}
        void run() override
        {
            juce::AudioBuffer<float> buffer (2, 512);
            while (! threadShouldExit())
            {
                room.mixIntoOutput (buffer);
                sleep (10);
            }
        }
        LoungeRoomComponent& room;
    } device (*room);

    device.startThread();
    juce::Thread::sleep (100);

    const auto started = juce::Time::getMillisecondCounterHiRes();
    access->button (LoungeIds::stopButtonId).onClick();
    const auto took = juce::Time::getMillisecondCounterHiRes() - started;
    device.stopThread (1000);

    EXPECT_FALSE (access->isPlaying());
    EXPECT_LT (took, 600.0) << "the player waits for a block that fades it out (a second when none comes)";
    EXPECT_GT (access->position(), 0.05) << "stop keeps the place";
}

TEST_F (LoungeRoomTest, ThePlayerIsPreparedAgainOnlyForARateChangeAboveOneHertz)
{
    open (false);
    block();
    EXPECT_EQ (access->preparedRate(), 48000.0);

    processor.setRateAndBufferSizeDetails (48000.5, 512);
    block();
    EXPECT_EQ (access->preparedRate(), 48000.0);

    processor.setRateAndBufferSizeDetails (44100.0, 512);
    block();
    EXPECT_EQ (access->preparedRate(), 44100.0);
}

TEST_F (LoungeRoomTest, The167thTickAnnouncesTheRoomNameOrGuest)
{
    server.serveText (LoungeIds::heartbeatRequest, R"({"users":[{"username":"Ann","detail":"Mac"}]})");
    open();
    LoungeRoomTestAccess::resetHeartbeatCounter();
    access->nameEditor().setText ({});

    const auto heartbeats = [this] { return server.countRequests (LoungeIds::heartbeatRequest); };

    for (int round = 1; round <= 2; ++round)
    {
        for (int i = 0; i < 166; ++i)
            access->tick();

        pumpUntil ([] { return false; }, 150);
        EXPECT_EQ (heartbeats(), round - 1);

        access->tick();
        ASSERT_TRUE (pumpUntil ([&] { return heartbeats() == round; }));
    }

    const auto form = server.getRequests().back().body.toString();
    EXPECT_TRUE (form.contains ("username=Guest")) << form;
    EXPECT_TRUE (form.contains ("platform=Mac")) << form;
    EXPECT_TRUE (pumpUntil ([&] { return access->worker().getOnlineUsers().size() == 1; }));
}

TEST_F (LoungeRoomTest, AnUploadGoesOutAsAnonymousWithItsLengthAndRefreshesTheListWhenConfirmed)
{
    // The result opens a message box: a window, which needs a display.
    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
    {
        if (juce::SystemStats::getEnvironmentVariable ("DRAVIN8_REQUIRE_DISPLAY", {}) == "1")
            FAIL() << "no display";
        GTEST_SKIP() << "no display";
    }

    server.serveText (LoungeIds::uploadRequest, R"({"ok":true,"message":"Your tape is in the Lounge."})");
    open();
    ASSERT_TRUE (pumpUntil ([&] { return server.countRequests (LoungeIds::libraryRequest) == 1; }));
    access->nameEditor().setText ({});

    const auto mixdown = folder / "mixdown.wav";
    ASSERT_TRUE (LoungeTestFiles::writeWav (mixdown, 48000 * 3 + 100, 0.2f, 16));

    room->uploadMixdown (mixdown.getFullPathName(), "Ann - Night Drive");
    EXPECT_TRUE (access->isBusy());

    const auto findAlert = []() -> juce::AlertWindow*
    {
        for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
            if (auto* alert = dynamic_cast<juce::AlertWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
                return alert;
        return nullptr;
    };

    ASSERT_TRUE (pumpUntil ([&] { return findAlert() != nullptr; }));
    EXPECT_FALSE (access->isBusy());
    EXPECT_EQ (findAlert()->getName(), LoungeIds::uploadComplete);

    const auto form = server.getRequests().back().body.toString();
    for (auto part : { "Anonymous", "Ann - Night Drive", "filename=\"mixdown.wav\"" })
        EXPECT_TRUE (form.contains (part)) << part;
    EXPECT_TRUE (form.fromFirstOccurrenceOf ("name=\"duration_seconds\"", false, false).trim().startsWith ("3"));

    findAlert()->exitModalState (1);
    EXPECT_TRUE (pumpUntil ([&] { return server.countRequests (LoungeIds::libraryRequest) == 2; }));
    EXPECT_TRUE (pumpUntil ([&] { return findAlert() == nullptr; }));
}

TEST_F (LoungeRoomTest, TheRoomPictureIsFetchedWhenMissingOrDamagedAndOnlyWhenWhole)
{
    const auto picture = LoungeTestFiles::roomPicture();
    ASSERT_GT (picture.getSize(), 4000u);
    const auto file = folder / "lounge_bgv2.png";

    struct Case
    {
        const char* name;
        int existingBytes;  // -1: no file yet
        int bytesToSend;    // -1: all of it
        bool shown;
    };

    const Case cases[] = {
        { "missing", -1, -1, true },
        { "truncated on disk", (int) picture.getSize() / 2, -1, true },
        { "cut off by the server", -1, (int) picture.getSize() / 2, false },
        { "whole on disk", (int) picture.getSize(), 0, true }, // never asked for
    };

    for (const auto& c : cases)
    {
        file.deleteFile();
        if (c.existingBytes >= 0)
        {
            ASSERT_TRUE (file.replaceWithData (picture.getData(), (size_t) c.existingBytes));
        }

        LoopbackHttpServer::Response r;
        r.body = picture;
        r.contentType = "image/png";
        r.bytesToSend = c.bytesToSend;
        server.serve (LoungeIds::pictureRequest, r);
        const auto before = server.countRequests (LoungeIds::pictureRequest);

        open();
        ASSERT_TRUE (pumpUntil ([] { return LoungeRoomComponent::getRunningJobs() == 0; })) << c.name;
        pumpUntil ([] { return false; }, 30);

        EXPECT_EQ (access->background().isValid(), c.shown) << c.name;
        EXPECT_EQ (file.getSize(), c.shown ? (juce::int64) picture.getSize() : 0) << c.name;
        EXPECT_EQ (server.countRequests (LoungeIds::pictureRequest) - before, c.existingBytes == (int) picture.getSize() ? 0 : 1) << c.name;
        EXPECT_FALSE (file.getSiblingFile ("lounge_bgv2.png.temp").exists()) << c.name;
    }
}

TEST_F (LoungeRoomTest, TheRoomNameIsKeptInTheRoomsSettings)
{
    open (false);
    EXPECT_EQ (access->nameEditor().getText(), "Guest");

    access->nameEditor().setText ("Ann");
    room->saveUserName();
    {
        const juce::ScopedLock sl (access->worker().lock);
        EXPECT_EQ (access->worker().currentUserName, "Ann");
    }

    open (false);
    EXPECT_EQ (access->nameEditor().getText(), "Ann");
    const auto xml = juce::XmlDocument::parse (folder / "Velmora_Lounge.settings");
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->toString().contains ("lounge_username"));
}

TEST_F (LoungeRoomTest, LayoutFollowsTheDesignScaledToTheHeightAndCentred)
{
    open (false);
    room->setSize (2000, 1000); // twice as wide as high: the height sets the scale
    const auto s = 1000.0f / 1080.0f;
    const auto b = (int) (50 * s), g = (int) (8 * s), h = (int) (30 * s);
    const auto x0 = (int) ((2000 - 1920 * s) / 2 + 745 * s + 435 * s / 2 - (5 * b + 4 * g) / 2.0f);
    const auto y = (int) ((1000 - 1080 * s) / 2 + 830 * s) - (int) (60 * s) - h;

    const char* order[] = { LoungeIds::rtzButtonId, LoungeIds::rewButtonId, LoungeIds::stopButtonId, LoungeIds::playButtonId, LoungeIds::ffButtonId };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (access->button (order[i]).getBounds(), juce::Rectangle<int> (x0 + i * (b + g), y, b, h)) << order[i];

    EXPECT_EQ (access->tapeList().getBounds(), juce::Rectangle<int> (0, 850, 2000, 150));
    EXPECT_EQ (access->exitButton().getBounds(), juce::Rectangle<int> (20, 20, 100, 30));
    EXPECT_EQ (access->nameEditor().getBounds(), juce::Rectangle<int> (1830, 20, 150, 24));
    EXPECT_EQ (access->exitButton().getButtonText(), "Exit Room");

    room->setSize (400, 100); // shorter than the list
    EXPECT_EQ (access->tapeList().getBounds(), juce::Rectangle<int> (0, 0, 400, 100));

    access->exitButton().triggerClick();
    EXPECT_TRUE (pumpUntil ([&] { return ! room->isVisible(); }, 1000));
}

TEST (LoungeRoomTime, FormatsMinutesAndSeconds)
{
    const std::pair<double, const char*> cases[] = {
        { 0.0, "00:00" }, { 65.0, "01:05" }, { 187.9, "03:07" }, { 5999.0, "99:59" }, { 6000.0, "100:00" },
    };

    for (auto [seconds, text] : cases)
        EXPECT_EQ (LoungeRoomComponent::formatTime (seconds), text) << seconds;
}

TEST_F (LoungeRoomTest, DrawsTheMachineWithTheCounterAndTheUsersPresent)
{
    server.serveText (LoungeIds::heartbeatRequest, R"({"users":[{"username":"Ann","detail":"Mac"},{"username":"Bo","detail":"Linux"}]})");
    open();
    room->setSize (1920, 1080);
    ASSERT_TRUE (pumpUntil ([&] { return access->tapes().size() == 2; }));
    access->tapeList().selectRow (0);
    access->worker().requestHeartbeat ("Guest", "Mac");
    ASSERT_TRUE (pumpUntil ([&] { return access->worker().getOnlineUsers().size() == 2; }));

    // A tape of 3:07, 65 seconds in, running.
    const auto file = folder / "long.wav";
    ASSERT_TRUE (LoungeTestFiles::writeWav (file, 8000 * 187, 0.1f, 8, 1, 8000.0));
    room->playFile (file);
    block();
    access->player().setPosition (65.0);
    for (int i = 0; i < 40; ++i)
        access->tick();

    const auto image = room->createComponentSnapshot (room->getLocalBounds());

    // Plain room colour where nothing is drawn; the black counter with its red digits.
    EXPECT_EQ (image.getPixelAt (600, 200).getARGB(), 0xff321e0fu);
    const auto counterX = 962, counterY = 320 + 360 + 3;
    EXPECT_EQ (image.getPixelAt (counterX - 66, counterY).getARGB(), 0xff000000u);

    int red = 0;
    for (int x = counterX - 60; x < counterX + 60; ++x)
        for (int y = counterY; y < counterY + 30; ++y)
            red += image.getPixelAt (x, y).getRed() > 150 && image.getPixelAt (x, y).getGreen() < 80 ? 1 : 0;
    EXPECT_GT (red, 50);
    EXPECT_EQ (LoungeRoomComponent::formatTime (access->position()) + " / " + LoungeRoomComponent::formatTime (access->tapeLength()),
               "01:05 / 03:07");

    if (const auto dir = juce::SystemStats::getEnvironmentVariable ("DRAVIN8_SCREENSHOT_DIR", {}); dir.isNotEmpty())
    {
        const auto png = juce::File (dir).getChildFile ("lounge.png");
        png.deleteFile();
        juce::FileOutputStream out (png);
        juce::PNGImageFormat().writeImageToStream (image, out);
    }
}

TEST (LoungePlaces, TheServerAddressIsASettingBesideTheRoomName)
{
    // The test main points the per-user folder into a sandbox; the maker's folder is above it.
    auto places = LoungePlaces::standard();
    EXPECT_EQ (places.settingsFile.getFileName(), "Velmora_Lounge.settings");
    EXPECT_EQ (places.settingsFile.getParentDirectory(), LoungePlacesFiles::getMakerFolder());
    EXPECT_EQ (places.cacheFolder, LoungePlacesFiles::getMakerFolder().getChildFile ("LoungeCache"));
    EXPECT_TRUE (places.serverAddress.isEmpty()) << "no server unless one is set";

    LoungePlacesFiles::openSettings (places.settingsFile)->setValue (LoungeIds::serverSetting, "http://127.0.0.1:9/");
    EXPECT_EQ (LoungePlaces::standard().serverAddress, "http://127.0.0.1:9/");

    EXPECT_TRUE (getLoungeCacheFolder().isDirectory());
    places.settingsFile.deleteFile();
}
