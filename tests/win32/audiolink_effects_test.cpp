// The equalizer and effects rack over the full set of test doubles, read
// from a real effects dialog: track bars 1 to 10 and check boxes 11 and 13
// to 17, as the application builds it. The parameter records the rack
// hands over are read back from the doubles byte for byte; the rotate
// callback runs on the double's own thread.
#include "audiolink_test_support.h"
#include "effects_dialog.h"

#include "audiolink.h"
#include "effects_rack.h"
#include "media_state.h"
#include "rotate_effect.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>

namespace {

using namespace altest;
using audiolink::CurrentChannel;
using Words = std::vector<bassdouble::ArgWord>;

constexpr DWORD Channel = 0x2001;

// A parameter record as the library reads it: 32-bit little-endian words.
// A parameter record: a run of 32-bit fields.
using Fields = std::vector<DWORD>;

std::vector<BYTE> Record(const Fields &fields)
{
    std::vector<BYTE> bytes(fields.size() * sizeof(DWORD));
    if (!fields.empty())
        memcpy(bytes.data(), fields.data(), bytes.size());
    return bytes;
}

DWORD F(float value)
{
    return FloatBits(value);
}

DWORD I(LONG value)
{
    return DWORD(value);
}

class EffectsRack : public ::testing::Test {
protected:
    void SetUp() override
    {
        bassdouble::Reset();
        BASSLOAD();
        ASSERT_TRUE(IsModuleLoaded("BASS.DLL"));
        ASSERT_NE(dialog_.Window(), nullptr);
        EXPECT_EQ(BASSFXWINDOW(dialog_.Window(), 1), dialog_.Window());
        CurrentChannel = Channel;
        bassdouble::ClearCalls();
    }
    void TearDown() override
    {
        BASSREMOVEFX(0);
        BASSFXWINDOW(nullptr, 1);
        CurrentChannel = 0;
        BASSUNLOAD();
        EXPECT_EQ(bassdouble::LostCalls(), 0u);
    }

    // Builds the rack on the current channel with every effect handle
    // scripted to fx, and forgets the calls.
    void BuildRack(DWORD fx, DWORD dsp = 0x7000)
    {
        bassdouble::SetResult("BASS_ChannelSetFX", fx);
        bassdouble::SetResult("BASS_ChannelSetDSP", dsp);
        audiolink::ApplyEffects(Channel);
        bassdouble::ClearCalls();
    }

    // Each band on under a handle of its own: 0x100 + band.
    void BuildBands()
    {
        dialog_.Check(11, true);
        BuildRack(0);
        for (int band = 1; band <= 10; ++band) {
            bassdouble::SetResult("BASS_ChannelSetFX", 0x100 + band);
            BASSUPDATEEQ(0, band);
        }
        bassdouble::ClearCalls();
    }

    static std::vector<BYTE> LastSetRecord()
    {
        std::vector<bassdouble::CallRecord> sets = bassdouble::CallsOf("BASS_FXSetParameters");
        return sets.empty() ? std::vector<BYTE>{} : sets.back().block;
    }

