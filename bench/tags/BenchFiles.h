#pragma once
// Sample MP3 files for the benchmarks, made once per run in a temporary folder.

#include <QString>
#include <QStringList>

// Files with tags as players and taggers leave them: 2.3 with a cover, 2.4 in UTF-8,
// 2.3 in UTF-16 and ID3v1 only; about 1 MB of audio each.
const QStringList &taggedFiles();
// A tagged MP3 file of about `megabytes` MB.
QString largeFile(int megabytes);
