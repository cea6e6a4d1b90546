#include "explorer/shared/ExplorerTexts.h"
#include "explorer/tree/TreeSizeCommand.h"
#include "explorer/tree/TreeSizeMessage.h"
#include "platform/MessageBox.h"
#include "tests/explorer/LocaleGuard.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The tree's texts in a language, and the user's number formats of a locale, while it lives.
class TreeTexts {
public:
    TreeTexts(TLanguage language, const QLocale &locale) : m_locale(locale)
    {
        TreeTextLanguage = language;
        LoadTreeTexts();
    }
    ~TreeTexts()
    {
        TreeTextLanguage = m_previous;
        LoadTreeTexts();
    }

private:
    TLanguage m_previous = TreeTextLanguage;
    LocaleGuard m_locale;
};

const QLocale italian(QLocale::Italian, QLocale::Italy);

QString italianMessage(const QString &label, const QString &bytes, const QString &size)
{
    return QStringLiteral("===== Capacità =====\r\r") + label + QStringLiteral("\re tutte le sotto-cartelle \r =  ") + bytes
           + QStringLiteral(" Bytes\r     (i.e. ") + size + QStringLiteral(" )");
}

} // namespace

TEST(TreeSizeTest, TheMessageTellsTheSizeOfTheRealFolder)
{
    TreeTexts texts(lnItalian, italian);
    struct Case {
        QList<qint64> files;
        QString bytes;
        QString size;
    };
    const Case cases[] = {
        {{}, QStringLiteral("0"), QStringLiteral("0,00 KB")},
        {{100}, QStringLiteral("100"), QStringLiteral("1,00 KB")},
        {{1000, 536}, QStringLiteral("1.536"), QStringLiteral("1,50 KB")},
        {{5000000000}, QStringLiteral("5.000.000.000"), QStringLiteral("4.768,37 MB")}, // 4.882.812,50 KB
    };
    for (const Case &c : cases) {
        TempFolder folder(false);
        MappedDrive drive(QLatin1Char('K'), folder.path());
        platform::refreshDrives();
        QDir(folder.path()).mkpath(QStringLiteral("Musica"));
        qint64 total = 0;
        for (int i = 0; i < c.files.size(); ++i) {
            QFile file(folder.filePath(QStringLiteral("Musica/%1.mp3").arg(i)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(c.files[i])); // sparse where large
            total += c.files[i];
        }
        platform::ScriptedMessageResponder boxes;

        const double bytes = TreeSizeCommand::run(nullptr, QStringLiteral("K:\\Musica"), 2);

        EXPECT_EQ(bytes, double(total));
        EXPECT_EQ(TreeSizeCommand::folderBytes(QStringLiteral("K:\\Musica")), double(total));
        ASSERT_EQ(boxes.requests().size(), 1);
        EXPECT_EQ(boxes.requests()[0].kind, platform::MessageKind::Information);
        EXPECT_EQ(boxes.texts()[0].toStdString(), italianMessage(QStringLiteral("Cartella \"Musica\""), c.bytes, c.size).toStdString());
        // the drive holding it
        boxes.clear();
        EXPECT_EQ(TreeSizeCommand::run(nullptr, QStringLiteral("K:\\"), 1), double(total));
        EXPECT_EQ(boxes.texts(), QStringList{italianMessage(QStringLiteral("Unità K:\\"), c.bytes, c.size)});
    }
}

TEST(TreeSizeTest, SizeTextsAroundTheirLimitsAndTheUnreadableLine)
{
    {
        TreeTexts texts(lnItalian, italian);
        EXPECT_EQ(TreeSizeMessage::sizeText(1), QStringLiteral("1,00 KB"));
        EXPECT_EQ(TreeSizeMessage::sizeText(1024), QStringLiteral("1,00 KB"));
        EXPECT_EQ(TreeSizeMessage::sizeText(99999ull * 1024), QStringLiteral("99.999,00 KB"));
        EXPECT_EQ(TreeSizeMessage::sizeText(100000ull * 1024), QStringLiteral("97,66 MB"));
        EXPECT_EQ(TreeSizeMessage::label(QString(), 0), QString());
        EXPECT_EQ(TreeSizeMessage::label(QStringLiteral("C:\\Musica\\Rock\\"), 3), QStringLiteral("Cartella \"Rock\""));
        EXPECT_TRUE(TreeSizeMessage::compose(QString(), 10, 1).endsWith(QStringLiteral(" )\r1 cartella non è stata letta.")));
        EXPECT_TRUE(TreeSizeMessage::compose(QString(), 10, 3).endsWith(QStringLiteral(" )\r3 cartelle non sono state lette.")));
        EXPECT_FALSE(TreeSizeMessage::compose(QString(), 10, 0).contains(QStringLiteral("lett")));
    }
    TreeTexts texts(lnEnglish, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(TreeSizeMessage::compose(QStringLiteral("Folder \"Music\""), 1536, 1200),
              QStringLiteral("===== TREE SIZE =====\r\rFolder \"Music\"\rand all its Sub-Folders \r =  1,536 Bytes\r"
                             "     (i.e. 1.50 KB )\r1,200 folders could not be read."));
}

TEST(TreeSizeTest, TheComputerCountsNothing)
{
    TreeTexts texts(lnItalian, italian);
    platform::ScriptedMessageResponder boxes;
    EXPECT_EQ(TreeSizeCommand::run(nullptr, QString(), 0), 0.0);
    EXPECT_EQ(boxes.texts(), QStringList{italianMessage(QString(), QStringLiteral("0"), QStringLiteral("0,00 KB"))});
}

TEST(TreeSizeTest, CancelStopsALongCountAndTheWindowKeepsRunning)
{
    TreeOnFolder fixture({QStringLiteral("Music")});
    TreeTexts texts(lnItalian, italian); // after the tree, which loads the texts of its own language
    platform::ScriptedMessageResponder boxes;
    // a 10 ms timer tells how long the event loop was held at most
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
    });
    // once the progress window shows, Cancel is pressed
    QElapsedTimer sinceShown;
    QString progressShown;
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget *dialog = fixture.tree.window()->findChild<QWidget *>(QStringLiteral("TreeSizeProgress"));
        if (!dialog || !dialog->isVisible())
            return;
        if (!sinceShown.isValid())
            sinceShown.start();
        progressShown = dialog->findChild<QLabel *>()->text();
        dialog->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
    });
    sinceTick.start();
    ticker.start();
    user.start();

    // "C:\" is the whole root file system: seconds of work
    const double bytes = TreeSizeCommand::run(&fixture.tree, QStringLiteral("C:\\"), 1);

    if (!sinceShown.isValid())
        GTEST_SKIP() << "the root file system was counted before the progress window showed";
    EXPECT_EQ(bytes, 0.0);
    EXPECT_TRUE(boxes.requests().isEmpty());
    EXPECT_TRUE(progressShown.contains(QStringLiteral(" cartelle, "))) << progressShown.toStdString();
    EXPECT_EQ(fixture.tree.window()->findChild<QWidget *>(QStringLiteral("TreeSizeProgress")), nullptr);
    // no proof of speed, only that the loop was never held for long
    EXPECT_LT(longestGapMs, 500);
}
