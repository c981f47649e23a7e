// What the line reader (input_lines.cpp) shares with the system's own layer: the layer reads
// raw bytes, the reader folds them into lines. Only platform/ includes this header.
#pragma once

// The next byte from the system (0..255), or -1 once the input has ended or failed.
int read_raw_byte();

// A byte read ahead after a carriage return, handed out before anything else is read; -1 when
// none is held. The poll counts it as waiting; restarting the input forgets it.
extern int pending_byte;
