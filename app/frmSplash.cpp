#include "app/frmSplash.h"

#include "app/frmLaunch.h"
#include "launcher/StartMode.h"
#include "platform/widgets/Perchly.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

frmSplash::frmSplash(frmLaunch& main, QString commandLine, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      main_(main), commandLine_(std::move(commandLine)), t_(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setPixmap(QPixmap(QStringLiteral(":/splash.png")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    t_->setObjectName(QStringLiteral("t"));
    t_->setInterval(kDisplayMs);
    t_->setSingleShot(true);
    connect(t_, &QTimer::timeout, this, &frmSplash::onTimer);
}

void frmSplash::load()
{
    main_.setSplash(this);
    main_.load();
    t_->start();
}

void frmSplash::onTimer()
{
    main_.tray()->setShow(true);
    switch (startModeFor(commandLine_)) {
    case StartMode::Minimised:
        main_.startMinimised();
        main_.showSpeechNoticeInTray();
        close();
        break;
    case StartMode::Hidden:
        main_.hideMainWindow();
        main_.showSpeechNoticeInTray();
        close();
        break;
    case StartMode::Normal:
        // The main window closes the splash when it is activated.
        main_.show();
        main_.activateWindow();
        break;
    }
}
