// The update check job. Not built yet (and not launched): it finds nothing.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::checkForUpdates() {}
