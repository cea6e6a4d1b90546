#pragma once
// Sample MP3 files for the benchmarks, made once per run in a temporary folder (under
// TMPDIR: point it at another file system to measure there).

#include <QString>
#include <QStringList>

// Files with tags as players and taggers leave them: 2.3 with a cover, 2.4 in UTF-8,
// 2.3 in UTF-16 and ID3v1 only; about 1 MB of audio each.
const QStringList &taggedFiles();
// `count` tagged MP3 files, each with a cover of `coverBytes` and 200 KB of audio.
QStringList coveredFiles(int count, int coverBytes);
// A tagged MP3 file of about `megabytes` MB.
QString largeFile(int megabytes);
// The folder of the files and its file system, for the report.
QString benchFolderDescription();
