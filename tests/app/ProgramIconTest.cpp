#include <QApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

// The test program runs on KestravaApplication, like the program.
TEST(ProgramIconTest, WindowsAndMessageBoxesCarryTheIconAtEveryInstalledSize)
{
    const QIcon icon = QApplication::windowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_EQ(icon.pixmap(48).size(), QSize(48, 48));

    QWidget window;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Kestrava"), QStringLiteral("text"));
    EXPECT_EQ(window.windowIcon().cacheKey(), icon.cacheKey());
    EXPECT_EQ(box.windowIcon().cacheKey(), icon.cacheKey());
}

TEST(ProgramIconTest, DesktopFileNameMatchesTheInstalledEntry)
{
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("kestrava"));
}
