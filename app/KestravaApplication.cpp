#include "app/KestravaApplication.h"

#include "app/MessageBoxPresenter.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"

#include <QDirIterator>
#include <QIcon>
#include <exception>

namespace {
// Every size of the program icon compiled in; windows and message boxes inherit it.
QIcon programIcon()
{
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"));
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    return icon;
}
} // namespace

KestravaApplication::KestravaApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    installMessageBoxPresenter();
    setWindowIcon(programIcon());
    // Matches the installed desktop entry, so the desktop groups our windows under it.
    setDesktopFileName(QStringLiteral("kestrava"));
}

bool KestravaApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showCurrentError();
        return false;
    }
}

void KestravaApplication::showCurrentError()
{
    QString text;
    try {
        throw;
    } catch (const platform::Error &error) {
        text = error.message();
    } catch (const std::exception &error) {
        text = QString::fromLocal8Bit(error.what());
    } catch (...) {
        text = QStringLiteral("Errore imprevisto"); // the program speaks Italian
    }
    platform::showMessage(platform::MessageKind::Error, QCoreApplication::applicationName(), text);
}