    EffectsDialog dialog_;
    DoublesOnSearchPath doubles_{"full"};
};

// A host's dialog without some of the controls: a missing track bar reads as
// position 0, a missing check box as cleared.
TEST_F(EffectsRack, MissingControlsReadAsTheLowestGainAndCleared)
{
    dialog_.Check(11, true);
    dialog_.Check(13, true);
    dialog_.Remove(3);
    dialog_.Remove(13);
    BuildRack(0);
    bassdouble::SetResult("BASS_ChannelSetFX", 0x303);
    BASSUPDATEEQ(0, 3);
    EXPECT_EQ(LastSetRecord(), Record({F(310), F(18), F(-15)}));
    bassdouble::ClearCalls();
    BASSUPDATEREVERB(0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_ChannelSetFX").size(), 0u) << "no reverb without its box";
}

TEST_F(EffectsRack, NewBandsSitAtTheirCentresAndTakeTheTrackBarsGain)
{
    dialog_.Check(11, true);
    dialog_.Track(1, 0);
    dialog_.Track(10, 100);
    BuildRack(0);
    bassdouble::SetResult("BASS_ChannelSetFX", 0x301);
    BASSUPDATEEQ(Channel, 1);
    std::vector<bassdouble::CallRecord> calls = EntryCalls();
    ASSERT_EQ(CallNames(calls), (Names{"BASS_ChannelSetFX", "BASS_FXSetParameters",
                                        "BASS_FXGetParameters", "BASS_FXSetParameters"}));
    EXPECT_EQ(calls[0].args, (Words{Channel, 7}));
    EXPECT_EQ(calls[1].args[0], 0x301u);
    EXPECT_EQ(calls[1].block, Record({F(80), F(18), F(0)}));
    EXPECT_EQ(calls[3].block, Record({F(80), F(18), F(-15)}));
    EXPECT_EQ(BASSFXCHANNEL(1), 0x301u);

    const float centres[] = {80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 14000};
    for (int band = 2; band <= 10; ++band) {
        bassdouble::ClearCalls();
        bassdouble::SetResult("BASS_ChannelSetFX", 0x300 + band);
        BASSUPDATEEQ(0, band);
        float gain = band == 10 ? 15.0f : 0.0f;
        EXPECT_EQ(LastSetRecord(), Record({F(centres[band - 1]), F(18), F(gain)})) << "band " << band;
        EXPECT_EQ(BASSFXCHANNEL(band), DWORD(0x300 + band));
    }
}

TEST_F(EffectsRack, GainFollowsTheTableOfTrackPositions)
{
    BuildBands();
    const struct {
        int position;
        float gain;
    } table[] = {{0, -15}, {1, -15}, {2, -14}, {49, 0}, {50, 0}, {51, 0}, {98, 14}, {99, 15}, {100, 15}};
    for (const auto &row : table) {
        dialog_.Track(3, row.position);
        BASSUPDATEEQ(0, 3);
        std::vector<BYTE> record = LastSetRecord();
        ASSERT_EQ(record.size(), 12u);
        // A zero gain is +0.0: its bits are all clear.
        EXPECT_EQ(record, Record({F(310), F(18), F(row.gain)})) << "position " << row.position;
    }
}

TEST_F(EffectsRack, AnExistingBandChangesOnlyItsGain)
{
    BuildBands();
    // The library holds other centre and bandwidth values by now.
    BASS_FXPARAMEQ held{95.0f, 12.0f, 3.0f};
    bassdouble::SetParameters(0x105, &held, sizeof held);
    dialog_.Track(5, 80);
    BASSUPDATEEQ(0, 5);
    std::vector<bassdouble::CallRecord> calls = EntryCalls();
    ASSERT_EQ(CallNames(calls), (Names{"BASS_FXGetParameters", "BASS_FXSetParameters"}));
    EXPECT_EQ(calls[0].args[0], 0x105u);
    EXPECT_EQ(calls[1].args[0], 0x105u);
    EXPECT_EQ(calls[1].block, Record({F(95), F(12), F(9)}));
}

TEST_F(EffectsRack, ClearingTheEqualizerBoxRemovesOnlyTheBandUpdated)
{
    BuildBands();
    dialog_.Check(11, false);
    BASSUPDATEEQ(0, 4);
    std::vector<bassdouble::CallRecord> calls = EntryCalls();
    ASSERT_EQ(CallNames(calls), Names{"BASS_ChannelRemoveFX"});
    EXPECT_EQ(calls[0].args, (Words{Channel, 0x104}));
    for (int band = 1; band <= 10; ++band)
        EXPECT_EQ(BASSFXCHANNEL(band), band == 4 ? 0u : DWORD(0x100 + band)) << "band " << band;
    // Bands outside 1 to 10 are nothing.
    bassdouble::ClearCalls();
    for (int band : {0, 11, 12, -1, 0x7FFFFFFF})
        BASSUPDATEEQ(0, band);
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
}

TEST_F(EffectsRack, ResettingRemovesTheBandsAndCentresTheTrackBars)
{
    BuildBands();
    dialog_.Track(2, 90);
    dialog_.Track(7, 10);
    BASSRESETEQ(0);
    std::vector<bassdouble::CallRecord> calls = EntryCalls();
    ASSERT_EQ(calls.size(), 10u);
    for (int band = 1; band <= 10; ++band) {
        EXPECT_EQ(calls[band - 1].entry, "BASS_ChannelRemoveFX");
        EXPECT_EQ(calls[band - 1].args, (Words{Channel, DWORD(0x100 + band)}));
        EXPECT_EQ(BASSFXCHANNEL(band), 0u);
        EXPECT_EQ(dialog_.TrackPosition(band), 50) << "band " << band;
    }
    EXPECT_EQ(SendDlgItemMessageA(dialog_.Window(), 11, BM_GETCHECK, 0, 0), BST_CHECKED);
    // The next update puts the band back at 0 dB.
    bassdouble::SetResult("BASS_ChannelSetFX", 0x202);
    BASSUPDATEEQ(0, 2);
    EXPECT_EQ(LastSetRecord(), Record({F(170), F(18), F(0)}));
    // Without a channel the track bars are still centred.
    dialog_.Track(2, 0);
    CurrentChannel = 0;
    bassdouble::ClearCalls();
    BASSRESETEQ(0);
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
    EXPECT_EQ(dialog_.TrackPosition(2), 50);
}

TEST_F(EffectsRack, EachEffectGetsItsParameterRecordByteForByte)
{
    BuildRack(0);
    const struct {
        int control;
        void(__stdcall *update)(DWORD);
        DWORD type;
        Fields record;
    } effects[] = {
        {13, BASSUPDATEREVERB, 8, {F(0), F(0), F(300), F(0.012f)}},
        {14, BASSUPDATECHORUS, 0, {F(0), F(30), F(50), F(5), 1, F(16), 2}},
        {15, BASSUPDATEFLANGER, 4, {F(35), F(75), F(-60), F(5), 0, F(3), 0}},
        {16, BASSUPDATEECHO, 6, {I(0), I(0), F(0), F(1.49f), F(0.83f), I(-260), F(0.007f), I(200),
                                 F(0.011f), F(100), F(100), F(20)}},
    };
    for (const auto &effect : effects) {
        bassdouble::ClearCalls();
        dialog_.Check(effect.control, true);
        DWORD handle = 0x500 + effect.control;
        bassdouble::SetResult("BASS_ChannelSetFX", handle);
        effect.update(0);
        std::vector<bassdouble::CallRecord> calls = EntryCalls();
        ASSERT_EQ(CallNames(calls), (Names{"BASS_ChannelSetFX", "BASS_FXGetParameters",
                                            "BASS_FXSetParameters"}))
            << "control " << effect.control;
        EXPECT_EQ(calls[0].args, (Words{Channel, effect.type}));
        EXPECT_EQ(calls[2].args[0], handle);
        EXPECT_EQ(calls[2].block, Record(effect.record)) << "control " << effect.control;
        EXPECT_EQ(BASSFXCHANNEL(effect.control), handle);
    }
}

TEST_F(EffectsRack, ASecondUpdateWithTheBoxCheckedAddsNoSecondEffect)
{
    BuildRack(0);
    void(__stdcall *const updates[])(DWORD) = {BASSUPDATEREVERB, BASSUPDATECHORUS, BASSUPDATEFLANGER,
                                              BASSUPDATEECHO};
    for (int n = 0; n < 4; ++n) {
        int control = 13 + n;
        dialog_.Check(control, true);
        bassdouble::SetResult("BASS_ChannelSetFX", 0x600 + control);
        updates[n](0);
        std::vector<BYTE> first = LastSetRecord();
        bassdouble::ClearCalls();
        bassdouble::SetResult("BASS_ChannelSetFX", 0x700 + control);
        updates[n](0);
        // The same effect gets its parameters again.
        std::vector<bassdouble::CallRecord> calls = EntryCalls();
        ASSERT_EQ(CallNames(calls), (Names{"BASS_FXGetParameters", "BASS_FXSetParameters"}));
        EXPECT_EQ(calls[1].args[0], DWORD(0x600 + control));
        EXPECT_EQ(calls[1].block, first);
        // Clearing the box takes it off for good.
        bassdouble::ClearCalls();
        dialog_.Check(control, false);
        updates[n](0);
        calls = EntryCalls();
        ASSERT_EQ(CallNames(calls), Names{"BASS_ChannelRemoveFX"});
        EXPECT_EQ(calls[0].args, (Words{Channel, DWORD(0x600 + control)}));
        EXPECT_EQ(BASSFXCHANNEL(control), 0u);
    }

    // Rotate: the running callback keeps its phase.
    bassdouble::ClearCalls();
    dialog_.Check(17, true);
    bassdouble::SetResult("BASS_ChannelSetDSP", 0x817);
    BASSUPDATEROTATE(0);
    audiolink::RotatePhase = 2.5f;
    BASSUPDATEROTATE(0);
    EXPECT_EQ(CallNames(EntryCalls()), Names{"BASS_ChannelSetDSP"});
    EXPECT_EQ(audiolink::RotatePhase.load(), 2.5f);
    bassdouble::ClearCalls();
    dialog_.Check(17, false);
    BASSUPDATEROTATE(0);
    std::vector<bassdouble::CallRecord> calls = EntryCalls();
    ASSERT_EQ(CallNames(calls), Names{"BASS_ChannelRemoveDSP"});
    EXPECT_EQ(calls[0].args, (Words{Channel, 0x817}));
    EXPECT_EQ(BASSFXCHANNEL(17), 0u);
}

TEST_F(EffectsRack, RotateRunsOnTheMixingThreadFromAQuarterTurn)
{
    dialog_.Check(17, true);
    BuildRack(0, 0x917);
    EXPECT_EQ(BASSFXCHANNEL(17), 0x917u);
    std::vector<bassdouble::CallRecord> sets;
    // Switching off and on installs the callback afresh at the start phase.
    dialog_.Check(17, false);
    BASSUPDATEROTATE(0);
    dialog_.Check(17, true);
    BASSUPDATEROTATE(0);
    sets = bassdouble::CallsOf("BASS_ChannelSetDSP");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].args[0], Channel);
    EXPECT_NE(sets[0].args[1], 0u);
    EXPECT_EQ(sets[0].args[2], 0u);
    EXPECT_EQ(sets[0].args[3], 0u);

