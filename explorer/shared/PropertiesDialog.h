#pragma once
// A small properties window of a file or folder, for desktops whose file manager
// offers none: name, type, location, size, modification time and attributes.

#include <QDialog>

class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // `path` is a drive path of an existing file or folder.
    explicit PropertiesDialog(const QString &path, QWidget *parent = nullptr);
};
