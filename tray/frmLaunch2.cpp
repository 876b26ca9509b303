#include "tray/frmLaunch2.h"

#include <QAction>
#include <QMenu>

frmLaunch2::frmLaunch2(QWidget* parent) : QWidget(parent), mnuPopup_(new QMenu(this))
{
    // A window of its own that is never shown, not a part of its owner's window.
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("frmLaunch2"));
    setWindowTitle(QStringLiteral("Ombrel Sarquen"));
    mnuPopup_->setObjectName(QStringLiteral("mnuPopup"));
    mnuPopup_->setTitle(QStringLiteral("Popup"));

    addItem(QStringLiteral("mnuItemShow"), QStringLiteral("&Show Ombrel Sarquen"),
            &frmLaunch2::showChosen);
    addItem(QStringLiteral("mnuItemHide"), QStringLiteral("&Hide Ombrel Sarquen"),
            &frmLaunch2::hideChosen);
    addSeparator(QStringLiteral("mnuspace1"));
    addItem(QStringLiteral("mnuItemStart"), QStringLiteral("Start &Listening"),
            &frmLaunch2::startListeningChosen)
        ->setEnabled(false);
    addItem(QStringLiteral("mnuItemStop"), QStringLiteral("Sto&p Listening"),
            &frmLaunch2::stopListeningChosen);
    addSeparator(QStringLiteral("mnuspace2"));
    addItem(QStringLiteral("mnuItemOptions"), QStringLiteral("Options"),
            &frmLaunch2::optionsChosen);
    addItem(QStringLiteral("mnuItemTrain"), QStringLiteral("&Train Your Voice"),
            &frmLaunch2::trainVoiceChosen);
    addSeparator(QStringLiteral("mnuspace3"));
    addItem(QStringLiteral("mnuItemAbout"), QStringLiteral("Help / &About Ombrel Sarquen"),
            &frmLaunch2::aboutChosen);
    addSeparator(QStringLiteral("mnuspace4"));
    addItem(QStringLiteral("mnuItemExit"), QStringLiteral("E&xit Ombrel Sarquen"),
            &frmLaunch2::exitChosen);
}

QAction* frmLaunch2::addItem(const QString& objectName, const QString& caption,
                             void (frmLaunch2::*chosen)())
{
    QAction* action = mnuPopup_->addAction(caption);
    action->setObjectName(objectName);
    connect(action, &QAction::triggered, this, chosen);
    return action;
}

QAction* frmLaunch2::addSeparator(const QString& objectName)
{
    QAction* action = mnuPopup_->addSeparator();
    action->setObjectName(objectName);
    return action;
}

QAction* frmLaunch2::item(const QString& objectName) const
{
    return mnuPopup_->findChild<QAction*>(objectName);
}
