#include "app/frmCheck.h"

#include "launcher/ConfirmLayout.h"
#include "platform/widgets/Twips.h"

#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cmath>

using twips::toPixels;

namespace {

int toTwips(int pixels)
{
    return twips::fromPixels(pixels);
}

} // namespace

double frmCheck::twipsPerPixel()
{
    return twips::perPixel();
}

frmCheck::frmCheck(std::function<void(const QString&)> speak, std::function<void()> timedOut,
                   QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      speak_(std::move(speak)), timedOut_(std::move(timedOut)), t1_(new QTimer(this))
{
    setObjectName(QStringLiteral("frmCheck"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The prompt must not take the keyboard from the window the user works in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);

    lbl1_ = addLabel("lbl1", QString());
    lblName_ = addLabel("lblName", QString());
    lbl2_ = addLabel("lbl2", QStringLiteral("(Yes/No)?"));
    lbl3_ = addLabel("lbl3", QStringLiteral("Action will be canceled in"));
    lblSec_ = addLabel("lblSec", QStringLiteral("15"));
    lbl4_ = addLabel("lbl4", QStringLiteral("Seconds"));

    t1_->setObjectName(QStringLiteral("t1"));
    t1_->setInterval(1000);
    connect(t1_, &QTimer::timeout, this, &frmCheck::onTick);

    move(toPixels(ConfirmLayout::kLeft), toPixels(ConfirmLayout::kTop));
    layoutRow();
}

QLabel* frmCheck::addLabel(const char* objectName, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(objectName));
    return label;
}

void frmCheck::setQuestion(const QString& question)
{
    lbl1_->setText(question);
    layoutRow();
}

void frmCheck::frmload(const QString& name, std::int16_t seconds)
{
    speak_(lbl1_->text() + name + QLatin1Char('?'));
    lblName_->setText(name);
    layoutRow();
    counter_ = std::max<std::int16_t>(seconds, 0);
    lblSec_->setNum(counter_);
    t1_->start();
}

void frmCheck::onTick()
{
    if (counter_ == 0) {
        t1_->stop();
        timedOut_();
        close();
        return;
    }
    --counter_;
    lblSec_->setNum(counter_);
}

void frmCheck::layoutRow()
{
    // Labels that size themselves to their text; the fixed ones keep their width
    // unless this screen's font needs more, so that no text is cut off.
    auto textWidth = [](QLabel* label) { return toTwips(label->sizeHint().width()); };
    const ConfirmLayout l =
        layoutConfirmRow(textWidth(lbl1_), textWidth(lblName_),
                         std::max(ConfirmLayout::kYesNoWidth, textWidth(lbl2_)),
                         std::max(ConfirmLayout::kCancelWidth, textWidth(lbl3_)),
                         std::max(ConfirmLayout::kSecondsWidth, textWidth(lblSec_)),
                         std::max(ConfirmLayout::kSecondsWordWidth, textWidth(lbl4_)));

    int height = toPixels(ConfirmLayout::kHeight);
    for (QLabel* label : {lbl1_, lblName_, lbl2_, lbl3_, lblSec_, lbl4_})
        height = std::max(height, label->sizeHint().height());
    auto place = [height](QLabel* label, int leftTwips, int widthTwips) {
        label->setGeometry(toPixels(leftTwips), 0, toPixels(widthTwips), height);
    };
    place(lbl1_, ConfirmLayout::kQuestionLeft, textWidth(lbl1_));
    place(lblName_, l.nameLeft, textWidth(lblName_));
    place(lbl2_, l.yesNoLeft, l.cancelLeft - 200 - l.yesNoLeft);
    place(lbl3_, l.cancelLeft, l.secondsLeft - 30 - l.cancelLeft);
    place(lblSec_, l.secondsLeft, l.secondsWordLeft - 30 - l.secondsLeft);
    place(lbl4_, l.secondsWordLeft, l.width - 50 - l.secondsWordLeft);
    setFixedSize(toPixels(l.width), height);
}
