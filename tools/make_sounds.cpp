// make_sounds: writes every effect the game synthesises as a WAV file (16-bit
// mono, the game's own samples), to listen to or to measure.
//
//   make_sounds FOLDER        writes FOLDER/<name>.wav for each effect
//
// Prints a Markdown table, one row per file: what the effect is, its length,
// its planned loudness and, as the game's meter reads it, its loudness full range
// and through a small speaker (LUFS), and its true peak (dBTP). The table in
// docs/sound.md is this output, and the test docs.sound_table holds it so.
// Exit status 1 if a file cannot be written.
#include "sound/sound.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

void putLE(std::vector<unsigned char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

std::vector<unsigned char> wavFile(const std::vector<float>& samples)
{
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<unsigned char> out{'R', 'I', 'F', 'F'};
    putLE(out, 36u + dataBytes, 4);
    for (const char c : std::string("WAVEfmt ")) {
        out.push_back(static_cast<unsigned char>(c));
    }
    putLE(out, 16u, 4);                                // the format chunk's size
    putLE(out, 1u, 2);                                 // PCM
    putLE(out, 1u, 2);                                 // mono
    putLE(out, static_cast<std::uint32_t>(soundSampleRate), 4);
    putLE(out, static_cast<std::uint32_t>(soundSampleRate * 2), 4);
    putLE(out, 2u, 2);                                 // bytes per frame
    putLE(out, 16u, 2);                                // bits per sample
    for (const char c : std::string("data")) {
        out.push_back(static_cast<unsigned char>(c));
    }
    putLE(out, dataBytes, 4);
    for (const float s : samples) {
        putLE(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(s * 32767.0f)), 2);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds FOLDER\n");
        return 2;
    }
    std::printf("| Effect | File | Length | Planned | Full range | Small speaker | True peak |\n"
                "|---|---|---|---|---|---|---|\n");
    for (int id = 0; id < soundCount; ++id) {
        const SoundInfo& info = soundInfo(static_cast<SoundId>(id));
        const std::vector<float> samples = synthesiseSound(info.id);
        const std::string path = std::string(argv[1]) + "/" + info.name + ".wav";
        const std::vector<unsigned char> bytes = wavFile(samples);
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("| %s | `%s.wav` | %.2f s | %.1f LUFS | %.1f LUFS | %.1f LUFS | %.1f dBTP |\n", info.what,
                    info.name, static_cast<double>(samples.size()) / soundSampleRate,
                    static_cast<double>(info.plannedLufs), static_cast<double>(soundLoudnessLufs(samples)),
                    static_cast<double>(soundSmallSpeakerLufs(samples)), static_cast<double>(soundTruePeakDb(samples)));
    }
    return 0;
}
