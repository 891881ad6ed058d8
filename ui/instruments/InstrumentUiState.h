#pragma once

// Stand-in until the shared header arrives on main.
namespace InstrumentUiState
{
inline bool keyboardShown = false;
inline int keyWidth = 35;
} // namespace InstrumentUiState
