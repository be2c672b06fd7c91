// The seven effects, each made from a few lines of noise, tones, envelopes,
// filters and soft clipping, then brought to its planned loudness (the meter in
// loudness.cpp), kept under -1 dBTP and faded at both ends. Every effect draws
// its noise from its own fixed seed. The low effects (the blast, the engine, the
// landing) carry overtones, clicks and noise above 400 Hz, so that a phone's or a
// laptop's small speaker plays them nearly as loud as headphones do.
#include "sound/sound.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr float twoPi = 6.2831853f;
constexpr float rate = static_cast<float>(soundSampleRate);
constexpr float truePeakLimitDb = -1.0f;    // no effect's true peak passes this

// White noise in [-1, 1] from a 32-bit xorshift generator.
struct Noise {
    std::uint32_t state;
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }
};

// A state-variable filter: low-, band- and high-pass of one input at once.
struct Filter {
    float low = 0.0f;
    float band = 0.0f;
    // One step at centre frequency hz with damping q (0.1 sharp to 1.4 broad); returns band-pass.
    float step(float in, float hz, float q)
    {
        const float f = 2.0f * std::sin(3.14159265f * std::min(hz, rate / 6.0f) / rate);
        low += f * band;
        const float high = in - low - q * band;
        band += f * high;
        return band;
    }
};

// A one-pole low-pass.
struct Smooth {
    float value = 0.0f;
    float step(float in, float hz)
    {
        value += (1.0f - std::exp(-twoPi * hz / rate)) * (in - value);
        return value;
    }
};

int samplesFor(float seconds) { return static_cast<int>(seconds * rate); }

// Rises over attack seconds, then decays with time constant decay.
float hit(float t, float attack, float decay)
{
    return t < attack ? t / attack : std::exp(-(t - attack) / decay);
}

// A soft clip: near-linear below 1, levelling off towards +-1 (odd harmonics from a low tone).
float saturate(float x)
{
    return x / std::sqrt(1.0f + x * x);
}

// The throw: noise through a band-pass that sweeps up and back, swelling and fading.
void makeThrow(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(0.34f));
    Filter filter;
    const float n = static_cast<float>(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float x = static_cast<float>(i) / n;
        const float swell = std::sin(3.14159265f * x);
        out[i] = filter.step(noise.next(), 500.0f + 2600.0f * swell * swell, 0.5f) * swell * swell;
    }
}

// The landing: a low falling tone, driven into a soft clip so that its overtones
// carry on a small speaker, with the knock of the bone on the ground: a short
// band of noise around 900 Hz and a hollow tap at 520 Hz, all dying fast.
void makeLanding(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(0.24f));
    Smooth muffle;
    Filter knock;
    float phase = 0.0f;
    float tap = 0.0f;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = static_cast<float>(i) / rate;
        phase += twoPi * (55.0f + 60.0f * std::exp(-t / 0.04f)) / rate;
        tap += twoPi * 520.0f / rate;
        const float ground = muffle.step(noise.next(), 400.0f) * 2.0f * std::exp(-t / 0.02f);
        const float thump = saturate(6.0f * (std::sin(phase) + ground));
        const float click = knock.step(noise.next(), 900.0f, 0.5f) * 4.0f * std::exp(-t / 0.02f);
        out[i] = saturate(thump * hit(t, 0.004f, 0.06f) + click + 0.6f * std::sin(tap) * std::exp(-t / 0.04f));
    }
}

