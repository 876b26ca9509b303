// A window with the title its argument gives, for tests to find and act on.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("window"));
    window.resize(200, 100);
    window.show();
    return QApplication::exec();
}
