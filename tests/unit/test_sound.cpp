// The sound: the effects as synthesised, the listener and the places they sound
// from, the device opened quietly or not at all, and the game's events starting
// each effect once, at the frame or tick where it happens, from its place.
#include "al_double.h"
#include "game/game.h"
#include "render/render.h"
#include "gl_double.h"
#include "sound/sound.h"
#include "test_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

namespace {

// A fresh game with a sound device (or none) in the OpenAL double.
class Sound : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
        aldouble::reset();
        sound = SoundState{};
        app.windowWidth = 1000;
        app.windowHeight = 500;
    }
    void TearDown() override
    {
        soundShutDown();
        sound = SoundState{};
        aldouble::reset();
    }
    void openDevice()
    {
        aldouble::al().deviceAvailable = true;
        ASSERT_TRUE(soundStartUp());
    }
};

// Which effect a recorded start played.
int effectOf(const aldouble::Start& start)
{
    for (int id = 0; id < soundCount; ++id) {
        if (sound.buffers[id] == start.buffer) {
            return id;
        }
    }
    return -1;
}

std::vector<int> effectsStarted()
{
    std::vector<int> ids;
    for (const aldouble::Start& start : aldouble::al().starts) {
        ids.push_back(effectOf(start));
    }
    return ids;
}

// The start's position, as the place in the scene it was meant for.
void expectFrom(const aldouble::Start& start, Vector3 place, const std::string& what)
{
    const Vector3 at = sourcePosition(place);
    EXPECT_NEAR(start.position.x, at.x, 1e-4) << what;
    EXPECT_NEAR(start.position.y, at.y, 1e-4) << what;
    EXPECT_NEAR(start.position.z, at.z, 1e-4) << what;
}

// Where the recording GL saw the last `kind` drawn: the origin of its frame.
// Where the last draw of this kind stands in the scene: a quadric's centre, or
// the middle of a polygon's corners.
Vector3 drawnAt(const char* kind)
{
    const std::vector<gldouble::Draw> draws = gldouble::drawsOf(kind);
    if (draws.empty()) {
        return Vector3{-99.0f, -99.0f, -99.0f};
    }
    gldouble::Point at = draws.back().center();
    if (const std::vector<gldouble::Vertex>& corners = draws.back().vertices; !corners.empty()) {
        at = gldouble::Point{};
        for (const gldouble::Vertex& corner : corners) {
            at.x += corner.world.x / static_cast<double>(corners.size());
            at.y += corner.world.y / static_cast<double>(corners.size());
            at.z += corner.world.z / static_cast<double>(corners.size());
        }
    }
    return Vector3{static_cast<float>(at.x), static_cast<float>(at.y), static_cast<float>(at.z)};
}

// Milliseconds that finishSounds(maxMs) took.
long finishingMs(int maxMs)
{
    const auto before = std::chrono::steady_clock::now();
    finishSounds(maxMs);
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before).count());
}

float peakDbOf(const std::vector<float>& samples, std::size_t from, std::size_t count)
{
    return soundPeakDb(std::vector<float>(samples.begin() + static_cast<long>(from),
                                          samples.begin() + static_cast<long>(from + count)));
}

}  // namespace

TEST(SoundEffects, AreShortUnclippedFadedAndTheSameEveryTime)
{
    const std::size_t oneMs = soundSampleRate / 1000;
    for (int id = 0; id < soundCount; ++id) {
        SCOPED_TRACE(soundInfo(static_cast<SoundId>(id)).name);
        const std::vector<float> samples = synthesiseSound(static_cast<SoundId>(id));
        const float seconds = static_cast<float>(samples.size()) / soundSampleRate;
        EXPECT_GT(seconds, 0.2f);
        EXPECT_LT(seconds, id == EngineSound ? 3.0f : 1.5f) << "only the car's approach may be long";
        EXPECT_LE(soundTruePeakDb(samples), -1.0f + 1e-3f) << "survives resampling unclipped";
        EXPECT_EQ(samples.front(), 0.0f);
        EXPECT_EQ(samples.back(), 0.0f);
        EXPECT_LT(peakDbOf(samples, 0, oneMs), -30.0f) << "fades in";
        EXPECT_LT(peakDbOf(samples, samples.size() - oneMs, oneMs), -30.0f) << "fades out";
        EXPECT_EQ(samples, synthesiseSound(static_cast<SoundId>(id))) << "fixed noise seeds";
    }
}