    // Two frames and half of a third.
    int16_t buffer[6] = {10000, 10000, -20000, 30000, 1234, 4321};
    WaitAndClose(bassdouble::RunDsp(buffer, 10));
    EXPECT_EQ(buffer[0], 7071);
    EXPECT_EQ(buffer[1], 7071);
    float second = static_cast<float>(0.7853981) + 0.00002f;
    EXPECT_EQ(buffer[2], int16_t(-20000 * std::sin(double(second))));
    EXPECT_EQ(buffer[3], int16_t(30000 * std::cos(double(second))));
    EXPECT_EQ(buffer[4], 1234);
    EXPECT_EQ(buffer[5], 4321);
    EXPECT_EQ(audiolink::RotatePhase.load(), second + 0.00002f);
}

TEST_F(EffectsRack, SwitchingRotateOffAndOnWhileTheMixingThreadRuns)
{
    dialog_.Check(17, true);
    BuildRack(0, 0x917);
    std::vector<int16_t> buffer(2 * 400000, 12000);
    HANDLE mixer = bassdouble::RunDsp(buffer.data(), DWORD(buffer.size() * 2));
    for (int n = 0; n < 50; ++n) {
        dialog_.Check(17, n % 2 != 0);
        BASSUPDATEROTATE(0);
    }
    WaitAndClose(mixer);
    EXPECT_EQ(BASSFXCHANNEL(17), 0x917u);
    float phase = audiolink::RotatePhase.load();
    EXPECT_GE(phase, 0.0f);
    EXPECT_LT(phase, audiolink::RotateFullTurn);
    // Every frame was scaled by factors of one turn: none grew.
    for (int16_t sample : buffer)
        ASSERT_LE(std::abs(sample), 12000);
}

