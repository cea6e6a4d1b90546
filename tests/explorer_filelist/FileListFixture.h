#pragma once
#include <stdexcept>
// A file list over a temporary folder of real files.

#include "explorer/filelist/FileListView.h"
#include "tests/common/TempFolder.h"

#include <QDir>
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

class FileListFixture : public ::testing::Test {
protected:
    // Drive path of a folder inside the temporary folder ("" for the folder itself).
    QString drivePathOf(const QString &sub = QString()) const
    {
        return sub.isEmpty() ? folder.drivePath() : folder.drivePath() + QLatin1Char('\\') + sub;
    }
    void makeFolder(const QString &name) const { QDir(folder.path()).mkpath(name); }
    void listFolder(const QString &sub = QString()) { list.SetDirectory(drivePathOf(sub)); }

    QStringList captions() const
    {
        QStringList result;
        for (int row = 0; row < list.itemCount(); ++row)
            result.append(list.item(row).caption);
        return result;
    }
    int rowOf(const QString &caption) const { return int(captions().indexOf(caption)); }
    FileListItem itemCalled(const QString &caption) const
    {
        // A missing item ends the test (the exception fails it): no other row stands in.
        const int row = rowOf(caption);
        if (row < 0)
            throw std::runtime_error("the list holds no item called " + caption.toStdString());
        return list.item(row);
    }

    TempFolder folder;
    TZuFilelistView28 list;
};