TEST(SoundEffects, KeepTheirPlannedLoudnessThroughASmallSpeakerAndTheBlastIsTheLoudest)
{
    // The meter: a 997 Hz sine at 0 dBFS reads -3.0 LUFS (BS.1770), whatever the rate.
    for (const int rate : {22050, soundSampleRate}) {
        std::vector<float> sine(static_cast<std::size_t>(20 * rate));
        for (std::size_t i = 0; i < sine.size(); ++i) {
            sine[i] = static_cast<float>(std::sin(2.0 * 3.14159265358979 * 997.0 * static_cast<double>(i) / rate));
        }
        EXPECT_NEAR(soundLoudnessLufs(sine, rate), -3.0f, 0.05f) << rate << " Hz";
    }
    float heard[soundCount];
    for (int id = 0; id < soundCount; ++id) {
        const SoundInfo& info = soundInfo(static_cast<SoundId>(id));
        SCOPED_TRACE(info.name);
        const std::vector<float> samples = synthesiseSound(info.id);
        heard[id] = soundLoudnessLufs(samples);
        EXPECT_NEAR(heard[id], info.plannedLufs, 2.0f);
        EXPECT_LE(heard[id] - soundSmallSpeakerLufs(samples), 6.0f) << "through a small speaker";
    }
    for (int id = 0; id < soundCount; ++id) {
        EXPECT_GE(heard[BoomSound], heard[id]) << soundInfo(static_cast<SoundId>(id)).name;
        EXPECT_TRUE(id == BoomSound || heard[EngineSound] >= heard[id]) << soundInfo(static_cast<SoundId>(id)).name;
    }
}

TEST(SoundEffects, AnEffectAndItsReverseHaveTheSameTruePeak)
{
    // A rattle that starts abruptly on a full swing at half the rate and fades out: its true
    // peak is the overshoot before its first sample, which the reverse has after its last.
    constexpr int length = 4800;
    std::vector<float> rattle;
    for (int i = 0; i < length; ++i) {
        rattle.push_back((i % 2 == 0 ? 0.5f : -0.5f) * static_cast<float>(length - i) / length);
    }
    const std::vector<float> reversed(rattle.rbegin(), rattle.rend());
    EXPECT_GT(soundTruePeakDb(rattle), soundPeakDb(rattle) + 2.0f) << "the overshoot is read";
    EXPECT_NEAR(soundTruePeakDb(rattle), soundTruePeakDb(reversed), 0.01f);
}

TEST(SoundEffects, ALouderEffectIsHeldUnderMinusOneDbtpBelowItsPlan)
{
    // A quiet tone with one sharp click: brought to its plan, the click would clip.
    std::vector<float> samples(soundSampleRate);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.01f * static_cast<float>(std::sin(2.0 * 3.14159265358979 * 997.0 * static_cast<double>(i) /
                                                         soundSampleRate));
    }
    samples[samples.size() / 2] = 0.9f;
    const float plan = -15.0f;
    const float gainToPlanDb = plan - soundLoudnessLufs(samples);
    ASSERT_GT(soundTruePeakDb(samples) + gainToPlanDb, 0.0f) << "the plan alone would clip";

    levelSound(samples, plan);
    EXPECT_LE(soundTruePeakDb(samples), -1.0f + 1e-3f);
    EXPECT_LT(soundLoudnessLufs(samples), plan - 10.0f);
    EXPECT_GT(soundTruePeakDb(samples), -1.5f) << "as loud as the cap allows";
}

