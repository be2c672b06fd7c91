// wav_probe: measures the sound the game wrote through OpenAL Soft's wave
// writer, for the end-to-end test of the sound.
//
//   wav_probe seconds FILE   seconds of sound in a 16-bit PCM WAV so far (one
//                            still being written too)
//   wav_probe bursts FILE    one line per burst of sound, "START END LEFT_DB
//                            RIGHT_DB": seconds, and the RMS of the first two
//                            channels over it
//
// Exit status: 0 with a result, 2 for bad usage or a file that is no such WAV.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "command_line.h"

namespace {

// A 16-bit PCM WAV, interleaved. The data chunk may run to the end of the file:
// OpenAL Soft's wave writer fills in its size only when it closes.
struct Wav {
    int channels = 0;
    int rate = 0;
    std::vector<std::int16_t> samples;
};

std::uint32_t littleEndian(const std::vector<unsigned char>& bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes.at(at + static_cast<std::size_t>(i));
    }
    return value;
}

Wav readWav(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
        fail(std::string(path) + " is not a WAV file");
    }
    Wav wav;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + 4));
        const std::size_t size = littleEndian(bytes, at + 4, 4);
        if (id == "fmt ") {
            wav.channels = static_cast<int>(littleEndian(bytes, at + 10, 2));
            wav.rate = static_cast<int>(littleEndian(bytes, at + 12, 4));
            if (littleEndian(bytes, at + 22, 2) != 16) {
                fail(std::string(path) + " is not 16-bit");
            }
        } else if (id == "data") {
            const std::size_t end = std::min(bytes.size(), size == 0 ? bytes.size() : at + 8 + size);
            for (std::size_t i = at + 8; i + 1 < end; i += 2) {
                wav.samples.push_back(static_cast<std::int16_t>(littleEndian(bytes, i, 2)));
            }
            break;
        }
        at += 8 + size + (size & 1u);
    }
    if (wav.channels < 1 || wav.rate < 1) {
        fail(std::string(path) + " has no format chunk");
    }
    return wav;
}

int commandSeconds(char** argv)
{
    const Wav wav = readWav(argv[0]);
    std::printf("%.3f\n", static_cast<double>(wav.samples.size()) / wav.channels / wav.rate);
    return 0;
}

// Bursts: runs of 10 ms windows louder than -50 dBFS (RMS, on any channel),
// joined across quiet shorter than 150 ms.
int commandBursts(char** argv)
{
    const Wav wav = readWav(argv[0]);
    const std::size_t window = static_cast<std::size_t>(wav.rate / 100);
    const std::size_t frames = wav.samples.size() / static_cast<std::size_t>(wav.channels);
    const double quiet = 32768.0 * std::pow(10.0, -50.0 / 20.0);
    const std::size_t joinWindows = 15;
    std::vector<bool> loud;
    for (std::size_t start = 0; start + window <= frames; start += window) {
        bool any = false;
        for (int c = 0; c < wav.channels; ++c) {
            double sum = 0.0;
            for (std::size_t f = start; f < start + window; ++f) {
                const double v = wav.samples[f * static_cast<std::size_t>(wav.channels) + static_cast<std::size_t>(c)];
                sum += v * v;
            }
            any = any || std::sqrt(sum / static_cast<double>(window)) > quiet;
        }
        loud.push_back(any);
    }
    const auto channelDb = [&](std::size_t from, std::size_t to, int c) {
        double sum = 0.0;
        for (std::size_t f = from; f < to; ++f) {
            const double v = wav.samples[f * static_cast<std::size_t>(wav.channels) + static_cast<std::size_t>(c)] / 32768.0;
            sum += v * v;
        }
        const double rms = std::sqrt(sum / static_cast<double>(to - from));
        return rms > 0.0 ? 20.0 * std::log10(rms) : -200.0;
    };
    for (std::size_t i = 0; i < loud.size();) {
        if (!loud[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;  // one past the burst's last loud window
        for (std::size_t j = end; j < loud.size() && j < end + joinWindows; ++j) {
            if (loud[j]) {
                end = j + 1;
            }
        }
        const std::size_t from = i * window;
        const std::size_t to = end * window;
        std::printf("%.3f %.3f %.1f %.1f\n", static_cast<double>(from) / wav.rate, static_cast<double>(to) / wav.rate,
                    channelDb(from, to, 0), channelDb(from, to, wav.channels > 1 ? 1 : 0));
        i = end;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    programName = "wav_probe";
    if (argc == 3 && std::strcmp(argv[1], "seconds") == 0) {
        return commandSeconds(argv + 2);
    }
    if (argc == 3 && std::strcmp(argv[1], "bursts") == 0) {
        return commandBursts(argv + 2);
    }
    fail("usage: wav_probe seconds|bursts FILE");
}
