#pragma once

// The screen shown for any argument count but one or two.
void PrintUsage();

// --help: the options, written after the usage screen.
void PrintOptions();

// --version: the program's name and version.
void PrintVersion();
