// Put after each of Korvane's command-line programs built as WebAssembly: runs the program
// (see node-program-prefix.js), with the arguments given to node after the file's name.
Module();
