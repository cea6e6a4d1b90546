#pragma once
// The platform-version question of the explorer controls (it picks the picture
// viewer of the file list's View command).

// True for an NT-family platform whose major version is above 4 and minor above 0.
bool isNTAbove50(bool ntFamily, int majorVersion, int minorVersion);

// This platform is not of the NT family: always false.
bool IsNTAbove50();
