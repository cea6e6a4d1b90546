#include "app/KestravaApplication.h"

#include "app/MessageBoxPresenter.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"

#include <exception>

KestravaApplication::KestravaApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    installMessageBoxPresenter();
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
        text = QStringLiteral("Unexpected error");
    }
    platform::showMessage(platform::MessageKind::Error, QCoreApplication::applicationName(), text);
}
