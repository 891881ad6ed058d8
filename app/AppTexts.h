#pragma once

// The application shell's own names and texts. Code and tests both use these.
namespace AppTexts
{
inline constexpr const char* applicationName = "Velmora Dravin 8";
inline constexpr const char* applicationVersion = "2.2";
inline constexpr const char* deviceSettingsFile = "audio_device_settings.xml";
inline constexpr const char* deviceSetupTag = "DEVICESETUP";
inline constexpr const char* untitledReel = "Untitled";

// Quitting
inline constexpr const char* saveChangesTitle = "Save Changes?";
inline constexpr const char* saveChangesMessageStart = "Do you want to save changes to '";
inline constexpr const char* saveChangesMessageEnd = "' before quitting?";
inline constexpr const char* saveButton = "Save";
inline constexpr const char* dontSaveButton = "Don't Save";
inline constexpr const char* cancelButton = "Cancel";
inline constexpr const char* savingBeforeQuitTitle = "Saving before quit...";
inline constexpr const char* savingStatus = "Writing audio to disk...";
inline constexpr const char* saveFailedTitle = "Save Failed";
inline constexpr const char* saveFailedMessage = "The reel could not be saved, so Dravin 8 stays open.";

// Opening a file given on the command line
inline constexpr const char* missingAudioTitle = "Missing Audio Files";
inline constexpr const char* missingAudioMessage =
    "This .reel file is just a session pointer and has been separated from its audio folder.\n\n"
    "To share projects over email or AirDrop, please use the 'Backup Zip' option in the Tape Room.";
inline constexpr const char* importFailedTitle = "Import Failed";
inline constexpr const char* openFailedTitle = "Reel Not Found";
inline constexpr const char* okButton = "OK";
} // namespace AppTexts
