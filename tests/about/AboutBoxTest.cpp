// The about box: decoded captions, links opened through the desktop, the credits panel.

#include "about/About.h"
#include "about/LinkLabel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <gmock/gmock.h>

namespace {

QLabel *child(TfrmAbout &about, const char *name)
{
    auto *label = about.findChild<QLabel *>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label;
}

TEST(AboutBox, CaptionsAreDecodedAtCreation)
{
    TfrmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(child(about, "Label1")->text(), QStringLiteral("Kestrava v3.00"));
    EXPECT_EQ(child(about, "LinkLabel2")->text(), QStringLiteral("www.kestrava.example"));
    EXPECT_EQ(child(about, "LinkLabel1")->text(), QStringLiteral("zerko@kestrava.example"));
    EXPECT_EQ(child(about, "Label4")->text(), QStringLiteral("Build: 73"));
}

TEST(AboutBox, LinksOpenTheirAddressesThroughTheDesktop)
{
    TfrmAbout about;
    QList<QUrl> opened;
    for (const char *name : {"LinkLabel1", "LinkLabel2"})
        about.findChild<TLinkLabel *>(QString::fromLatin1(name))->setUrlOpener([&](const QUrl &url) { opened << url; });
    about.show();
    QTest::mouseClick(child(about, "LinkLabel1"), Qt::LeftButton);
    QTest::mouseClick(child(about, "LinkLabel2"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    // The mail program gets the address itself, with no space before it.
    EXPECT_EQ(opened[0].toString(), QStringLiteral("mailto:zerko@kestrava.example"));
    EXPECT_EQ(opened[0].path(), QStringLiteral("zerko@kestrava.example"));
    EXPECT_EQ(opened[1], QUrl(QStringLiteral("http://www.kestrava.example")));
}

TEST(AboutBox, IsNotModalAndOkHidesIt)
{
    TfrmAbout about;
    about.show();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QTest::mouseClick(about.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

class Credits : public ::testing::Test {
protected:
    void SetUp() override
    {
        about.show();
        logo = child(about, "Image1");
        memo = about.findChild<QTextEdit *>(QStringLiteral("Memo1"));
        timer = about.findChild<QTimer *>(QStringLiteral("Timer1"));
        ASSERT_TRUE(memo && timer);
    }
    void startCredits() { QTest::mousePress(logo, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier); }
    QStringList lines() const
    {
        QStringList shown;
        for (int line = 0; line < TfrmAbout::MemoLineCount; ++line)
            shown << about.memoLine(line);
        return shown;
    }

    // The block the credits cycle through, with our own credit lines.
    const QStringList block = QStringList(7, " ")
        + QStringList{"Kestrava v3.00", "by Zerko", " ", " ", "Idea e programma", " ", " ", " ", "Zerko", " ", " ",
                      "Grafica e icone", " ", "Zerko", " ", "Grazie a chi prova", " ", "ogni nuova versione", " ",
                      "*********", "******", "***", "1826", "Arrivederci!"};

    TfrmAbout about;
    QLabel *logo = nullptr;
    QTextEdit *memo = nullptr;
    QTimer *timer = nullptr;
};

TEST_F(Credits, OnlyShiftCtrlOnTheLogoStartsThem)
{
    ASSERT_EQ(block.size(), TfrmAbout::CreditsCycle);
    QTest::mousePress(logo, Qt::LeftButton);
    QTest::mousePress(logo, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_TRUE(logo->isVisible());
    EXPECT_FALSE(memo->isVisible());
    EXPECT_FALSE(timer->isActive());

    QTest::mousePress(logo, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(logo->isVisible());
    EXPECT_TRUE(memo->isVisible());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
}

TEST_F(Credits, ScrollOneLinePerTick)
{
    startCredits();
    for (int tick = 1; tick <= 2 * TfrmAbout::CreditsCycle; ++tick) {
        about.Timer1Timer();
        QStringList expected;
        for (int line = 0; line < TfrmAbout::MemoLineCount; ++line)
            expected << block[(line + tick - 1) % TfrmAbout::CreditsCycle];
        ASSERT_EQ(lines(), expected) << "tick " << tick;
    }
}

TEST_F(Credits, TheTimerDrivesThem)
{
    about.setCreditsInterval(5);
    startCredits();
    EXPECT_TRUE(QTest::qWaitFor([&] { return lines().contains(QStringLiteral("Kestrava v3.00")); }, 5000));
}

TEST_F(Credits, CloseResetsThemAndTheyStartOverOnReopening)
{
    startCredits();
    for (int tick = 0; tick < 12; ++tick)
        about.Timer1Timer();
    ASSERT_NE(about.creditsCounter(), 0);
    about.close();
    EXPECT_TRUE(logo->isVisibleTo(&about));
    EXPECT_FALSE(memo->isVisibleTo(&about));
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(about.creditsCounter(), 0);
    EXPECT_EQ(lines(), QStringList(TfrmAbout::MemoLineCount, QString()));

    about.show();
    startCredits();
    about.Timer1Timer();
    about.Timer1Timer();
    EXPECT_EQ(lines().last(), QStringLiteral("Kestrava v3.00"));
}

TEST_F(Credits, ClickingThePanelGivesTheFocusToOk)
{
    QApplication::setActiveWindow(&about);
    startCredits();
    QTest::mouseClick(memo->viewport(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), about.findChild<QPushButton *>(QStringLiteral("Button1")));
}

} // namespace
