#pragma once
// The real X clipboard of this test program: Xvfb is started by its main().

#include <QByteArray>
#include <QString>
#include <QStringList>

// Why no X server runs; empty when one does.
extern QString skipReason;
// Runs xclip on the clipboard selection while the application keeps answering.
QByteArray runXclip(const QStringList &arguments, const QByteArray &input = QByteArray());
