// The equalizer and effects rack: ten parametric equalizer bands and five
// switchable effects on the current channel, switched and set from the
// application's effects dialog through the skin library, and the
// pass-through exports of the audio library's effect and DSP calls.
#include "effects_rack.h"

#include "audiolink.h"
#include "bass_binding.h"
#include "byte_strings.h"
#include "equalizer_rules.h"
#include "media_state.h"
#include "rotate_effect.h"
#include "themekit.h"

namespace audiolink {

namespace {

// Dialog controls; the bands' track bars are controls 1 to 10.
constexpr int EqualizerSwitch = 11;
constexpr int ReverbSlot = 13;
constexpr int ChorusSlot = 14;
constexpr int FlangerSlot = 15;
constexpr int I3dl2ReverbSlot = 16;
constexpr int RotateSlot = 17;

constexpr int NeutralTrackPosition = 50;

// The ids and slots hosts are given in the public header.
static_assert(FXID_EQUALIZER == EqualizerSwitch && FXID_REVERB == ReverbSlot && FXID_CHORUS == ChorusSlot &&
              FXID_FLANGER == FlangerSlot && FXID_I3DL2REVERB == I3dl2ReverbSlot && FXID_ROTATE == RotateSlot);
static_assert(FXSLOT_REVERB == ReverbSlot && FXSLOT_ROTATE == RotateSlot && FX_TRACK_CENTRE == NeutralTrackPosition);
static_assert(FX_BANDS == EqualizerBands && FXID_BAND10 == EqualizerBands && FXSLOT_BAND10 == EqualizerBands);

bool IsChecked(HWND dialog, int control)
{
    return THGETCHECK(GetDlgItem(dialog, control)) != 0;
}

// The channel an update works on, or 0 when the rack has nothing to do.
DWORD RackChannel(DWORD channel)
{
    if (!FxSlots.present)
        return 0;
    return ChannelOrCurrent(channel);
}

void UpdateBand(DWORD channel, int band)
{
    if (band < 1 || band > EqualizerBands)
        return;
    float centre = BandCentre(band);
    HWND dialog = BASSFXWINDOW(nullptr, 0);
    if (!dialog)
        return;
    bool on = IsChecked(dialog, EqualizerSwitch);
    channel = RackChannel(channel);
    if (!channel)
        return;
    DWORD &slot = FxSlots.slot[band];
    if (!on) {
        if (slot) {
            BASSCHANNELREMOVEFX(channel, slot);
            slot = 0;
        }
        return;
    }
    BASS_FXPARAMEQ block{centre, BandWidthSemitones, 0.0f};
    if (!slot) {
        slot = BASSCHANNELSETFX(channel, BASS_FX_PARAMEQ);
        BASSFXSETPARAMETERS(slot, &block);
    }
    // Centre and bandwidth go back as the library holds them; only the gain
    // follows the track bar.
    BASSFXGETPARAMETERS(slot, &block);
    int position = 0;
    THGETTRACKPOS(GetDlgItem(dialog, band), &position);
    block.gain = BandGain(position);
    BASSFXSETPARAMETERS(slot, &block);
}

void ResetBands(DWORD channel)
{
    HWND dialog = BASSFXWINDOW(nullptr, 0);
    if (!dialog)
        return;
    channel = ChannelOrCurrent(channel);
    for (int band = 1; band <= EqualizerBands; ++band) {
        DWORD &slot = FxSlots.slot[band];
        if (channel && FxSlots.present && slot) {
            BASSCHANNELREMOVEFX(channel, slot);
            slot = 0;
        }
        THSETTRACKPOS(GetDlgItem(dialog, band), NeutralTrackPosition);
    }
}

// A switchable effect's box. With no dialog it reads as cleared, so the
// effect comes off.
bool SwitchedOn(int control)
{
    HWND dialog = BASSFXWINDOW(nullptr, 0);
    return dialog && IsChecked(dialog, control);
}

// Puts the effect on (or, when it is already there, sets its parameters
// again) or takes it off, as its box says. Block: the effect's parameter
// record with the rack's values.
template <typename Block> void UpdateEffect(DWORD channel, int control, DWORD type, const Block &values)
{
    bool on = SwitchedOn(control);
    channel = RackChannel(channel);
    if (!channel)
        return;
    DWORD &slot = FxSlots.slot[control];
    if (!on) {
        if (slot) {
            BASSCHANNELREMOVEFX(channel, slot);
            slot = 0;
        }
        return;
    }
    // One effect per box: a second update with the box checked must not
    // stack a second one that clearing the box could never take off.
    if (!slot)
        slot = BASSCHANNELSETFX(channel, type);
    Block block = values;
    BASSFXGETPARAMETERS(slot, &block);
    block = values;
    BASSFXSETPARAMETERS(slot, &block);
}

void UpdateRotate(DWORD channel)
{
    bool on = SwitchedOn(RotateSlot);
    channel = RackChannel(channel);
    if (!channel)
        return;
    DWORD &slot = FxSlots.slot[RotateSlot];
    if (!on) {
        if (slot) {
            BASSCHANNELREMOVEDSP(channel, slot);
            slot = 0;
        }
        return;
    }
    // A running rotation keeps its callback and its phase.
    if (slot)
        return;
    RestartRotatePhase();
    slot = BASSCHANNELSETDSP(channel, RotateDsp, 0, 0);
}

void RemoveRack(DWORD channel)
{
    if (!FxSlots.present)
        return;
    channel = ChannelOrCurrent(channel);
    if (channel) {
        for (int n = 1; n <= FxSlotCount; ++n) {
            DWORD handle = FxSlots.slot[n];
            if (!handle)
                continue;
            if (n == RotateSlot)
                BASSCHANNELREMOVEDSP(channel, handle);
            else
                BASSCHANNELREMOVEFX(channel, handle);
        }
    }
    FxSlots = FxSlotTable{};
}

const BASS_FXREVERB ReverbValues{0.0f, 0.0f, 300.0f, 0.012f};
const BASS_FXCHORUS ChorusValues{0.0f, 30.0f, 50.0f, 5.0f, BASS_FX_WAVE_SINE, 16.0f, BASS_FX_PHASE_ZERO};
const BASS_FXFLANGER FlangerValues{35.0f, 75.0f, -60.0f, 5.0f, BASS_FX_WAVE_TRIANGLE, 3.0f,
                                   BASS_FX_PHASE_NEG_180};
const BASS_FXI3DL2REVERB I3dl2ReverbValues{0,     0,    0.0f, 1.49f,  0.83f,  -260,
                                           0.007f, 200, 0.011f, 100.0f, 100.0f, 20.0f};

} // namespace

void ApplyEffects(DWORD channel)
{
    // The old table is dropped as it is: its effects went with the channel
    // they were on.
    FxSlots = FxSlotTable{};
    FxSlots.present = true;
    for (int band = 1; band <= EqualizerBands; ++band)
        BASSUPDATEEQ(channel, band);
    BASSUPDATEREVERB(channel);
    BASSUPDATECHORUS(channel);
    BASSUPDATEFLANGER(channel);
    BASSUPDATEECHO(channel);
    BASSUPDATEROTATE(channel);
}

void __stdcall RotateDsp(DWORD, DWORD, void *buffer, DWORD length, DWORD_PTR)
{
    RotateBuffer(buffer, length, RotateStep.load(std::memory_order_relaxed));
}

} // namespace audiolink

