#pragma once

// Names the sharing room shares with its server, its settings file and its tests.
namespace LoungeIds
{
// Requests below the server's address.
inline constexpr const char* apiFolder = "lounge_api/";
inline constexpr const char* libraryRequest = "lounge_api/get_library.php";
inline constexpr const char* heartbeatRequest = "lounge_api/heartbeat.php";
inline constexpr const char* uploadRequest = "lounge_api/upload.php";
inline constexpr const char* pictureRequest = "lounge_api/lounge_bgv2.png";

// Library answer.
inline constexpr const char* tapesKey = "tapes";
inline constexpr const char* userNameKey = "username";
inline constexpr const char* trackNameKey = "track_name";
inline constexpr const char* filePathKey = "file_path";
inline constexpr const char* durationKey = "duration_seconds";

// Heartbeat request and answer, upload request and answer.
inline constexpr const char* platformKey = "platform";
inline constexpr const char* usersKey = "users";
inline constexpr const char* detailKey = "detail";
inline constexpr const char* titleKey = "title";
inline constexpr const char* audioFileKey = "audio";
inline constexpr const char* okKey = "ok";
inline constexpr const char* messageKey = "message";

// Settings file of the room, in the maker's folder.
inline constexpr const char* settingsName = "Velmora_Lounge";
inline constexpr const char* settingsSuffix = ".settings";
inline constexpr const char* makerFolderName = "Velmora";
inline constexpr const char* userNameSetting = "lounge_username";
inline constexpr const char* serverSetting = "lounge_server"; // base address of the room's server; empty: no server

// Files.
inline constexpr const char* cacheFolderName = "LoungeCache";
inline constexpr const char* cacheExtension = ".ogg";
inline constexpr const char* downloadSuffix = ".temp";
inline constexpr const char* pictureFileName = "lounge_bgv2.png";

// Components.
inline constexpr const char* tapeListName = "TapeList";
inline constexpr const char* playButtonId = "play_button";
inline constexpr const char* stopButtonId = "stop_button";
inline constexpr const char* rewButtonId = "rew_button";
inline constexpr const char* ffButtonId = "ff_button";
inline constexpr const char* rtzButtonId = "rtz_button";

// Texts.
inline constexpr const char* exitText = "Exit Room";
inline constexpr const char* namePlaceholder = "Enter Name...";
inline constexpr const char* guestName = "Guest";
inline constexpr const char* anonymousName = "Anonymous";
inline constexpr const char* platformName = "Mac";
inline constexpr const char* usersOnline = "Users Online: ";
inline constexpr const char* justYou = "Just You...";
inline constexpr const char* uploadComplete = "Upload Complete";
inline constexpr const char* uploadFailed = "Upload Failed";
} // namespace LoungeIds