TEST(SoundPlacement, TheListenerIsTheCameraAndPlacesShiftWithTheScene)
{
    // The home view: eye (0, 2, 1) looking along -z.
    const Listener home = listenerFromCamera(Vector3{0, 2, 1}, Vector3{0, 2, 0}, Vector3{0, 1, 0});
    EXPECT_EQ(home.position.z, 1.0f);
    EXPECT_FLOAT_EQ(home.at.z, -1.0f);
    EXPECT_EQ(home.up.y, 1.0f);
    // The listener's right is at x up; a place left of the dog sounds left, the dog ahead.
    const Vector3 right{home.at.y * home.up.z - home.at.z * home.up.y, home.at.z * home.up.x - home.at.x * home.up.z,
                        home.at.x * home.up.y - home.at.y * home.up.x};
    const auto side = [&](Vector3 place) {
        const Vector3 p = sourcePosition(place);
        return dot(Vector3{p.x - home.position.x, p.y - home.position.y, p.z - home.position.z}, right);
    };
    EXPECT_LT(side(Vector3{-12, 0, -20}), 0.0f);
    EXPECT_GT(side(Vector3{12, 0, -20}), 0.0f);
    const Vector3 dog = sourcePosition(Vector3{0, 1, 0});
    EXPECT_EQ(dog.z, -10.0f) << "the dog is drawn 10 ahead of its place, 11 from the eye";

    // A walked camera: the listener looks where the camera looks, normalised.
    const Listener walked = listenerFromCamera(Vector3{3, 2, 4}, Vector3{6, 2, 0}, Vector3{0, 1, 0});
    EXPECT_FLOAT_EQ(walked.at.x, 0.6f);
    EXPECT_FLOAT_EQ(walked.at.z, -0.8f);
}

TEST_F(Sound, WithoutADeviceOrWhenItsContextOrAnUploadFailsTheGameIsSilentAndPrintsNothing)
{
    const struct {
        const char* what;
        bool device, contextFails, uploadFails;
    } cases[] = {{"no device", false, false, false},
                 {"a context fails", true, true, false},
                 {"an upload fails", true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        aldouble::reset();
        aldouble::al().deviceAvailable = c.device;
        aldouble::al().contextFails = c.contextFails;
        aldouble::al().uploadFails = c.uploadFails;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(soundStartUp());
        std::fprintf(stderr, "after\n");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "after\n") << "the probe's chatter is quieted, not stderr";
        const aldouble::Recorder& al = aldouble::al();
        EXPECT_EQ(al.devicesOpen + al.contextsOpen, 0) << "what was opened is closed";
        EXPECT_TRUE(al.buffers.empty() && al.sources.empty());
        playSound(ThrowSound, Vector3{});
        EXPECT_TRUE(al.starts.empty());
        EXPECT_LT(finishingMs(1000), 100) << "no waiting";
    }
}

TEST_F(Sound, ADeviceGetsEveryEffectAtFullLevelAndCutsOffAnEffectOnlyWhenAllAreBusy)
{
    testing::internal::CaptureStderr();
    openDevice();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const aldouble::Recorder& al = aldouble::al();
    ASSERT_EQ(al.buffers.size(), static_cast<std::size_t>(soundCount));
    for (int id = 0; id < soundCount; ++id) {
        const std::vector<float> samples = synthesiseSound(static_cast<SoundId>(id));
        std::vector<short> pcm(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            pcm[i] = static_cast<short>(samples[i] * 32767.0f);
        }
        EXPECT_EQ(al.buffers.at(sound.buffers[id]).samples, pcm) << soundInfo(static_cast<SoundId>(id)).name;
        EXPECT_EQ(al.buffers.at(sound.buffers[id]).rate, soundSampleRate);
    }
    EXPECT_EQ(al.sources.size(), static_cast<std::size_t>(soundSourceCount));

    // A full pool; one effect plays out, and the next start takes its source; then
    // all busy, one effect is stopped and gives its source up.
    for (int i = 0; i < soundSourceCount; ++i) {
        playSound(TreeSound, Vector3{static_cast<float>(i), 0, 0});
    }
    aldouble::stop(al.starts[3].source);
    playSound(TreeSound, Vector3{});
    playSound(TreeSound, Vector3{});
    ASSERT_EQ(al.starts.size(), static_cast<std::size_t>(soundSourceCount + 2));
    for (std::size_t i = 0; i < al.starts.size(); ++i) {
        EXPECT_FALSE(al.starts[i].wasPlaying) << "start " << i << " took a source still playing";
    }
    EXPECT_EQ(al.starts[soundSourceCount].source, al.starts[3].source);
    EXPECT_EQ(al.playing.size(), static_cast<std::size_t>(soundSourceCount));

    for (const aldouble::Start& start : al.starts) {  // OpenAL's inverse distance, clamped
        EXPECT_GE(start.referenceDistance, 11.0f) << "the dog, 11 from the eye, at full level";
        const float reference = start.referenceDistance;
        const float far = reference / (reference + start.rolloff * (60.0f - reference));
        EXPECT_TRUE(far > 0.25f && far < 0.5f) << "the far end of the field quieter, still heard: " << far;
    }
}

