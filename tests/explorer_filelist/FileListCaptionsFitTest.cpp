// The captions of the file list's columns and of its send-to dialog are shown whole in
// every language, at 96 and at 144 dpi.

#include "tests/explorer_filelist/FileListFixture.h"

#include "explorer/filelist/SendToAnyDialog.h"
#include "explorer/shared/LanguageTables.h"
#include "tests/common/ResolutionRun.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>

class FileListCaptionsFitTest : public FileListFixture {};

// Run by FitAt96And144Dpi at each resolution, and as it is at the default one.
TEST_F(FileListCaptionsFitTest, FitAtThisResolution)
{
    int dpi = 0;
    ASSERT_TRUE(fontsFollowTheAskedResolution(dpi)) << "the screen is not at " << dpi << " dpi";
    list.resize(900, 400);
    list.show();
    for (int language = lnEnglish; language <= lnSpanish; ++language) {
        SCOPED_TRACE(languageTableName(language).toStdString());
        list.SetLanguage(TLanguage(language));
        for (const QString &directory : {QStringLiteral("Drives"), drivePathOf()}) {
            list.SetDirectory(directory);
            QCoreApplication::processEvents();
            const QHeaderView *header = list.header();
            for (int column = 0; column < header->count(); ++column) {
                const QString caption = list.model()->headerData(column, Qt::Horizontal).toString();
                // the caption, the style's margins and the sort arrow's room
                EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column))
                    << directory.toStdString() << ": " << caption.toStdString();
                EXPECT_GE(header->sectionSize(column), header->fontMetrics().horizontalAdvance(caption))
                    << caption.toStdString();
            }
        }
        SendToAnyDialog dialog(nullptr, QString());
        dialog.show();
        QCoreApplication::processEvents();
        for (const QPushButton *button : dialog.findChildren<QPushButton *>()) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
            EXPECT_GE(button->height(), button->sizeHint().height()) << button->text().toStdString();
            EXPECT_TRUE(dialog.rect().contains(button->geometry())) << button->text().toStdString();
            for (const QPushButton *other : dialog.findChildren<QPushButton *>())
                EXPECT_TRUE(other == button || !other->geometry().intersects(button->geometry()));
        }
    }
    // the main window's hidden columns stay hidden
    list.SetLanguage(lnItalian);
    list.SetColWidth_Attr(0);
    listFolder();
    QCoreApplication::processEvents();
    EXPECT_EQ(list.header()->sectionSize(4), 0);
}

TEST(FileListCaptionsFitAt, Dpi96And144)
{
    for (const int dpi : {96, 144}) {
        const QString failures = runAtResolution(dpi, "FileListCaptionsFitTest.FitAtThisResolution");
        EXPECT_TRUE(failures.isEmpty()) << "at " << dpi << " dpi:\n" << failures.toStdString();
    }
}
