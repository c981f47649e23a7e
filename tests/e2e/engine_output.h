// What the two halves of the engine driver share (engine_lines.cpp and each system's file):
// not for the tests themselves.
#pragma once
#include "e2e/engine_process.h"

// Reads whatever output arrives within timeout_ms into engine.lines; false once the output has
// ended. Each system's file supplies it.
bool read_some(EngineProcess& engine, int timeout_ms);
// Moves every complete line of engine.pending to engine.lines, without its newline (and without a
// "\r" before it when drop_carriage_return).
void split_lines(EngineProcess& engine, bool drop_carriage_return);
// When the running process has ended: releases it, sets status as wait_for_exit returns it and
// answers true, without waiting. Each system's file supplies it.
bool reap_process(EngineProcess& engine, int& status);
