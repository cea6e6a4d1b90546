#include "tests/app/MainWindowFixture.h"

#include "app/ClickableImage.h"
#include "explorer/tree/DirTree.h"
#include "explorer/filelist/FileListView.h"
#include "options/Opzioni.h"
#include "options/dialog/uOpzioni.h"
#include "platform/DrivePaths.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <stdexcept>

void MainWindowTest::SetUp()
{
    QFile::remove(platform::hiveFilePath());
    folder = std::make_unique<TempFolder>();
    boxes = std::make_unique<platform::ScriptedMessageResponder>();
}

void MainWindowTest::TearDown()
{
    window.reset();
    optionsDialog.reset();
    boxes.reset();
    folder.reset();
}

void MainWindowTest::storeOptions(const QString &options, const QString &pattern)
{
    ASSERT_TRUE(TOpzioni::writeRegistry(options, pattern));
}

void MainWindowTest::createWindow()
{
    window = std::make_unique<TfrmMain>();
    optionsDialog = std::make_unique<TfrmOpzioni>();
    window->setOptionsDialog(optionsDialog.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

namespace {
QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 3 && path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
}
} // namespace

void MainWindowTest::clickFolder(const QString &nativePath)
{
    // A walk that stops short leaves another folder selected: the test ends there
    // (the exception fails it) rather than act on that folder.
    TZuDirTree21 *folders = tree();
    const QString wanted = withoutTrailingSeparator(platform::toDrivePath(nativePath));
    const auto check = [&](const char *when) {
        const QString selected = withoutTrailingSeparator(folders->SelectedPath());
        if (selected != wanted)
            throw std::runtime_error(std::string("clickFolder: ") + when + " the tree selects " +
                                     selected.toStdString() + ", not " + wanted.toStdString());
    };
    folders->OpenPath(wanted);
    QTreeWidgetItem *node = folders->currentItem();
    if (!node)
        throw std::runtime_error("clickFolder: no node selected for " + wanted.toStdString());
    check("after the walk");
    folders->scrollToItem(node);
    const QRect place = folders->visualItemRect(node);
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, place.topLeft() + QPoint(30, place.height() / 2));
    check("after the click");
}

void MainWindowTest::clickListItem(int index)
{
    TZuFilelistView28 *files = list();
    const QModelIndex item = files->model()->index(index, 0);
    files->scrollTo(item);
    const QRect place = files->visualRect(item);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, place.center());
}

void MainWindowTest::press(const char *buttonName)
{
    auto *button = window->findChild<QPushButton *>(QString::fromLatin1(buttonName));
    ASSERT_NE(button, nullptr) << buttonName;
    QTest::mouseClick(button, Qt::LeftButton);
}

void MainWindowTest::type(const char *fieldName, const QString &text)
{
    QLineEdit *field = edit(fieldName);
    field->setFocus();
    QTest::keyClicks(field, text);
}

QLineEdit *MainWindowTest::edit(const char *name) const
{
    auto *field = window->findChild<QLineEdit *>(QString::fromLatin1(name));
    EXPECT_NE(field, nullptr) << name;
    return field;
}

TClickableImage *MainWindowTest::image(const char *name) const
{
    return window->findChild<TClickableImage *>(QString::fromLatin1(name));
}

int MainWindowTest::page() const
{
    return window->findChild<QStackedWidget *>(QStringLiteral("PageControl1"))->currentIndex();
}

TZuFilelistView28 *MainWindowTest::list() const
{
    return window->findChild<TZuFilelistView28 *>(QStringLiteral("flsFile"));
}

TZuDirTree21 *MainWindowTest::tree() const
{
    return window->findChild<TZuDirTree21 *>(QStringLiteral("dtrDirectory"));
}
