#pragma once
// A main window shown offscreen over a real folder of real files, with helpers to
// drive it as a user does.

#include "app/uMain.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/QtPrinters.h"
#include "tests/common/TempFolder.h"
#include "tests/tags/Mp3Files.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <gtest/gtest.h>
#include <memory>

class TZuDirTree21;
class TZuFilelistView28;
class TClickableImage;
class TfrmOpzioni;


class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // An MP3 file with an ID3v2.3 tag (when `v2` has any value) and an ID3v1 tag
    // (when `v1` has any value).
    void writeMp3(const QString &name, const tagbytes::Mp3Tags &v2, const tagbytes::Mp3Tags &v1 = {})
    {
        tagbytes::writeMp3(*folder, name, v2, v1);
    }
    // Options stored in the hive before the window is created.
    void storeOptions(const QString &options, const QString &pattern = QStringLiteral("[%1] - %2"));
    void createWindow();

    // Clicks the folder in the tree, as a user does.
    void clickFolder(const QString &nativePath);
    void clickListItem(int index);
    void press(const char *buttonName);
    void type(const char *fieldName, const QString &text);

    QLineEdit *edit(const char *name) const;
    TClickableImage *image(const char *name) const;
    int page() const;
    QString proposedName() const { return edit("edtNuovoNome")->text(); }
    TZuFilelistView28 *list() const;
    TZuDirTree21 *tree() const;

    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<platform::ScriptedMessageResponder> boxes;
    std::unique_ptr<TfrmOpzioni> optionsDialog;
    std::unique_ptr<TfrmMain> window;
};
