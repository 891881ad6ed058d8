// Loop points and the loop cut. Not built yet: the operations change nothing.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::setLoopInHere() {}

void TavrelDelayAudioProcessor::setLoopOutHere() {}

void TavrelDelayAudioProcessor::toggleLoop() {}

void TavrelDelayAudioProcessor::clearLoopPoints() {}

void TavrelDelayAudioProcessor::cutLoopRegion() {}
