#include "engine/BlockParameters.h"

#include "engine/ParameterIds.h"

BlockParameters::BlockParameters (juce::AudioProcessorValueTreeState& parameters)
{
    using namespace ParameterIds;
    const auto raw = [&parameters] (const char* id) { return parameters.getRawParameterValue (id); };

    time = raw (TIME);
    drive = raw (DRIVE);
    age = raw (AGE);
    noise = raw (NOISE);
    wow = raw (WOW);
    disableElastic = raw (DISABLE_ELASTIC);
    flutter = raw (FLUTTER);
    format = raw (FORMAT);
    varispeed = raw (VARISPEED);
    reverse = raw (REVERSE);
    digitalFinger = raw (DIGITAL_FINGER);
    soundOnSound = raw (SOUND_ON_SOUND);
    degradeOn = raw (DEGRADE_ON);
    degradeRate = raw (DEGRADE_RATE);
    armGrab = raw (ARM_GRAB);
    armAngle = raw (ARM_ANGLE);
    disableNoise = raw (DISABLE_NOISE);
    scrub = raw (SCRUB);
    recOffset = raw (REC_OFFSET);
    directMon = raw (DIRECT_MON);
    syncLock = raw (SYNC_LOCK);
    punchIn = raw (PUNCH_IN);
    clickVol = raw (CLICK_VOL);
    masterVol = raw (MASTER_VOL);
    aux1Return = raw (AUX1_RETURN);
    aux2Return = raw (AUX2_RETURN);
    aux1Pan = raw (AUX1_PAN);
    aux2Pan = raw (AUX2_PAN);
    aux1Mute = raw (AUX1_MUTE);
    aux2Mute = raw (AUX2_MUTE);
    revType = raw (INT_REV_TYPE);
    revDecay = raw (INT_REV_DECAY);
    revDamp = raw (INT_REV_DAMP);
    revMix = raw (INT_REV_MIX);
    revPan = raw (INT_REV_PAN);
    echoTime = raw (INT_ECHO_TIME);
    echoFb = raw (INT_ECHO_FB);
    echoAge = raw (INT_ECHO_AGE);
    echoMix = raw (INT_ECHO_MIX);
    echoPan = raw (INT_ECHO_PAN);
    echoSync = raw (INT_ECHO_SYNC);

    for (int channel = 0; channel < (int)channelVolumes.size(); ++channel)
        channelVolumes[(size_t)channel] = parameters.getParameter (forChannelVolume (channel));
}
