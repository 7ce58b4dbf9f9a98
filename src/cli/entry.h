// The program's entry: command line in, exit status out.
#pragma once

// argc and argv are what main was given; the Windows build reads the wide command line
// instead. Flushes all output before it returns the status.
int JrnlpeekMain(int argc, char** argv);
