// The meter: loudness as BS.1770 measures it (K-weighted, gated over 400 ms
// blocks), the true peak (4 times oversampled), and the small speaker (a steep
// high-pass at 400 Hz). The filters' coefficients are worked out for the rate.
#include "sound/sound.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979;

// One second-order section (direct form II transposed).
struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0;
    double z2 = 0.0;
    double step(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        if (std::fabs(z1) + std::fabs(z2) < 1e-30) {  // in the silence after an effect: no slow denormals
            z1 = 0.0;
            z2 = 0.0;
        }
        return y;
    }
};

// BS.1770's first stage: a high shelf of about +4 dB above 1.7 kHz (the head's effect).
Biquad kShelf(int rate)
{
    const double k = std::tan(pi * 1681.974450955533 / rate);
    const double q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return Biquad{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                  2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// BS.1770's second stage, and the small speaker's sections: a high-pass at hz with quality q.
Biquad highPass(int rate, double hz, double q)
{
    const double k = std::tan(pi * hz / rate);
    const double a0 = 1.0 + k / q + k * k;
    return Biquad{1.0 / a0, -2.0 / a0, 1.0 / a0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

float decibels(double power)
{
    return power > 0.0 ? static_cast<float>(10.0 * std::log10(power)) : -200.0f;
}

// sinc(t) under a Hann window that reaches 0 at +-halfTaps: the 4x interpolator
// (its 32 taps a phase read within 0.2 dB of ffmpeg's true-peak meter).
constexpr int halfTaps = 16;
double interpolator(double t)
{
    if (std::fabs(t) >= halfTaps) {
        return 0.0;
    }
    const double window = 0.5 + 0.5 * std::cos(pi * t / halfTaps);
    return t == 0.0 ? 1.0 : window * std::sin(pi * t) / (pi * t);
}

}  // namespace

float soundLoudnessLufs(const std::vector<float>& samples, int rate)
{
    // Mean squares of the K-weighted signal, 100 ms at a time, over the samples and 0.5 s of silence.
    Biquad shelf = kShelf(rate);
    Biquad low = highPass(rate, 38.13547087602444, 0.5003270373238773);
    low.b0 = 1.0;  // BS.1770 leaves this stage's gain unnormalised: 1, -2, 1
    low.b1 = -2.0;
    low.b2 = 1.0;
    const std::size_t step = static_cast<std::size_t>(rate / 10);
    const std::size_t length = samples.size() + static_cast<std::size_t>(rate / 2);
    std::vector<double> steps(length / step, 0.0);
    std::size_t i = 0;
    for (double& power : steps) {
        for (const std::size_t end = i + step; i < end; ++i) {
            const double y = low.step(shelf.step(i < samples.size() ? samples[i] : 0.0f));
            power += y * y;
        }
        power /= static_cast<double>(step);
    }
    // 400 ms blocks every 100 ms; gated at -70 LUFS, then at 10 LU under the blocks that passed.
    std::vector<double> blocks;
    for (std::size_t b = 0; b + 4 <= steps.size(); ++b) {
        blocks.push_back((steps[b] + steps[b + 1] + steps[b + 2] + steps[b + 3]) / 4.0);
    }
    const auto gatedMean = [&](double floorLufs) {
        double sum = 0.0;
        int count = 0;
        for (const double block : blocks) {
            if (-0.691 + decibels(block) > floorLufs) {
                sum += block;
                ++count;
            }
        }
        return count > 0 ? sum / count : 0.0;
    };
    const double ungated = gatedMean(-70.0);
    if (ungated <= 0.0) {
        return -200.0f;
    }
    return static_cast<float>(-0.691 + decibels(gatedMean(std::max(-70.0, -0.691 + decibels(ungated) - 10.0))));
}

float soundSmallSpeakerLufs(const std::vector<float>& samples)
{
    // An 8-pole Butterworth high-pass at 400 Hz: four sections with its qualities.
    std::vector<float> heard = samples;
    for (const double q : {0.5098, 0.6013, 0.9000, 2.5629}) {
        Biquad section = highPass(soundSampleRate, 400.0, q);
        for (float& s : heard) {
            s = static_cast<float>(section.step(s));
        }
    }
    return soundLoudnessLufs(heard, soundSampleRate);
}

float soundTruePeakDb(const std::vector<float>& samples)
{
    double taps[3][2 * halfTaps];
    for (int phase = 1; phase <= 3; ++phase) {
        for (int k = 0; k < 2 * halfTaps; ++k) {
            taps[phase - 1][k] = interpolator(phase / 4.0 - (k - halfTaps + 1));
        }
    }
    // The samples with halfTaps of silence either side, so that every tap reads one.
    std::vector<double> x(samples.size() + 2 * halfTaps, 0.0);
    std::copy(samples.begin(), samples.end(), x.begin() + halfTaps);
    double peak = 0.0;
    for (const double s : x) {
        peak = std::max(peak, std::fabs(s));
    }
    // Every gap between two samples, from the one before the first sample (an abrupt start
    // overshoots there) to the one after the last. Between two samples both more than 12 dB
    // under the largest, no peak passes it (an overshoot of four times takes a signal no effect
    // makes): skip them.
    for (std::size_t i = 0; i + 2 * halfTaps <= x.size(); ++i) {
        if (std::max(std::fabs(x[i + halfTaps - 1]), std::fabs(x[i + halfTaps])) < 0.25 * peak) {
            continue;
        }
        for (const double* h : taps) {
            double y = 0.0;
            for (std::size_t k = 0; k < 2 * halfTaps; ++k) {
                y += h[k] * x[i + k];
            }
            peak = std::max(peak, std::fabs(y));
        }
    }
    return decibels(peak * peak);
}
