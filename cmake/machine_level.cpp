// Prints the x86-64 level of the machine it runs on (1, 2 or 3): the build asks it at configure
// time, to know whether it can run the programs it builds.
#include <cstdio>

#include "platform/processor.h"

int main() { std::printf("%d\n", x86_64_level_of(read_processor_words())); }
