#pragma once

#include "engine/ParameterIds.h"

// Identifiers of the built-in effect editors' controls. Knobs carry theirs as component IDs; in
// parameter mode (the aux returns) a control binds to the processor parameter of the same name
// when there is one (the reverb, echo and multi-effect ones).
namespace EffectEditorIds
{
inline constexpr const char* INT_REV_TYPE = ParameterIds::INT_REV_TYPE;
inline constexpr const char* INT_REV_DECAY = ParameterIds::INT_REV_DECAY;
inline constexpr const char* INT_REV_DAMP = ParameterIds::INT_REV_DAMP;
inline constexpr const char* INT_REV_MIX = ParameterIds::INT_REV_MIX;
inline constexpr const char* INT_REV_PAN = ParameterIds::INT_REV_PAN;
inline constexpr const char* INT_ECHO_AGE = ParameterIds::INT_ECHO_AGE;
inline constexpr const char* INT_ECHO_DRIVE = ParameterIds::INT_ECHO_DRIVE;
inline constexpr const char* INT_ECHO_TIME = ParameterIds::INT_ECHO_TIME;
inline constexpr const char* INT_ECHO_FB = ParameterIds::INT_ECHO_FB;
inline constexpr const char* INT_ECHO_MIX = ParameterIds::INT_ECHO_MIX;
inline constexpr const char* INT_ECHO_PAN = ParameterIds::INT_ECHO_PAN;
inline constexpr const char* INT_ECHO_SYNC = ParameterIds::INT_ECHO_SYNC;
inline constexpr const char* INT_LA_MODE = "INT_LA_MODE";
inline constexpr const char* INT_LA_GAIN = "INT_LA_GAIN";
inline constexpr const char* INT_LA_PEAK = "INT_LA_PEAK";
inline constexpr const char* INT_GN_LVL = "INT_GN_LVL";
inline constexpr const char* INT_MFX_TYPE = ParameterIds::INT_MFX_TYPE;
inline constexpr const char* INT_MFX_P1 = ParameterIds::INT_MFX_P1;
inline constexpr const char* INT_MFX_P2 = ParameterIds::INT_MFX_P2;
inline constexpr const char* INT_MFX_SYNC = ParameterIds::INT_MFX_SYNC;
inline constexpr const char* INT_FET_RATIO = "INT_FET_RATIO";
inline constexpr const char* INT_FET_IN = "INT_FET_IN";
inline constexpr const char* INT_FET_OUT = "INT_FET_OUT";
inline constexpr const char* INT_FET_ATT = "INT_FET_ATT";
inline constexpr const char* INT_FET_REL = "INT_FET_REL";
} // namespace EffectEditorIds
