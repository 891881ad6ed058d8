#pragma once

/** Process-wide values of the instrument editors, never saved. */
namespace InstrumentUiState
{
inline bool keyboardShown = false;
inline int keyWidth = 35;
} // namespace InstrumentUiState
