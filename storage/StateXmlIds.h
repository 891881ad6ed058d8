#pragma once

// Element and attribute names of the processor's stored state: the rack element, its
// instrument and insert entries, routing, and the fader automation element. These names are
// the reel's file format: never rename one, or older reels stop reading.
namespace StateXmlIds
{
// The rack element
inline constexpr const char* RACK_STATE = "RACK_STATE";
inline constexpr const char* aux1BuiltIn = "aux1BuiltIn";
inline constexpr const char* aux2BuiltIn = "aux2BuiltIn";
inline constexpr const char* builtInInstrument = "builtInInstrument"; // read only, from older reels
inline constexpr const char* INSTRUMENTS = "INSTRUMENTS";
inline constexpr const char* INSTRUMENT = "INSTRUMENT";
inline constexpr const char* BUILTIN_INSTRUMENT = "BUILTIN_INSTRUMENT";
inline constexpr const char* AUX1 = "AUX1";
inline constexpr const char* AUX2 = "AUX2";
inline constexpr const char* INSERTS = "INSERTS";
inline constexpr const char* TRACK_INSERTS = "TRACK_INSERTS";
inline constexpr const char* MASTER_INSERTS = "MASTER_INSERTS";
inline constexpr const char* INSERT_PLUGIN = "INSERT_PLUGIN";
inline constexpr const char* TRACK_PLUGIN = "TRACK_PLUGIN";
inline constexpr const char* MASTER_PLUGIN = "MASTER_PLUGIN";
inline constexpr const char* builtInPrefix = "BUILTIN_";
inline constexpr const char* ROUTING = "ROUTING";
inline constexpr const char* trackPrefix = "track_";
inline constexpr const char* groupPrefix = "group_";
inline constexpr const char* midiChannel = "midiChannel";

// Hosted plug-in elements
inline constexpr const char* PLUGIN = "PLUGIN";
inline constexpr const char* PLUGIN_DESC = "PLUGIN_DESC"; // read only, from older reels
inline constexpr const char* customPath = "customPath";
inline constexpr const char* state = "state";
inline constexpr const char* loadingName = "Loading...";

// Built-in instrument entries
inline constexpr const char* type = "type";
inline constexpr const char* presetName = "presetName";
inline constexpr const char* defaultPresetName = "Default";

// Insert entries (built-in effect settings; "type" as above)
inline constexpr const char* targetTrack = "targetTrack";
inline constexpr const char* bypass = "bypass";
inline constexpr const char* revType = "revType";
inline constexpr const char* revDecay = "revDecay";
inline constexpr const char* revDamp = "revDamp";
inline constexpr const char* revMix = "revMix";
inline constexpr const char* revPan = "revPan";
inline constexpr const char* echoTime = "echoTime";
inline constexpr const char* echoFb = "echoFb";
inline constexpr const char* echoAge = "echoAge";
inline constexpr const char* echoMix = "echoMix";
inline constexpr const char* echoPan = "echoPan";
inline constexpr const char* echoSync = "echoSync";
inline constexpr const char* echoDrive = "echoDrive";
inline constexpr const char* laGain = "laGain";
inline constexpr const char* laReduction = "laReduction";
inline constexpr const char* laMode = "laMode";
inline constexpr const char* fetInput = "fetInput";
inline constexpr const char* fetOutput = "fetOutput";
inline constexpr const char* fetAttack = "fetAttack";
inline constexpr const char* fetRelease = "fetRelease";
inline constexpr const char* fetRatio = "fetRatio";
inline constexpr const char* gainLevel = "gainLevel";
inline constexpr const char* mfxType = "mfxType";
inline constexpr const char* mfxP1 = "mfxP1";
inline constexpr const char* mfxP2 = "mfxP2";
inline constexpr const char* mfxSync = "mfxSync";
inline constexpr const char* eqFreqPrefix = "eqFreq"; // followed by the band, 0..4
inline constexpr const char* eqGainPrefix = "eqGain";
inline constexpr const char* eqQPrefix = "eqQ";

// Instrument settings: each attribute holds the engine member of the same name.
inline constexpr const char* globalOctave = "globalOctave";
inline constexpr const char* globalTune = "globalTune";
inline constexpr const char* osc1Wave = "osc1Wave";
inline constexpr const char* osc2Wave = "osc2Wave";
inline constexpr const char* osc2Tune = "osc2Tune";
inline constexpr const char* osc1Mix = "osc1Mix";
inline constexpr const char* osc2Mix = "osc2Mix";
inline constexpr const char* noiseMix = "noiseMix";
inline constexpr const char* synthGlide = "synthGlide";
inline constexpr const char* synthCutoff = "synthCutoff";
inline constexpr const char* synthRes = "synthRes";
inline constexpr const char* synthEnvMod = "synthEnvMod";
inline constexpr const char* fEnvA = "fEnvA";
inline constexpr const char* fEnvD = "fEnvD";
inline constexpr const char* fEnvS = "fEnvS";
inline constexpr const char* fEnvR = "fEnvR";
inline constexpr const char* aEnvA = "aEnvA";
inline constexpr const char* aEnvD = "aEnvD";
inline constexpr const char* aEnvS = "aEnvS";
inline constexpr const char* aEnvR = "aEnvR";
inline constexpr const char* lfoRate = "lfoRate";
inline constexpr const char* lfoAmt = "lfoAmt";
inline constexpr const char* lfoTarget = "lfoTarget";
inline constexpr const char* synthWave = "synthWave";   // read only: older name of osc1Wave
inline constexpr const char* synthDecay = "synthDecay"; // read only: older name of fEnvD

inline constexpr const char* masterVol = "masterVol";
inline constexpr const char* glide = "glide";
inline constexpr const char* velSens = "velSens";
inline constexpr const char* polyModFEnvFreqA = "polyModFEnvFreqA";
inline constexpr const char* polyModOscBFreqA = "polyModOscBFreqA";
inline constexpr const char* polyModOscBFilter = "polyModOscBFilter";
inline constexpr const char* polyModOscBPW = "polyModOscBPW";
inline constexpr const char* osc1Octave = "osc1Octave";
inline constexpr const char* osc1PW = "osc1PW";
inline constexpr const char* syncMode = "syncMode";
inline constexpr const char* osc2LfoMode = "osc2LfoMode";
inline constexpr const char* osc2KeyTrack = "osc2KeyTrack";
inline constexpr const char* osc2Octave = "osc2Octave";
inline constexpr const char* osc2Fine = "osc2Fine";
inline constexpr const char* osc2PW = "osc2PW";
inline constexpr const char* filterKeyTrack = "filterKeyTrack";
inline constexpr const char* lfoWave = "lfoWave";

inline constexpr const char* slidePitch = "slidePitch";
inline constexpr const char* waveShape = "waveShape";
inline constexpr const char* gateLatch = "gateLatch";
inline constexpr const char* filterType = "filterType";
inline constexpr const char* lfoDelay = "lfoDelay";
inline constexpr const char* lfoAttack = "lfoAttack";

inline constexpr const char* model = "model";
inline constexpr const char* drive = "drive";
inline constexpr const char* bass = "bass";
inline constexpr const char* treble = "treble";
inline constexpr const char* tremRate = "tremRate";
inline constexpr const char* tremDepth = "tremDepth";

inline constexpr const char* rmPattern = "rmPattern";
inline constexpr const char* rmVolume = "rmVolume";
inline constexpr const char* rmBpm = "rmBpm";
inline constexpr const char* rmSync = "rmSync";
inline constexpr const char* rmSeqLen = "rmSeqLen";
inline constexpr const char* rmSwing = "rmSwing";
inline constexpr const char* rmSeqRowPrefix = "rmSeqRow";         // followed by the row, 0..9
inline constexpr const char* rmSamplePathPrefix = "rmSamplePath"; // followed by the voice, 0..9
inline constexpr const char* voiceLevelPrefix = "v";              // followed by the voice code
inline constexpr const char* voiceTunePrefix = "t";
inline constexpr const char* voiceLengthPrefix = "l";

// The fader automation element
inline constexpr const char* AUTOMATION = "AUTOMATION";
inline constexpr const char* TRACK = "TRACK";
inline constexpr const char* id = "id";
inline constexpr const char* mode = "mode";
inline constexpr const char* data = "data";
} // namespace StateXmlIds
