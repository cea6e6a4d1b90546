#pragma once
// Small stand-ins for a linked control, speaking only the partner interfaces: a control
// is tested alone with one of these on the other side, and they note every call.

#include "explorer/shared/FolderPartner.h"
#include "explorer/shared/ListPartner.h"

#include <QObject>
#include <QStringList>

class FakeListPartner : public QObject, public ListPartner {
public:
    QObject *partnerObject() override { return this; }
    void followFolder(const QString &folder) override { calls << QStringLiteral("follow ") + folder; }
    void showFolder(const QString &folder, bool reread) override
    {
        calls << (reread ? QStringLiteral("reread ") : QStringLiteral("show ")) + folder;
    }
    void rereadKeepingSelection() override { calls << QStringLiteral("reread"); }
    QStringList selectedPaths() const override { return selection; }
    QStringList keepSelectedFilesOnly() override { return selection; }
    FolderPartner *folderPartner(FolderPartner::Kind kind) const override
    {
        return kind == FolderPartner::Kind::Tree ? tree : combo;
    }
    void linkFolderPartner(FolderPartner *partner, FolderPartner::Kind kind) override
    {
        FolderPartner *&slot = kind == FolderPartner::Kind::Tree ? tree : combo;
        if (slot == partner)
            return;
        FolderPartner *previous = slot;
        slot = partner;
        if (previous)
            previous->linkListPartner(nullptr);
        if (partner)
            partner->linkListPartner(this);
    }

    QStringList calls;
    QStringList selection;
    FolderPartner *tree = nullptr;
    FolderPartner *combo = nullptr;
};

class FakeFolderPartner : public QObject, public FolderPartner {
public:
    explicit FakeFolderPartner(Kind kind)
        : m_kind(kind)
    {
    }
    Kind partnerKind() const override { return m_kind; }
    QObject *partnerObject() override { return this; }
    void followFolder(const QString &path) override
    {
        calls << QStringLiteral("follow ") + path;
        chosen = path;
    }
    void reloadKeeping(const QString &path) override { calls << QStringLiteral("reload ") + path; }
    void showChangedFolder(const QString &path) override { calls << QStringLiteral("changed ") + path; }
    QString followedFolder() const override { return chosen; }
    QString topCaption() const override { return QStringLiteral("Computer"); }
    bool isDroppedDown() const override { return droppedDown; }
    void toggleDropDown() override
    {
        droppedDown = !droppedDown;
        calls << QStringLiteral("toggle");
    }

    QStringList calls;
    QString chosen;
    bool droppedDown = false;

private:
    Kind m_kind;
};
