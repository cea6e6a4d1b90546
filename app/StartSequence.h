#pragma once
// The program's start: splash, windows, splash polled until its timer fired.

#include <functional>

// Shows the splash window, runs createWindows, then processes messages until the
// splash may close (never before its timer fired), and frees it.
void runWithSplash(const std::function<void()> &createWindows, int splashIntervalMs);
