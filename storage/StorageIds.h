#pragma once

// File, folder, XML and fixed names of the reel library and the reel folders. Code and tests
// both use these, so a renamed file cannot drift between writer and reader.
namespace StorageIds
{
// Per-user folder and library root
inline constexpr const char* libraryPathFile = "library_path.txt";
inline constexpr const char* shelfLayoutFile = "shelf_layout.xml";
inline constexpr const char* defaultRootVendorFolder = "Velmora";
inline constexpr const char* defaultRootProductFolder = "Dravin 8";
inline constexpr const char* defaultRootReelsFolder = "Reels";

// "shelf_layout.xml"
inline constexpr const char* layoutTag = "LAYOUT";
inline constexpr const char* layoutReelTag = "REEL";
inline constexpr const char* layoutNameAttribute = "name";
inline constexpr const char* layoutSlotAttribute = "slot";

// Reel folder
inline constexpr const char* settingsFile = "settings.xml";
inline constexpr const char* automationFile = "automation.xml";
inline constexpr const char* defectsFile = "defects.gz";
inline constexpr const char* pointerExtension = ".reel";
inline constexpr const char* pointerText = "Velmora Dravin 8 Session Pointer";
inline constexpr const char* trackFilePrefix = "track_";
inline constexpr const char* recoveryFolder = "Recovery";
inline constexpr const char* autoSaveFolder = "State_1_Auto";
inline constexpr const char* snapshotFolderPrefix = "State_";
inline constexpr const char* bouncesFolder = "Bounces";

// Reel attributes of "settings.xml" and their defaults when missing
inline constexpr const char* numTracksAttribute = "numTracks";
inline constexpr const char* sampleRateAttribute = "sampleRate";
inline constexpr const char* reelLengthAttribute = "reelLength";
inline constexpr const char* tapePositionAttribute = "tapePosition";
inline constexpr const char* zeroOffsetAttribute = "zeroOffset";
inline constexpr int defaultNumTracks = 8;
inline constexpr double defaultSampleRate = 44100.0;
inline constexpr double defaultReelLength = 600.0;

// Scratch reel names: an open reel without a folder of its own, and one loaded from its
// recovery copy.
inline constexpr const char* untitledReelName = "Untitled";
inline constexpr const char* recoveredSuffix = "(Recovered)";
} // namespace StorageIds