// One bark from sample `at`: a buzzy tone gliding up and down through a mouth-like
// band-pass, with a breath of noise.
void addBark(std::vector<float>& out, Noise& noise, float at, float pitch)
{
    const float length = 0.2f;
    Filter mouth;
    float phase = 0.0f;
    const int start = samplesFor(at);
    for (int i = 0; i < samplesFor(length) && start + i < static_cast<int>(out.size()); ++i) {
        const float t = static_cast<float>(i) / rate;
        const float glide = std::sin(3.14159265f * std::min(t / 0.12f, 1.0f));
        phase += twoPi * pitch * (1.0f + 0.35f * glide) / rate;
        const float buzz = 2.0f * (phase / twoPi - std::floor(phase / twoPi)) - 1.0f;
        const float voice = mouth.step(buzz + 0.3f * noise.next(), 1100.0f + 500.0f * glide, 0.6f);
        out[static_cast<std::size_t>(start + i)] += saturate(2.0f * voice * hit(t, 0.012f, 0.055f));
    }
}

void makeBark(std::vector<float>& out, Noise& noise)
{
    out.assign(samplesFor(0.26f), 0.0f);
    addBark(out, noise, 0.0f, 420.0f);
}

// Home: two barks, the second a little higher, with a short breath between them.
void makeHome(std::vector<float>& out, Noise& noise)
{
    out.assign(samplesFor(0.52f), 0.0f);
    addBark(out, noise, 0.0f, 420.0f);
    addBark(out, noise, 0.27f, 480.0f);
}

// A tree: a few sharp cracks of bright noise, then a rustle of leaves that flutters and dies away.
void makeTree(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(1.2f));
    Filter crack;
    Filter leaves;
    Smooth flutter;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = static_cast<float>(i) / rate;
        float cracks = 0.0f;
        for (const float at : {0.0f, 0.035f, 0.08f, 0.15f}) {
            if (t >= at) {
                cracks += std::exp(-(t - at) / 0.012f);
            }
        }
        const float snap = saturate(crack.step(noise.next(), 2500.0f, 0.9f) * cracks * 3.0f);
        const float shake = 0.4f + 3.0f * std::fabs(flutter.step(noise.next(), 12.0f));
        const float rustle = leaves.step(noise.next(), 4000.0f, 1.2f) * shake * hit(t, 0.12f, 0.35f);
        out[i] = 0.5f * snap + rustle;
    }
}

// A blast: a deep falling tone under a rumble of low noise, driven hard into a
// soft clip so that its overtones reach a small speaker; a bright crack at the
// start, then crackle (sparse sharp clicks) and debris (a band of noise that
// flutters) dying away over the rumble.
void makeBoom(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(1.45f));
    Smooth rumble;
    Smooth rumble2;
    Filter debris;
    Filter sparks;
    Smooth flutter;
    Smooth dull;  // takes the edge off the clipped mix: no sharp overs between samples
    float phase = 0.0f;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = static_cast<float>(i) / rate;
        phase += twoPi * (38.0f + 40.0f * std::exp(-t / 0.15f)) / rate;
        const float low = rumble2.step(rumble.step(noise.next(), 180.0f), 180.0f) * 9.0f;
        const float body = std::sin(phase) * hit(t, 0.005f, 0.25f) + low * hit(t, 0.02f, 0.45f);
        const float crack = noise.next() * std::exp(-t / 0.015f);
        const float click = noise.next() > 0.996f - 0.01f * std::exp(-t / 0.3f) ? noise.next() * 6.0f : 0.0f;
        const float crackle = sparks.step(click, 2200.0f, 0.7f);
        const float shake = 0.3f + 2.0f * std::fabs(flutter.step(noise.next(), 15.0f));
        const float rubble = debris.step(noise.next(), 900.0f, 1.2f) * shake;
        // Lopsided (less saturate(0.3)), for even overtones too.
        const float heavy = saturate(6.0f * body + 0.3f) - 0.2873478f;
        const float mix = 0.3f * heavy + 2.0f * crack + (crackle + 3.5f * rubble) * hit(t, 0.03f, 0.4f);
        out[i] = dull.step(saturate(5.0f * mix), 5000.0f) * hit(t, 0.002f, 0.6f);
    }
}