TEST_F(Sound, TheMuteOutlivesTheDeviceAndTheEndWaitsForTheEffectsUpToItsCeiling)
{
    openDevice();
    aldouble::Recorder& al = aldouble::al();
    setSoundMuted(true);
    playSound(ThrowSound, Vector3{});
    soundShutDown();
    openDevice();
    playSound(ThrowSound, Vector3{});
    EXPECT_TRUE(al.starts.empty()) << "muted, before and after the device reopened";
    setSoundMuted(false);

    // The effect plays out after 150 ms: the end waits for it, then closes the device.
    playSound(BoomSound, Vector3{});
    al.stopAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
    const long waited = finishingMs(5000);
    EXPECT_TRUE(waited >= 140 && waited < 2000) << waited;
    EXPECT_TRUE(al.devicesOpen + al.contextsOpen == 0 && al.buffers.empty() && !sound.open);

    // An effect that plays on for 3 s: the end stops at its ceiling.
    openDevice();
    playSound(EngineSound, Vector3{});
    al.stopAt = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    const long capped = finishingMs(100);
    EXPECT_TRUE(capped >= 100 && capped < 1500) << capped;
    EXPECT_EQ(al.devicesOpen + al.contextsOpen, 0);
}

TEST_F(Sound, AThrowPlaysWhooshThudBarkAndTwoBarksOnceEachWhereTheyHappen)
{
    openDevice();
    const aldouble::Recorder& al = aldouble::al();
    world.meterLevel = 0.3f;
    mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 200, 250);
    ASSERT_EQ(effectsStarted(), std::vector<int>{ThrowSound}) << "the click throws";
    expectFrom(al.starts[0], Vector3{0, 1, 0}, "the throw, at the dog");
    EXPECT_FLOAT_EQ(al.starts[0].listenerAt.z, -1.0f);

    // Frames start the phases, the timers run their ticks; note what each step started.
    struct Heard {
        int effect;
        LaunchState stateAfter;
        int boneGrabbed;
        Vector3 bone;
        Vector3 dog;
    };
    std::vector<Heard> heard;
    const auto note = [&] {
        while (heard.size() < al.starts.size() - 1) {
            heard.push_back(Heard{effectOf(al.starts[heard.size() + 1]), game.launchState, game.boneGrabbed,
                                  Vector3{game.boneX, game.boneY, game.boneZ}, Vector3{game.dogX, 0, game.dogZ}});
        }
    };
    Vector3 landed{};
    for (int step = 0; step < 1000 && !(game.launchState == Idle && game.stateChanged == 0); ++step) {
        dispatchLaunchState();
        note();
        while (gldouble::fireNextTimer()) {
            if (game.launchState == TurnToBone && landed.x == 0.0f) {
                landed = Vector3{game.boneX, 0.0f, game.boneZ};
            }
            note();
            if (game.stateChanged != 0) {
                break;
            }
        }
    }
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0].effect, LandingSound);
    EXPECT_EQ(heard[0].stateAfter, TurnToBone) << "on the flight's last tick";
    expectFrom(al.starts[1], landed, "the thud where the bone lands");
    EXPECT_LT(al.starts[1].position.x, 0.0f) << "a throw to the left lands on the left";

    EXPECT_EQ(heard[1].effect, BarkSound);
    EXPECT_EQ(heard[1].stateAfter, PickUpBone);
    EXPECT_EQ(heard[1].boneGrabbed, 1) << "on the tick the dog takes the bone";
    expectFrom(al.starts[2], Vector3{heard[1].dog.x, 1, heard[1].dog.z}, "the bark at the dog");

    EXPECT_EQ(heard[2].effect, HomeSound);
    EXPECT_EQ(heard[2].stateAfter, Idle) << "when the dog is home";
    expectFrom(al.starts[3], Vector3{0, 1, 0}, "the two barks at home");
}