TEST_F(EffectsRack, RemovingTheRackTakesEveryEffectOffInSlotOrder)
{
    dialog_.CheckAll(true);
    BuildRack(0x800, 0x817);
    for (int slot = 1; slot <= 17; ++slot) {
        DWORD expected = slot == 17 ? 0x817u : (slot == 11 || slot == 12) ? 0u : 0x800u;
        EXPECT_EQ(BASSFXCHANNEL(slot), expected) << "slot " << slot;
    }
    for (int slot : {0, -1, 18, 0x7FFFFFFF})
        EXPECT_EQ(BASSFXCHANNEL(slot), 0u) << "slot " << slot;
    BASSREMOVEFX(0);
    std::vector<bassdouble::CallRecord> calls = EntryCalls();
    ASSERT_EQ(calls.size(), 15u);
    for (size_t n = 0; n < 14; ++n) {
        EXPECT_EQ(calls[n].entry, "BASS_ChannelRemoveFX");
        EXPECT_EQ(calls[n].args, (Words{Channel, 0x800}));
    }
    EXPECT_EQ(calls[14].entry, "BASS_ChannelRemoveDSP");
    EXPECT_EQ(calls[14].args, (Words{Channel, 0x817}));
    for (int slot = 1; slot <= 17; ++slot)
        EXPECT_EQ(BASSFXCHANNEL(slot), 0u);
    // Without a rack the updates do nothing.
    bassdouble::ClearCalls();
    BASSUPDATEEQ(0, 1);
    BASSUPDATEREVERB(0);
    BASSUPDATEROTATE(0);
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
}

TEST_F(EffectsRack, RemovingWithoutAChannelDiscardsTheTable)
{
    dialog_.CheckAll(true);
    BuildRack(0x800);
    CurrentChannel = 0;
    BASSREMOVEFX(0);
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
    for (int slot = 1; slot <= 17; ++slot)
        EXPECT_EQ(BASSFXCHANNEL(slot), 0u);
    // A rack with no channel to work on changes nothing.
    audiolink::ApplyEffects(0);
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
    EXPECT_EQ(BASSFXCHANNEL(1), 0u);
    CurrentChannel = Channel;
}

