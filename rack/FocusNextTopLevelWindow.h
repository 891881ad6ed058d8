#pragma once

/** Ctrl+Tab / Alt+Tab of the secondary windows: brings the top-level window after the active one
    (wrapping to the first; the first when none is active) to the front with keyboard focus. Does
    nothing while at most one top-level window exists. */
void focusNextTopLevelWindow();
