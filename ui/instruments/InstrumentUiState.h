#pragma once

/** What the instrument windows remember while the program runs (never saved). */
namespace InstrumentUiState
{
/** Whether instrument editors with a keyboard strip open with it shown. */
inline bool keyboardShown = false;

/** The white-key width of the on-screen keyboards, in pixels. */
inline int keyWidth = 35;
} // namespace InstrumentUiState
