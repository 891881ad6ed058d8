#pragma once

// Command numbers of the main menu bar and the editor's command dispatcher
// (TavrelDelayAudioProcessorEditor::handleMenuCommand). The menu items carry them as item IDs and
// a few shortcuts send them too, so menu, dispatcher and tests share this one list.
namespace MenuCommands
{
enum : int
{
    importAudio = 1,
    bounceMix = 2,
    closeReel = 3,
    saveReel = 4,
    saveAs = 5,
    openReel = 6,
    undo = 7,
    cutLoop = 8,
    clearLoopPoints = 9,
    clearTapeDefects = 10,
    clearMidiMap = 11,
    saveState2 = 12,
    saveState3 = 13,
    saveState4 = 14,
    loadSlot1 = 15,
    loadSlot2 = 16,
    loadSlot3 = 17,
    loadSlot4 = 18,
    closeReelToo = 19,
    maskingTape = 20,
    dustCover = 21,
    waveforms = 22,
    tooltips = 23,
    settings = 24,
    switchInterface = 25,
    themeColours = 26,
    lightDarkTheme = 27,
    eraseTrack = 28,
    clearTrackAutomation = 29,
    reorderTracks = 30,
    createGroup = 31,
    renameGroups = 32,
    deleteAllGroups = 33,
    play = 34,
    stop = 35,
    record = 36,
    rewind = 37,
    fastForward = 38,
    returnToZero = 39,
    loop = 40,
    loopIn = 41,
    loopOut = 42,
    metronome = 43,
    metronomeSettings = 44,
    monitorMute = 45,
    lowCpuMode = 46,
    autoWear = 47,
    soundOnSound = 48,
    reverseTape = 49,
    autoDisarm = 50,
    momentaryWind = 51,
    varispeedSnap = 52,
    tapeHiss = 53,
    betaFeedback = 54,
    about = 55,
    musicalKeyboard = 56,
    libraryFolder = 57,
    performanceMonitor = 58,
    thirdPartyPlugins = 59,
    lastTableCommand = 59,

    loadMainMix = 3000,

    // Handled by the menu bar itself.
    quit = 4097,
    eraseTrackPicker = 5001,
    clearAutomationPicker = 5002,
    pluginManager = 8001,

    // Group assignment: 7000 + 100 x group + 0-based channel.
    groupAssignBase = 7000,
    firstGroupAssign = 7100,
    lastGroupAssign = 7899
};

/** The item of "Assign Tracks..." that puts track (1-based) into group (1 to 8). */
constexpr int groupAssignItem (int group, int track) noexcept
{
    return groupAssignBase + 100 * group + (track - 1);
}
} // namespace MenuCommands