using namespace audiolink;
using namespace audiolink::bass;

extern "C" {

HWND __stdcall BASSFXWINDOW(HWND window, DWORD store)
{
    if (store)
        FxWindow = window;
    return FxWindow;
}

void __stdcall BASSUPDATEEQ(DWORD channel, int band)
{
    Shielded([&] { UpdateBand(channel, band); });
}

void __stdcall BASSRESETEQ(DWORD channel)
{
    Shielded([&] { ResetBands(channel); });
}

void __stdcall BASSUPDATEREVERB(DWORD channel)
{
    Shielded([&] { UpdateEffect(channel, ReverbSlot, BASS_FX_REVERB, ReverbValues); });
}

void __stdcall BASSUPDATECHORUS(DWORD channel)
{
    Shielded([&] { UpdateEffect(channel, ChorusSlot, BASS_FX_CHORUS, ChorusValues); });
}

void __stdcall BASSUPDATEFLANGER(DWORD channel)
{
    Shielded([&] { UpdateEffect(channel, FlangerSlot, BASS_FX_FLANGER, FlangerValues); });
}

void __stdcall BASSUPDATEECHO(DWORD channel)
{
    Shielded([&] { UpdateEffect(channel, I3dl2ReverbSlot, BASS_FX_I3DL2REVERB, I3dl2ReverbValues); });
}

void __stdcall BASSUPDATEROTATE(DWORD channel)
{
    Shielded([&] { UpdateRotate(channel); });
}

void __stdcall BASSREMOVEFX(DWORD channel)
{
    Shielded([&] { RemoveRack(channel); });
}

DWORD __stdcall BASSFXCHANNEL(int slot)
{
    if (!FxSlots.present || slot < 1 || slot > FxSlotCount)
        return 0;
    return FxSlots.slot[slot];
}

DWORD __stdcall BASSCHANNELSETFX(DWORD channel, DWORD type)
{
    return CallOr<entry::BASS_ChannelSetFX>(0, channel, type);
}

BOOL __stdcall BASSCHANNELREMOVEFX(DWORD channel, DWORD fx)
{
    return CallOr<entry::BASS_ChannelRemoveFX>(FALSE, channel, fx);
}

DWORD __stdcall BASSCHANNELSETDSP(DWORD channel, BASS_DspProc proc, DWORD_PTR user, int priority)
{
    return CallOr<entry::BASS_ChannelSetDSP>(0, channel, proc, user, priority);
}

BOOL __stdcall BASSCHANNELREMOVEDSP(DWORD channel, DWORD dsp)
{
    return CallOr<entry::BASS_ChannelRemoveDSP>(FALSE, channel, dsp);
}

BOOL __stdcall BASSFXSETPARAMETERS(DWORD fx, const void *params)
{
    return CallOr<entry::BASS_FXSetParameters>(FALSE, fx, params);
}

BOOL __stdcall BASSFXGETPARAMETERS(DWORD fx, void *params)
{
    return CallOr<entry::BASS_FXGetParameters>(FALSE, fx, params);
}

} // extern "C"
