#pragma once
// The folder tree, as far as the file list links with it. Its nodes, loading and
// commands are built on this class.

#include "explorer/FileListPartner.h"

class TZuDirTree21 : public FileListPartner {
    Q_OBJECT
public:
    explicit TZuDirTree21(QWidget *parent = nullptr);

    bool DragDropEnabled() const { return m_dragDropEnabled; }
    void SetDragDropEnabled(bool enabled) { m_dragDropEnabled = enabled; }
    virtual void ReloadTree() {}

protected:
    void linkOnListSide(TZuFilelistView28 *list, bool linked) override;

private:
    bool m_dragDropEnabled = true;
};
