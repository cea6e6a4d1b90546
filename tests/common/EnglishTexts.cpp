#include "tests/common/EnglishTexts.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

platform::FileOperationTexts englishFileOperationTexts()
{
    QFile file(QStringLiteral(KESTRAVA_SOURCE_DIR "/resources/strings/en.json"));
    file.open(QIODevice::ReadOnly);
    const QJsonObject dialogs = QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("dialogs")).toObject();
    return [dialogs](const char *name) { return dialogs.value(QLatin1String(name)).toString(); };
}
