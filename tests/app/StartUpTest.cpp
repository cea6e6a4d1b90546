#include "app/KestravaApplication.h"
#include "app/SplashScreen.h"
#include "app/StartSequence.h"
#include "app/uMain.h"
#include "options/Opzioni.h"
#include "platform/Errors.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "platform/Registry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// Records, in order, what happened during one start.
struct StartLog {
    QStringList events;
    void connectTo(TFrmSplashScreen *splash)
    {
        QObject::connect(splash, &TFrmSplashScreen::timerFired, [this] { events << QStringLiteral("timer"); });
        QObject::connect(splash, &QObject::destroyed, [this] { events << QStringLiteral("splash freed"); });
    }
};

TFrmSplashScreen *findSplash()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *splash = qobject_cast<TFrmSplashScreen *>(widget))
            return splash;
    }
    return nullptr;
}
} // namespace

TEST(StartUpTest, SplashWaitsForItsTimerWhenTheWindowsComeFast)
{
    StartLog log;
    runWithSplash(
        [&] {
            log.connectTo(findSplash());
            log.events << QStringLiteral("windows created");
        },
        200);
    EXPECT_EQ(log.events, QStringList({"windows created", "timer", "splash freed"}));
}

TEST(StartUpTest, SplashStaysItsWholeIntervalWhenItsTimerFiresEarly)
{
    // A coarse timer may fire up to 5% early; here the tick comes after 1 ms.
    constexpr int intervalMs = 300;
    QElapsedTimer sinceCreated;
    sinceCreated.start();
    TFrmSplashScreen splash(intervalMs);
    splash.timer()->start(1);
    while (!splash.FormCloseQuery())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    EXPECT_GE(sinceCreated.elapsed(), intervalMs);
}

TEST(StartUpTest, SplashClosesRightAfterSlowWindowCreation)
{
    StartLog log;
    QElapsedTimer sinceCreated;
    runWithSplash(
        [&] {
            log.connectTo(findSplash());
            sinceCreated.start();
            // Creation that outlasts the interval, without handling messages.
            while (sinceCreated.elapsed() < 400) {
            }
            log.events << QStringLiteral("windows created");
        },
        // Long enough that a loaded machine cannot let the timer fire before the log is
        // connected, short enough to be outlasted by the creation above.
        150);
    EXPECT_EQ(log.events, QStringList({"windows created", "timer", "splash freed"}));
    // The timer's event was already due: the splash did not wait a second interval.
    EXPECT_LT(sinceCreated.elapsed(), 400 + 1000);
}

TEST(StartUpTest, SplashShowsTheProgramNameAndVersion)
{
    TFrmSplashScreen splash(10);
    EXPECT_EQ(splash.size(), QSize(395, 195));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Kestrava v3.00"));
    EXPECT_FALSE(splash.FormCloseQuery());
}

TEST(StartUpTest, MainWindowCreatesSharedObjectsAndFreesThemInOrderOnClose)
{
    QFile::remove(platform::hiveFilePath());
    for (const char *button : {static_cast<const char *>("btnEsci"), static_cast<const char *>(nullptr)}) {
        TfrmMain frmMain;
        EXPECT_EQ(frmMain.windowTitle(), QStringLiteral("Kestrava v3.00"));
        ASSERT_NE(frmMain.Kestrava(), nullptr);
        ASSERT_NE(frmMain.Opzioni(), nullptr);
        ASSERT_NE(frmMain.ID3v1(), nullptr);
        QStringList freed;
        QObject::connect(&frmMain, &TfrmMain::sharedObjectFreed, [&](const QString &name) { freed << name; });
        frmMain.show();
        if (button)
            QTest::mouseClick(frmMain.findChild<QPushButton *>(QString::fromLatin1(button)), Qt::LeftButton);
        else
            frmMain.close(); // the close box
        EXPECT_FALSE(frmMain.isVisible());
        EXPECT_EQ(freed, QStringList({"TOpzioni", "TKestrava", "TID3TagInfo"}));
        EXPECT_EQ(frmMain.Kestrava(), nullptr);
    }
    platform::RegistryKey key;
    key.openKey(TOpzioni::KeyPath);
    EXPECT_EQ(key.readString(QStringLiteral("Zerko")), QStringLiteral("301102"));
}

std::unique_ptr<QApplication> createTestApplication(int &argc, char **argv)
{
    return std::make_unique<KestravaApplication>(argc, argv);
}

namespace {
class ThrowingWidget : public QWidget {
protected:
    void mousePressEvent(QMouseEvent *) override { throw platform::StreamError(QStringLiteral("Stream read error")); }
};
} // namespace

TEST(StartUpTest, ErrorEscapingAnEventHandlerIsShownAndTheLoopGoesOn)
{
    platform::ScriptedMessageResponder responder;
    QCoreApplication::setApplicationName(QStringLiteral("Kestrava"));
    ThrowingWidget widget;
    widget.show();
    QTest::mouseClick(&widget, Qt::LeftButton);
    QTest::mouseClick(&widget, Qt::LeftButton);
    ASSERT_EQ(responder.requests().size(), 2);
    EXPECT_EQ(responder.requests().at(0).text, QStringLiteral("Stream read error"));
    EXPECT_EQ(responder.requests().at(0).kind, platform::MessageKind::Error);
    EXPECT_EQ(responder.requests().at(0).caption, QStringLiteral("Kestrava"));
}
