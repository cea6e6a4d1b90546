#pragma once
// The fuzz input as a real file, rewritten for every input.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// Writes the bytes to this process's scratch file and returns its native path.
QString scratchFile(const std::uint8_t *data, std::size_t size);
QByteArray scratchContent();

// Stops the run with a message when a property does not hold.
void fuzzCheck(bool holds, const char *what);
