// The processor check of an x86-64 build. This file is compiled for plain x86-64 whatever the
// build's level (the build says so), and its check runs as the first constructor of the
// program, before any code of the build's own level.
#include "platform/processor.h"

#include <cstdio>
#include <cstdlib>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

// Set by the build: the level it was compiled for, and how its archives are named, for
// example "korvane-1.84-linux-" and ".tar.gz" around the level's name.
#ifndef KORVANE_REQUIRED_LEVEL
#define KORVANE_REQUIRED_LEVEL 1
#endif
#ifndef KORVANE_PACKAGE_STEM
#define KORVANE_PACKAGE_STEM "korvane-"
#endif
#ifndef KORVANE_PACKAGE_EXTENSION
#define KORVANE_PACKAGE_EXTENSION ""
#endif

namespace {

enum Word { BASIC_ECX, EXTENDED_EBX, AMD_ECX, SAVED_STATE };

struct Feature {
    const char* name;
    int level;
    Word word;
    uint32_t bits;  // all of them must be set
};

// What the compiler may use at each level (its -march=x86-64-v2 and -v3). AVX needs the system
// to save the vector registers as well as the processor to have them.
// clang-format off
constexpr Feature FEATURES[] = {
    {"SSE3",        2, BASIC_ECX,    1u << 0},
    {"SSSE3",       2, BASIC_ECX,    1u << 9},
    {"CMPXCHG16B",  2, BASIC_ECX,    1u << 13},
    {"SSE4.1",      2, BASIC_ECX,    1u << 19},
    {"SSE4.2",      2, BASIC_ECX,    1u << 20},
    {"POPCNT",      2, BASIC_ECX,    1u << 23},
    {"LAHF-SAHF",   2, AMD_ECX,      1u << 0},
    {"AVX",         3, BASIC_ECX,    1u << 28},
    {"AVX state saved by the system", 3, SAVED_STATE, 6u},
    {"AVX2",        3, EXTENDED_EBX, 1u << 5},
    {"BMI1",        3, EXTENDED_EBX, 1u << 3},
    {"BMI2",        3, EXTENDED_EBX, 1u << 8},
    {"F16C",        3, BASIC_ECX,    1u << 29},
    {"FMA",         3, BASIC_ECX,    1u << 12},
    {"LZCNT",       3, AMD_ECX,      1u << 5},
    {"MOVBE",       3, BASIC_ECX,    1u << 22},
    {"XSAVE",       3, BASIC_ECX,    1u << 26},
};
// clang-format on

bool has_feature(const ProcessorWords& words, const Feature& feature)
{
    const uint32_t value[] = {words.basic_ecx, words.extended_ebx, words.amd_ecx, words.saved_state};
    return (value[feature.word] & feature.bits) == feature.bits;
}

#if defined(__x86_64__)
constexpr const char* LEVEL_NAMES[] = {"", "x86-64", "x86-64-v2", "x86-64-v3"};

// Runs before every other constructor of the program: one line on standard error and exit
// status 1 on a processor below the build's level; nothing at all otherwise.
void check_processor()
{
    if (KORVANE_REQUIRED_LEVEL < 2)
        return;
    const ProcessorWords words = read_processor_words();
    const int level = x86_64_level_of(words);
    if (level >= KORVANE_REQUIRED_LEVEL)
        return;
    char missing[512];
    list_missing_features(words, KORVANE_REQUIRED_LEVEL, missing, sizeof missing);
    std::fprintf(stderr, "This Korvane is built for %s processors, and this one lacks %s: take %s%s%s instead.\n",
                 LEVEL_NAMES[KORVANE_REQUIRED_LEVEL], missing, KORVANE_PACKAGE_STEM, LEVEL_NAMES[level],
                 KORVANE_PACKAGE_EXTENSION);
    // Nothing of the program has started, so nothing is to be finished: leave at once.
    std::fflush(stderr);
    std::_Exit(1);
}

// GCC and clang run constructors by priority, 101 the first a program may take. (Another
// compiler would have to be given its own hook here; without one the check does not run.)
#if defined(__GNUC__) || defined(__clang__)
__attribute__((constructor(101))) void check_processor_first() { check_processor(); }
#endif
#endif

}  // namespace

int x86_64_level_of(const ProcessorWords& words)
{
    int level = 3;
    for (const Feature& feature : FEATURES)
        if (feature.level <= level && !has_feature(words, feature))
            level = feature.level - 1;
    return level;
}

void list_missing_features(const ProcessorWords& words, int level, char* text, int size)
{
    int length = 0;
    text[0] = '\0';
    for (const Feature& feature : FEATURES) {
        if (feature.level > level || has_feature(words, feature))
            continue;
        const int written =
            std::snprintf(text + length, size_t(size - length), "%s%s", length ? ", " : "", feature.name);
        if (written < 0 || written >= size - length) {
            text[length] = '\0';  // whole names only
            return;
        }
        length += written;
    }
}

#if defined(__x86_64__)
namespace {

void read_cpuid(uint32_t leaf, uint32_t subleaf, uint32_t registers[4])
{
    __cpuid_count(leaf, subleaf, registers[0], registers[1], registers[2], registers[3]);
}

}  // namespace

ProcessorWords read_processor_words()
{
    ProcessorWords words = {};
    uint32_t r[4];  // EAX, EBX, ECX, EDX
    read_cpuid(0, 0, r);
    const uint32_t highest = r[0];
    read_cpuid(0x80000000u, 0, r);
    const uint32_t highest_amd = r[0];
    if (highest >= 1) {
        read_cpuid(1, 0, r);
        words.basic_ecx = r[2];
    }
    if (highest >= 7) {
        read_cpuid(7, 0, r);
        words.extended_ebx = r[1];
    }
    if (highest_amd >= 0x80000001u) {
        read_cpuid(0x80000001u, 0, r);
        words.amd_ecx = r[2];
    }
    constexpr uint32_t OSXSAVE = 1u << 27;  // the system has switched XGETBV on
    if (words.basic_ecx & OSXSAVE) {
        uint32_t low, high;
        __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        words.saved_state = low;
    }
    return words;
}
#else
ProcessorWords read_processor_words() { return ProcessorWords{}; }
#endif
