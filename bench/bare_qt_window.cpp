// The least a Qt Widgets program does before its first window is on screen: the
// floor the program's start-up is measured against. It reports "shown" the way
// the program reports its login window, from the first turn of the event loop.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setObjectName(QStringLiteral("bareWindow"));
    window.setWindowTitle(QStringLiteral("登录"));
    window.resize(400, 260);
    window.show();
    QTimer::singleShot(0, &window, [] {
        std::fputs("window-shown\n", stdout);
        std::fflush(stdout);
        QApplication::quit();
    });
    return QApplication::exec();
}
