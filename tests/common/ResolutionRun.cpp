#include "tests/common/ResolutionRun.h"

#include "tests/common/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontInfo>
#include <QProcess>
#include <QProcessEnvironment>

QString runAtResolution(int dpi, const QString &gtestFilter)
{
    TempFolder screens(false);
    const QString config =
        screens.write(QStringLiteral("screen%1.json").arg(dpi),
                      QStringLiteral(R"({"screens": [{"name": "screen", "width": 1920, "height": 1080,
                                                      "logicalDpi": %1}]})")
                          .arg(dpi)
                          .toUtf8());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TEST_FONT_DPI"), QString::number(dpi));
    environment.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    // the lists make the folders they show current, and a test's folder is gone after it
    child.setWorkingDirectory(QDir::tempPath());
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("-platform"), QStringLiteral("offscreen:configfile=") + config,
                 QStringLiteral("--gtest_filter=") + gtestFilter, QStringLiteral("--gtest_brief=1")});
    if (!child.waitForFinished(60000))
        return QStringLiteral("the child did not finish");
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        return QString();
    return QString::fromLocal8Bit(child.readAll());
}

bool fontsFollowTheAskedResolution(int &dpi)
{
    dpi = qEnvironmentVariableIntValue("TEST_FONT_DPI");
    if (dpi <= 0)
        return true;
    QFont eightPoint;
    eightPoint.setPointSize(8);
    return qAbs(QFontInfo(eightPoint).pixelSize() - 8 * dpi / 72) <= 1;
}
