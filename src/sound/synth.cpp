// The seven effects, each made from a few lines of noise, tones, envelopes and
// filters, then brought to a common loudness, kept under -1 dBFS and faded at
// both ends. Every effect draws its noise from its own fixed seed.
#include "sound/sound.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr float twoPi = 6.2831853f;
constexpr float rate = static_cast<float>(soundSampleRate);
constexpr float targetLoudnessDb = -16.0f;  // every effect is brought to this
constexpr float peakLimit = 0.8912509f;     // -1 dBFS
constexpr float quietLevel = 0.01f;         // -40 dBFS: below it a sample does not count for loudness

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

// The throw: noise through a band-pass that sweeps up and back, swelling and fading.
void makeThrow(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(0.34f));
    Filter filter;
    const float n = static_cast<float>(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float x = static_cast<float>(i) / n;
        const float swell = std::sin(3.14159265f * x);
        out[i] = filter.step(noise.next(), 500.0f + 2200.0f * swell * swell, 0.5f) * swell * swell;
    }
}

// The landing: a low falling tone with a muffled knock of noise, dying fast.
void makeLanding(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(0.24f));
    Smooth muffle;
    float phase = 0.0f;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = static_cast<float>(i) / rate;
        phase += twoPi * (55.0f + 60.0f * std::exp(-t / 0.04f)) / rate;
        const float knock = muffle.step(noise.next(), 400.0f) * 3.0f * std::exp(-t / 0.02f);
        out[i] = (std::sin(phase) + knock) * hit(t, 0.004f, 0.06f);
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
        out[static_cast<std::size_t>(start + i)] += voice * hit(t, 0.012f, 0.055f);
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
        const float snap = crack.step(noise.next(), 2500.0f, 0.9f) * cracks * 1.5f;
        const float shake = 0.4f + 3.0f * std::fabs(flutter.step(noise.next(), 12.0f));
        const float rustle = leaves.step(noise.next(), 4000.0f, 1.2f) * shake * hit(t, 0.12f, 0.35f);
        out[i] = snap + rustle;
    }
}

// A blast: a deep falling tone under a rumble of low noise, with a sharp start,
// rounded so that its peaks stay low against its body.
void makeBoom(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(1.45f));
    Smooth rumble;
    Smooth rumble2;
    float phase = 0.0f;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = static_cast<float>(i) / rate;
        phase += twoPi * (38.0f + 40.0f * std::exp(-t / 0.15f)) / rate;
        const float low = rumble2.step(rumble.step(noise.next(), 180.0f), 180.0f) * 9.0f;
        const float body = std::sin(phase) * hit(t, 0.005f, 0.25f) + low * hit(t, 0.02f, 0.45f);
        const float driven = 2.5f * body;
        out[i] = driven / std::sqrt(1.0f + driven * driven);
    }
}

// The car coming in: an engine's pulses, rising in pitch and loudness as it nears.
void makeEngine(std::vector<float>& out, Noise& noise)
{
    out.resize(samplesFor(2.4f));
    Smooth body;
    float phase = 0.0f;
    const float n = static_cast<float>(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float x = static_cast<float>(i) / n;
        phase += twoPi * (32.0f + 22.0f * x) / rate;
        const float cycle = phase / twoPi - std::floor(phase / twoPi);
        const float pulse = std::exp(-cycle * 6.0f) - 0.3f + 0.15f * noise.next();
        out[i] = body.step(pulse, 700.0f) * (0.25f + 0.75f * x * x);
    }
}

struct SoundMaker {
    SoundInfo info;
    std::uint32_t seed;
    void (*make)(std::vector<float>&, Noise&);
};

// Indexed by SoundId.
constexpr SoundMaker soundMakers[] = {
    {{ThrowSound, "throw", "the throw: a short whoosh"}, 0x1234567u, makeThrow},
    {{LandingSound, "landing", "the bone landing: a soft thud"}, 0x2345671u, makeLanding},
    {{BarkSound, "bark", "the dog taking the bone: a happy bark"}, 0x3456712u, makeBark},
    {{HomeSound, "home", "the dog home with the bone: two barks"}, 0x4567123u, makeHome},
    {{TreeSound, "tree", "a tree knocked over: a crack and a rustle"}, 0x5671234u, makeTree},
    {{BoomSound, "boom", "a blast, the house's or the closing scene's: a deep boom with a rumble"},
     0x6712345u, makeBoom},
    {{EngineSound, "engine", "the closing scene: the car's engine coming in"}, 0x7123456u, makeEngine},
};
static_assert(sizeof soundMakers / sizeof soundMakers[0] == soundCount, "one maker per effect");

// Brings the samples to the common loudness, or lower where the peak limit says so.
void level(std::vector<float>& samples)
{
    float peak = 0.0f;
    for (const float s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    if (peak <= 0.0f) {
        return;
    }
    // Loudness counts the samples above -40 dBFS, which depends on the gain: two rounds settle it.
    float gain = 1.0f / peak;
    for (int round = 0; round < 2; ++round) {
        double sum = 0.0;
        long count = 0;
        for (const float s : samples) {
            if (std::fabs(s * gain) > quietLevel) {
                sum += static_cast<double>(s * gain) * static_cast<double>(s * gain);
                ++count;
            }
        }
        const float loudness = count > 0 ? static_cast<float>(std::sqrt(sum / static_cast<double>(count))) : 1.0f;
        gain *= std::pow(10.0f, targetLoudnessDb / 20.0f) / loudness;
        gain = std::min(gain, peakLimit / peak);
    }
    for (float& s : samples) {
        s *= gain;
    }
}

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

float decibels(double level)
{
    return level > 0.0 ? static_cast<float>(20.0 * std::log10(level)) : -200.0f;
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
    level(samples);
    fade(samples);
    return samples;
}

float soundLoudnessDb(const std::vector<float>& samples)
{
    double sum = 0.0;
    long count = 0;
    for (const float s : samples) {
        if (std::fabs(s) > quietLevel) {
            sum += static_cast<double>(s) * static_cast<double>(s);
            ++count;
        }
    }
    return count > 0 ? decibels(std::sqrt(sum / static_cast<double>(count))) : -200.0f;
}

float soundPeakDb(const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (const float s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    return decibels(peak);
}