// The car coming in: an engine's firing pulses, rising in pitch and loudness as it
// nears, with the overtones of its exhaust (a clipped, brighter pulse) and a
// rattle of noise on each firing.
void makeEngine(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(2.4f));
    Smooth body;
    Filter rattle;
    float phase = 0.0f;
    const float n = static_cast<float>(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float x = static_cast<float>(i) / n;
        phase += twoPi * (32.0f + 22.0f * x) / rate;
        const float cycle = phase / twoPi - std::floor(phase / twoPi);
        const float firing = std::exp(-cycle * 8.0f);
        const float pulse = firing - 0.2f + 0.15f * noise.next();
        const float exhaust = 3.0f * body.step(pulse, 3000.0f);
        const float clatter = rattle.step(noise.next(), 1600.0f, 0.6f) * firing;
        out[i] = saturate(exhaust + 5.0f * clatter) * (0.25f + 0.75f * x * x);
    }
}

struct SoundMaker {
    SoundInfo info;
    std::uint32_t seed;
    void (*make)(std::vector<float>&, Noise&);
};

// Indexed by SoundId. The last column of each effect's record is the loudness
// plan: the blast the loudest, the car's engine a step (2 LU) below it, the
// barks, the throw and the tree's crack 2 LU below the engine, and the landing,
// which happens on every throw, 2 LU below them.
constexpr SoundMaker soundMakers[] = {
    {{ThrowSound, "throw", "the throw: a short whoosh", -19.0f}, 0x1234567u, makeThrow},
    {{LandingSound, "landing", "the bone landing: a soft thud with a knock", -21.0f}, 0x2345671u, makeLanding},
    {{BarkSound, "bark", "the dog taking the bone: a happy bark", -19.0f}, 0x3456712u, makeBark},
    {{HomeSound, "home", "the dog home with the bone: two barks", -19.0f}, 0x4567123u, makeHome},
    {{TreeSound, "tree", "a tree knocked over: a crack and a rustle", -19.0f}, 0x5671234u, makeTree},
    {{BoomSound, "boom", "a blast, the house's or the closing scene's: a deep boom with crackle and debris",
      -15.0f}, 0x6712345u, makeBoom},
    {{EngineSound, "engine", "the closing scene: the car's engine coming in, with its rattle", -17.0f},
     0x7123456u, makeEngine},
};
static_assert(sizeof soundMakers / sizeof soundMakers[0] == soundCount, "one maker per effect");

// A raised-cosine fade over soundFadeSeconds at both ends; the end samples are 0.
void fade(std::vector<float>& samples)
{
    const int length = std::min(samplesFor(soundFadeSeconds), static_cast<int>(samples.size()) / 2);
    for (int i = 0; i < length; ++i) {
        const float x = std::sin(0.5f * 3.14159265f * static_cast<float>(i) / static_cast<float>(length));
        samples[static_cast<std::size_t>(i)] *= x * x;
        samples[samples.size() - 1 - static_cast<std::size_t>(i)] *= x * x;
    }
}

}  // namespace

const SoundInfo& soundInfo(SoundId id)
{
    return soundMakers[id].info;
}

std::vector<float> synthesiseSound(SoundId id)
{
    std::vector<float> samples;
    Noise noise{soundMakers[id].seed};
    soundMakers[id].make(samples, noise);
    fade(samples);
    levelSound(samples, soundMakers[id].info.plannedLufs);
    return samples;
}

// Loudness and true peak both scale with the gain, so one measure of each settles it.
void levelSound(std::vector<float>& samples, float plannedLufs)
{
    const float loudness = soundLoudnessLufs(samples);
    if (loudness <= -200.0f) {
        return;
    }
    const float gainDb = std::min(plannedLufs - loudness, truePeakLimitDb - soundTruePeakDb(samples));
    const float gain = std::pow(10.0f, gainDb / 20.0f);
    for (float& s : samples) {
        s *= gain;
    }
}

float soundPeakDb(const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (const float s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    return peak > 0.0f ? 20.0f * std::log10(peak) : -200.0f;
}
