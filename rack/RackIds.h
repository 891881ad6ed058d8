#pragma once

// Texts, menu result IDs and window IDs of the studio rack and the insert windows. Tests use the
// same ones.
namespace RackIds
{
// Section headers and empty slots of the rack.
inline constexpr const char* instrumentsHeader = "INSTRUMENTS";
inline constexpr const char* inputInsertsHeader = "INPUT INSERTS";
inline constexpr const char* auxReturnsHeader = "AUX RETURNS";
inline constexpr const char* loadInstrument = "+ Load Instrument";
inline constexpr const char* addInsertFx = "+ Add Insert FX";
inline constexpr const char* loadAux1 = "Load Aux 1";
inline constexpr const char* loadAux2 = "Load Aux 2";
inline constexpr const char* auxLoading = "Loading...";

// Target codes of the rack's library menu.
enum Target
{
    instrumentTarget = 0,
    inputInsertTarget = 1,
    aux1Target = 2,
    aux2Target = 3
};

// Library menu.
inline constexpr const char* libraryHeader = "Plugin Library";
inline constexpr const char* scanManage = "Scan / Manage Plugins...";
inline constexpr const char* builtInInstrumentsHeader = "Built-In Instruments";
inline constexpr const char* builtInEffectsHeader = "Built-In Effects";
inline constexpr int rackScanId = 1;
inline constexpr int windowScanId = 9999;
inline constexpr int firstEffectId = 10;    // 10..16: built-in effect type id - 9
inline constexpr int lastEffectId = 16;
inline constexpr int firstInstrumentId = 20; // 20..24: built-in instrument type id - 19
inline constexpr int lastInstrumentId = 24;
inline constexpr int firstPluginId = 1000;   // + position in the known plug-in list

// Built-in effects as the library menus list them: id and text, in menu order.
struct EffectItem
{
    int id;
    const char* text;
};

inline constexpr EffectItem effectItems[] = {
    {10, "Velmora Analog Reverb"}, {11, "Velmora Tape Echo"},       {12, "Velmora Opto Comp"},
    {16, "Velmora FET-Q9 Comp"},   {13, "Velmora Line Amp (Gain)"}, {14, "Velmora Equalizer"},
    {15, "Velmora Multi-Modulator"},
};

inline constexpr EffectItem instrumentItems[] = {
    {20, "Velmora K-7 Mono Synthesizer"}, {21, "Velmora Pulsaro Rhythm Machine"},
    {22, "Velmora K-70 Poly Synthesizer"}, {23, "Velmora Lirvando"}, {24, "Velmora Stage Keyboard"},
};

// Route dialog.
inline constexpr const char* routeTitle = "Route Instrument";
inline constexpr const char* routeMessage = "Where would you like to route the audio for this instrument?";
inline constexpr const char* routeCombo = "dest";
inline constexpr const char* routeComboLabel = "Destination:";
inline constexpr const char* doNotRoute = "Do Not Route (Manual)";
inline constexpr const char* routeButton = "Route";
inline constexpr const char* cancelButton = "Cancel";

// Slot editor windows carry "INS_WIN_" and the address of what they edit.
inline constexpr const char* editorWindowPrefix = "INS_WIN_";

// Insert windows.
inline constexpr const char* masterWindowTitle = "Master Bus Inserts";
inline constexpr const char* masterDragDescription = "MasterInsert";
inline constexpr const char* trackDragDescription = "TrackInsert";
inline constexpr const char* addInsert = "+ Add Insert";
inline constexpr const char* slotIndexProperty = "slotIndex";
inline constexpr int bypassId = 1;
inline constexpr int openEditorId = 2;
inline constexpr int removeId = 3;
} // namespace RackIds
