#!/usr/bin/env bash
# Builds the editor tests and writes one PNG per screen, drawn at 1360 x 906 by the program's own
# components, into docs/screenshots/. The screens are listed in tests/editor/ScreenshotsTest.cpp:
# a new screen is one line there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"
out="$root/docs/screenshots"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" --target dravin8_tests_editor
bash "$root/scripts/build.sh" --target dravin8_tests_rackui
bash "$root/scripts/build.sh" --target dravin8_tests_flows
bash "$root/scripts/build.sh" --target dravin8_tests_exports
bash "$root/scripts/build.sh" --target dravin8_tests_settings
bash "$root/scripts/build.sh" --target dravin8_tests_deck
bash "$root/scripts/build.sh" --target dravin8_tests_rackwin
bash "$root/scripts/build.sh" --target dravin8_tests_instrumentui

mkdir -p "$out"
# The tests run with a fresh per-user and music folder of their own, so the pictures never show
# the machine's own reels or settings.
DRAVIN8_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    "$build_dir/tests/dravin8_tests_editor" --gtest_filter='*EveryScreenDraws*'
# The rack's windows (plug-in manager, rack units, effect editors, equaliser display) draw theirs
# from their own tests.
DRAVIN8_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    "$build_dir/tests/dravin8_tests_rackui"

# The studio rack on its panel and the master insert window.
DRAVIN8_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    "$build_dir/tests/dravin8_tests_rackwin" --gtest_filter='RackScreens.*'

# The menu bar, the reel dialogs and the flows' windows (about, performance, reorder, theme).
DRAVIN8_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    "$build_dir/tests/dravin8_tests_flows" --gtest_filter='*FlowScreensDraw*'

# The export panel, the bounce and batch-import questions and the import panel.
DRAVIN8_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    "$build_dir/tests/dravin8_tests_exports" --gtest_filter='*ExportScreensDraw*'

# The settings panel's pages and the audio device window.
DRAVIN8_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    "$build_dir/tests/dravin8_tests_settings" --gtest_filter='*SettingsScreensDraw*'

# The deck at work (tape running, strip painted) in both interfaces, and the machine close up.
DRAVIN8_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    "$build_dir/tests/dravin8_tests_deck" --gtest_filter='*DeckScreensDraw*'

# The instrument editors in both looks (the synthesizers with and without their keyboard
# strip), the keyboard strip, the musical keyboard window, the slide instrument's performance
# window, the rhythm machine's sequencer and drum pads, and the stage keyboard in its window.
DRAVIN8_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    "$build_dir/tests/dravin8_tests_instrumentui" \
    --gtest_filter='*SynthScreensDraw*:*InstrumentKeysScreensDraw*:TannerinScreens.*:RhythmScreensDraw.*:*InstrumentScreensDraw*'

ls -1 "$out"/*.png
