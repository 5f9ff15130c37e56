// SPDX-License-Identifier: MIT
// The start-up yardstick: the least a Qt Widgets program does to put a window
// of the main window's size on the screen, in the same style. wind-bench
// times it from spawn to first paint beside the application, so the figure
// says what the application adds to what Qt itself costs on this machine.

#include <QApplication>
#include <QStyleFactory>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QWidget window;
    window.setFixedSize(873, 713);
    window.show();
    return app.exec();
}
