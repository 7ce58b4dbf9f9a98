#pragma once

// The screen shown for any argument count but one or two.
void PrintUsage();
