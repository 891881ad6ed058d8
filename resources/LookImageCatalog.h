#pragma once

// The pictures the looks and the deck draw, generated at build time by
// resources/tools/MakeLookImages.cpp and embedded in the program as PNG files. This list is
// shared by the generator and the program: the index of an entry is its LookImageId.

enum class LookImageId
{
    knobStripDefault,
    knobStripEq,
    knobStripAuxPan,
    faderCap,
    sliderThumb,
    panelButton,
    panelButtonLit,
    reel,
    playCap,
    playCapLit,
    stopCap,
    stopCapLit,
    recCap,
    recCapLit,
    rewCap,
    rewCapLit,
    ffCap,
    ffCapLit,
    rtzCap,
    rtzCapLit,
    zeroCap,
    zeroCapLit,
    dustCover,
    deckArtwork,
    maskingTape,
    tapeRoomBackdrop,
    instrumentBackground,
    count
};

struct LookImageSpec
{
    LookImageId id;
    const char* name; // file stem of the generated PNG
    int width, height;
};

inline constexpr LookImageSpec lookImageSpecs[] = {
    {LookImageId::knobStripDefault, "knob_strip_default", 128, 16384},
    {LookImageId::knobStripEq, "knob_strip_eq", 128, 16384},
    {LookImageId::knobStripAuxPan, "knob_strip_aux_pan", 128, 16384},
    {LookImageId::faderCap, "fader_cap", 90, 136},
    {LookImageId::sliderThumb, "slider_thumb", 50, 50},
    {LookImageId::panelButton, "panel_button", 96, 60},
    {LookImageId::panelButtonLit, "panel_button_lit", 96, 60},
    {LookImageId::reel, "reel", 600, 600},
    {LookImageId::playCap, "play_cap", 100, 70},
    {LookImageId::playCapLit, "play_cap_lit", 100, 70},
    {LookImageId::stopCap, "stop_cap", 100, 70},
    {LookImageId::stopCapLit, "stop_cap_lit", 100, 70},
    {LookImageId::recCap, "rec_cap", 100, 70},
    {LookImageId::recCapLit, "rec_cap_lit", 100, 70},
    {LookImageId::rewCap, "rew_cap", 100, 70},
    {LookImageId::rewCapLit, "rew_cap_lit", 100, 70},
    {LookImageId::ffCap, "ff_cap", 100, 70},
    {LookImageId::ffCapLit, "ff_cap_lit", 100, 70},
    {LookImageId::rtzCap, "rtz_cap", 100, 70},
    {LookImageId::rtzCapLit, "rtz_cap_lit", 100, 70},
    {LookImageId::zeroCap, "zero_cap", 100, 70},
    {LookImageId::zeroCapLit, "zero_cap_lit", 100, 70},
    {LookImageId::dustCover, "dust_cover", 3000, 2000},
    {LookImageId::deckArtwork, "deck_artwork", 3000, 2000},
    {LookImageId::maskingTape, "masking_tape", 3000, 2000},
    {LookImageId::tapeRoomBackdrop, "tape_room_backdrop", 1536, 1024},
    {LookImageId::instrumentBackground, "instrument_background", 1920, 971},
};

static_assert (sizeof (lookImageSpecs) / sizeof (lookImageSpecs[0]) == (int)LookImageId::count,
               "one spec per picture");

/** The embedded PNG bytes of one picture (defined in the generated source). Size 0 when the
    picture is missing. */
struct LookImageBytes
{
    const void* data;
    int size;
};

LookImageBytes getLookImageBytes (LookImageId id) noexcept;
