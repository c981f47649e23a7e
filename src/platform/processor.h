// The x86-64 processor levels and what a processor has of them. A build for x86-64-v2 or v3
// checks the processor before any code of its level runs (processor_check.cpp): on a processor
// below its level it names the archive to take instead and exits, where it would otherwise die
// of an illegal instruction in the middle of a game.
#pragma once
#include <cstdint>

// The CPUID and XCR0 words that decide the level.
struct ProcessorWords {
    uint32_t basic_ecx;     // CPUID leaf 1, ECX
    uint32_t extended_ebx;  // CPUID leaf 7 sub-leaf 0, EBX
    uint32_t amd_ecx;       // CPUID leaf 0x80000001, ECX
    uint32_t saved_state;   // XCR0, the register sets the system saves; 0 without OSXSAVE
};

// The words of the processor this runs on; all 0 on a processor that is not x86-64.
ProcessorWords read_processor_words();

// 1 for plain x86-64, 2 for x86-64-v2 (POPCNT, SSE4.2, ...), 3 for x86-64-v3 (AVX2, BMI2, ...).
int x86_64_level_of(const ProcessorWords& words);

// Writes the names of the features of levels 2..level that words lack, separated by ", ", into
// text (at most size characters with the final 0). Empty when none is missing.
void list_missing_features(const ProcessorWords& words, int level, char* text, int size);
