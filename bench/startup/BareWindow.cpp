// A frameless window of the splash's size and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
    window.setFixedSize(395, 195);
    window.show();
    return application.exec();
}