TEST_F(EffectsRack, WithoutADialogTheEqualizerStaysAndTheEffectsComeOff)
{
    dialog_.CheckAll(true);
    BuildRack(0x800, 0x817);
    EXPECT_EQ(BASSFXWINDOW(nullptr, 1), nullptr);
    EXPECT_EQ(BASSFXWINDOW(dialog_.Window(), 0), nullptr);
    BASSUPDATEEQ(0, 1);
    BASSRESETEQ(0);
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
    EXPECT_EQ(BASSFXCHANNEL(1), 0x800u);
    BASSUPDATEREVERB(0);
    BASSUPDATECHORUS(0);
    BASSUPDATEFLANGER(0);
    BASSUPDATEECHO(0);
    BASSUPDATEROTATE(0);
    EXPECT_EQ(CallNames(EntryCalls()),
              (Names{"BASS_ChannelRemoveFX", "BASS_ChannelRemoveFX", "BASS_ChannelRemoveFX",
                     "BASS_ChannelRemoveFX", "BASS_ChannelRemoveDSP"}));
    for (int slot = 13; slot <= 17; ++slot)
        EXPECT_EQ(BASSFXCHANNEL(slot), 0u);
    // A new channel without a dialog gets no effects.
    bassdouble::ClearCalls();
    BuildRack(0x800);
    for (int slot = 1; slot <= 17; ++slot)
        EXPECT_EQ(BASSFXCHANNEL(slot), 0u);
}

TEST_F(EffectsRack, PassThroughsForwardTheirArgumentsAndResults)
{
    BASS_FXREVERB record{};
    auto word = [](const void *pointer) { return reinterpret_cast<bassdouble::ArgWord>(pointer); };
    bassdouble::SetResult("BASS_ChannelSetFX", 0x41);
    EXPECT_EQ(BASSCHANNELSETFX(7, 8), 0x41u);
    bassdouble::SetResult("BASS_ChannelRemoveFX", 1);
    EXPECT_EQ(BASSCHANNELREMOVEFX(7, 0x41), 1);
    bassdouble::SetResult("BASS_ChannelSetDSP", 0x42);
    EXPECT_EQ(BASSCHANNELSETDSP(7, audiolink::RotateDsp, 9, -3), 0x42u);
    bassdouble::SetResult("BASS_ChannelRemoveDSP", 1);
    EXPECT_EQ(BASSCHANNELREMOVEDSP(7, 0x42), 1);
    bassdouble::SetResult("BASS_FXSetParameters", 1);
    EXPECT_EQ(BASSFXSETPARAMETERS(0x41, &record), 1);
    bassdouble::SetResult("BASS_FXGetParameters", 1);
    EXPECT_EQ(BASSFXGETPARAMETERS(0x41, &record), 1);
    std::vector<bassdouble::CallRecord> calls = EntryCalls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].args, (Words{7, 8}));
    EXPECT_EQ(calls[1].args, (Words{7, 0x41}));
    EXPECT_EQ(calls[2].args, (Words{7, word(reinterpret_cast<void *>(audiolink::RotateDsp)), 9, DWORD(-3)}));
    EXPECT_EQ(calls[3].args, (Words{7, 0x42}));
    EXPECT_EQ(calls[4].args, (Words{0x41, word(&record)}));
    EXPECT_EQ(calls[5].args, (Words{0x41, word(&record)}));
}

TEST(EffectsRackWithoutLibrary, SlotsStayEmptyAndNothingFails)
{
    bassdouble::Reset();
    DoublesOnSearchPath doubles("bare");
    BASSLOAD();
    EffectsDialog dialog;
    dialog.CheckAll(true);
    BASSFXWINDOW(dialog.Window(), 1);
    EXPECT_EQ(BASSCHANNELSETFX(1, 7), 0u);
    EXPECT_EQ(BASSCHANNELSETDSP(1, audiolink::RotateDsp, 0, 0), 0u);
    EXPECT_EQ(BASSFXGETPARAMETERS(1, nullptr), 0);
    audiolink::ApplyEffects(1);
    for (int slot = 1; slot <= 17; ++slot)
        EXPECT_EQ(BASSFXCHANNEL(slot), 0u);
    BASSREMOVEFX(1);
    BASSFXWINDOW(nullptr, 1);
    BASSUNLOAD();
}

} // namespace
