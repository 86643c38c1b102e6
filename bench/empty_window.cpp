// The baseline of the start-up benchmarks: the smallest Qt Widgets program
// that shows a window of the installer's size. With --text it also shows one
// line of text, so that, like the installer's first page, it loads fonts
// before its first frame.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(524, 308);
    if (app.arguments().contains(QStringLiteral("--text"))) {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Install the product"), &window));
    }
    window.show();
    return app.exec();
}