TEST_F(Sound, AKnockedTreeAndTheHouseBlastPlayOnceOnTheFrameOfTheHit)
{
    openDevice();
    for (int i = 0; i < scatteredObjectCount; ++i) {
        world.scatteredObjects[i].x = -50.0f + 3.0f * static_cast<float>(i);
        world.scatteredObjects[i].z = -40.0f;
    }
    game.dogX = 1.0f;  // near no tree and outside the house: a quiet frame
    game.dogZ = -20.0f;
    drawTrees();
    stepHouse();
    EXPECT_TRUE(aldouble::al().starts.empty());

    game.dogX = -23.5f;  // within reach of the tree at x -23 only
    game.dogZ = -39.0f;
    for (int frame = 0; frame < 5; ++frame) {
        drawTrees();
        EXPECT_EQ(effectsStarted(), std::vector<int>{TreeSound}) << "frame " << frame;
    }
    expectFrom(aldouble::al().starts[0], Vector3{-23.0f, 2.0f, -40.0f}, "the tree's crack at the tree");

    game.dogX = houseX + 1.0f;
    game.dogZ = houseZ;
    for (int frame = 0; frame < 70; ++frame) {
        stepHouse();
        EXPECT_EQ(effectsStarted(), (std::vector<int>{TreeSound, BoomSound})) << "frame " << frame;
    }
    expectFrom(aldouble::al().starts[1], Vector3{houseX, 2.0f, houseZ}, "the boom at the house");
}

TEST_F(Sound, TheClosingScenePlaysTheEngineWhereTheCarStopsThenTheBlastWhereItIsDrawn)
{
    openDevice();
    game.dogX = 2.0f;
    game.dogZ = -3.0f;
    keyboard('q', 0, 0);
    EXPECT_EQ(effectsStarted(), std::vector<int>{EngineSound}) << "the car sets off with 'q'";
    Vector3 blast{};
    for (int frame = 1; frame <= 30; ++frame) {
        gldouble::clearLog();
        drawClosingSequence();
        const std::vector<int> expected =
            frame <= 11 ? std::vector<int>{EngineSound} : std::vector<int>{EngineSound, BoomSound};
        EXPECT_EQ(effectsStarted(), expected) << "frame " << frame;
        if (frame == 12) {
            blast = drawnAt("gluSphere");
        }
    }
    expectFrom(aldouble::al().starts[0], drawnAt("GL_POLYGON"), "the engine where the car is drawn once stopped");
    expectFrom(aldouble::al().starts[1], blast, "the blast where the explosion is drawn");
}

TEST_F(Sound, TheFreeWalkWithNoEventPlaysNothing)
{
    openDevice();
    for (int i = 0; i < scatteredObjectCount; ++i) {
        world.scatteredObjects[i].x = 40.0f;
        world.scatteredObjects[i].z = 40.0f;
    }
    keyboard('m', 0, 0);
    passiveMotion(900, 250);  // walk to the right, away from the trees and the house
    for (int frame = 0; frame < 100; ++frame) {
        display();
    }
    EXPECT_GT(std::fabs(game.dogX), 10.0f) << "the dog walked";
    EXPECT_TRUE(aldouble::al().starts.empty());
}
