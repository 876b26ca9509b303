// A window with the title its argument gives, for tests to find and act on: it fills
// the screen (maximised), prints "focus" when its line takes the keyboard focus, the line's text
// whenever it changes, and "press N" when mouse button N goes down on it.
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <cstdio>

namespace {

class Line : public QLineEdit
{
protected:
    void focusInEvent(QFocusEvent* event) override
    {
        std::printf("focus\n");
        std::fflush(stdout);
        QLineEdit::focusInEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        std::printf("press %d\n", static_cast<int>(event->button()));
        std::fflush(stdout);
        QLineEdit::mousePressEvent(event);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Line line;
    line.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("window"));
    QObject::connect(&line, &QLineEdit::textChanged, [](const QString& text) {
        std::printf("%s\n", text.toUtf8().constData());
        std::fflush(stdout);
    });
    line.showMaximized();

    return QApplication::exec();
}
