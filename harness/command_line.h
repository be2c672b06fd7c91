// What the harness's programs (picture_probe, make_test_bmp, wav_probe) share:
// a failure that names the program and ends it with exit status 2, and whole
// numbers read from the command line.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// The program's name in its messages: each program sets it first thing in main.
inline const char* programName = "";

// Prints "NAME: MESSAGE" on standard error and exits with status 2.
[[noreturn]] inline void fail(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    std::exit(2);
}

// The whole number the text spells, or a failure.
inline int toInt(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0') {
        fail(std::string("not a whole number: ") + text);
    }
    return static_cast<int>(value);
}
