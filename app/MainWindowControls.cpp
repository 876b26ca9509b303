#include "app/MainWindowControls.h"

#include "about/AboutInfo.h"
#include "platform/widgets/Perchly.h"
#include "platform/widgets/Tabrix.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QVBoxLayout>

MainWindowControls::MainWindowControls(QWidget* window)
{
    window->setWindowIcon(QIcon(QStringLiteral(":/sarquen.png")));

    image1 = new QLabel(window);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(QPixmap(QStringLiteral(":/sarquen.png")));
    label1 = new QLabel(window);
    label1->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = label1->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    label1->setFont(titleFont);

    lstCmd = new QListWidget(window);
    lstCmd->setObjectName(QStringLiteral("lstCmd"));
    lstCmd->setMinimumSize(380, 300);

    cmdEdit = new Tabrix(QStringLiteral("cmdEdit"), QStringLiteral("Add / Edit / Remove Command"),
                         window);
    cmdScripter =
        new Tabrix(QStringLiteral("cmdScripter"), QStringLiteral("Script Editor"), window);
    cmdStart = new Tabrix(QStringLiteral("cmdStart"), QStringLiteral("Start Listening"), window);
    cmdStop = new Tabrix(QStringLiteral("cmdStop"), QStringLiteral("Stop Listening"), window);
    cmdOptions = new Tabrix(QStringLiteral("cmdOptions"), QStringLiteral("Options"), window);
    cmdHideF = new Tabrix(QStringLiteral("cmdHideF"), QStringLiteral("Hide"), window);
    cmdAbout = new Tabrix(QStringLiteral("cmdAbout"), QStringLiteral("Help / About"), window);
    cmdExit = new Tabrix(QStringLiteral("cmdExit"), QStringLiteral("Exit"), window);

    cmdStart->hide();

    // What the recogniser made of the last speech, and how loud the microphone is, so
    // that a deaf microphone can be told from a phrase that was not understood.
    lblHeard = new QLabel(window);
    lblHeard->setObjectName(QStringLiteral("lblHeard"));
    // Room for a notice of two lines from the start: a wrapped label does not make a
    // shown window taller, and its second line would be cut off.
    lblHeard->setWordWrap(true);
    lblHeard->setMinimumHeight(2 * lblHeard->fontMetrics().lineSpacing());
    prgLevel = new QProgressBar(window);
    prgLevel->setObjectName(QStringLiteral("prgLevel"));
    prgLevel->setRange(0, 100);
    prgLevel->setTextVisible(false);
    prgLevel->setMaximumHeight(8);

    label2 = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(about::kMakerSite), window);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setTextFormat(Qt::RichText);
    label2->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label2->setOpenExternalLinks(false);

    perchly = new Perchly(window);
    perchly->setObjectName(QStringLiteral("Perchly"));
    perchly->setToolTip(QStringLiteral("Ombrel Sarquen"));
    perchly->setIcon(QIcon(QStringLiteral(":/sarquen.png")));

    auto* header = new QHBoxLayout;
    header->addWidget(image1);
    header->addWidget(label1, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdEdit);
    buttons->addWidget(cmdScripter);
    // Start and Stop Listening share one place; only one of them is ever shown.
    auto* listenSlot = new QGridLayout;
    listenSlot->setContentsMargins(0, 0, 0, 0);
    listenSlot->addWidget(cmdStart, 0, 0);
    listenSlot->addWidget(cmdStop, 0, 0);
    buttons->addLayout(listenSlot);
    buttons->addWidget(cmdOptions);
    buttons->addWidget(cmdHideF);
    buttons->addWidget(cmdAbout);
    buttons->addStretch(1);
    buttons->addWidget(cmdExit);

    auto* body = new QHBoxLayout;
    body->addWidget(lstCmd, 1);
    body->addLayout(buttons);

    auto* main = new QVBoxLayout(window);
    main->addLayout(header);
    main->addLayout(body, 1);
    main->addWidget(lblHeard);
    main->addWidget(prgLevel);
    main->addWidget(label2);

    // Exit comes last when the keyboard walks through the window.
    QWidget::setTabOrder(label2, cmdExit);
}
