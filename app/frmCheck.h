#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class QTimer;

// The confirmation prompt: a black strip at the top-left corner of the screen, above
// every other window, that names the command, asks aloud and counts the seconds down.
// When nobody answers in time it clears the main window's pending confirmation and
// closes itself.
class frmCheck : public QWidget
{
    Q_OBJECT
public:
    // `speak` is the main window's Speak; `timedOut` clears its pending confirmation.
    frmCheck(std::function<void(const QString&)> speak, std::function<void()> timedOut,
             QWidget* parent = nullptr);

    // The question that comes before the phrase (it ends with a space).
    void setQuestion(const QString& question);
    // Fills the prompt for `name`, speaks the question and starts counting down
    // `seconds`; a negative time counts as 0.
    void frmload(const QString& name, std::int16_t seconds);

    std::int16_t counter() const { return counter_; }
    QTimer* t1() const { return t1_; }
    void onTick();

    // Twips per pixel of this screen.
    static double twipsPerPixel();

private:
    void layoutRow();
    QLabel* addLabel(const char* objectName, const QString& text);

    std::function<void(const QString&)> speak_;
    std::function<void()> timedOut_;
    QLabel* lbl1_;
    QLabel* lblName_;
    QLabel* lbl2_;
    QLabel* lbl3_;
    QLabel* lblSec_;
    QLabel* lbl4_;
    QTimer* t1_;
    std::int16_t counter_ = 0;
};
