// The baseline of the start-up benchmark: the smallest Qt Widgets program
// that shows a window of the installer's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(524, 308);
    window.show();
    return app.exec();
}
