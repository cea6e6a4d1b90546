#pragma once
// The folder tree combo, as far as the file list links with it. Its drop-down tree
// is built on this class.

#include "explorer/FileListPartner.h"

class TZuDirTreeCombo28 : public FileListPartner {
    Q_OBJECT
public:
    explicit TZuDirTreeCombo28(QWidget *parent = nullptr);

    virtual void RebuildTree() {}

protected:
    void linkOnListSide(TZuFilelistView28 *list, bool linked) override;
};
