#pragma once

// The tape room's own texts: its buttons, dialogs and notices. Code and tests both use these.
namespace TapeRoomTexts
{
// Dialog fields.
inline constexpr const char* nameField = "name";
inline constexpr const char* lengthField = "len";
inline constexpr const char* tracksField = "tracks";
inline constexpr const char* statsLabel = "stats";

// New tape.
inline constexpr const char* newTapeTitle = "Create New Reel";
inline constexpr const char* newTapeMessage = "Configure your new tape:";
inline constexpr const char* defaultNewName = "New Tape";
inline constexpr const char* emptyNameFallback = "Untitled Tape";
inline constexpr const char* createButton = "Create";
inline constexpr const char* cancelButton = "Cancel";
inline constexpr const char* defaultDevice = "Default Device";
inline constexpr const char* deviceTooltip = "Click to change audio device or sample rate.";
inline constexpr const char* formatRestrictionTitle = "Format Restriction";
inline constexpr const char* formatRestrictionMessage =
    "High sample rates (88k/96k) are not supported for 16/24 track reels due to memory limits.\n\n"
    "Creating at 48kHz instead.";

// Names.
inline constexpr const char* nameTakenTitle = "Name Taken";
inline constexpr const char* nameTakenMessage = "A tape with this name already exists.";
inline constexpr const char* invalidNameTitle = "Invalid Name";
inline constexpr const char* tapeNotCreatedTitle = "Tape Not Created";

// Rename, duplicate, delete.
inline constexpr const char* renameTitle = "Rename Tape";
inline constexpr const char* renameMessageStart = "Enter new name for: ";
inline constexpr const char* renameButton = "Rename";
inline constexpr const char* renameFailedTitle = "Rename Failed";
inline constexpr const char* duplicateTitle = "Duplicate Tape";
inline constexpr const char* duplicateMessage = "Enter name for the duplicated tape:";
inline constexpr const char* duplicateSuffix = " Copy";
inline constexpr const char* duplicateButton = "Duplicate";
inline constexpr const char* duplicateFailedTitle = "Duplicate Failed";
inline constexpr const char* deleteTitle = "Delete Tape";
inline constexpr const char* deleteMessageStart = "Are you absolutely sure you want to delete '";
inline constexpr const char* deleteMessageEnd = "'?\nThis cannot be undone.";
inline constexpr const char* deleteButton = "Delete Forever";

// Opening and importing.
inline constexpr const char* missingAudioTitle = "Missing Audio";
inline constexpr const char* missingAudioMessage = "This is a pointer file missing its audio folder.";
inline constexpr const char* importFailedTitle = "Import Failed";

// Choosers.
inline constexpr const char* openChooserTitle = "Open Reel";
inline constexpr const char* openPatterns = "*.reel;*.zip";
inline constexpr const char* backupChooserTitle = "Backup Reel";
inline constexpr const char* backupPattern = "*.reel";
inline constexpr const char* libraryChooserTitle = "Select New Library Folder";

// The maker's beta page, opened by UPDATE AVAILABLE.
inline constexpr const char* betaPageAddress = "https://www.velmora.invalid/beta";
} // namespace TapeRoomTexts
