#include "scripts/picker/frmScripts.h"

#include "platform/widgets/DropDownHost.h"
#include "platform/widgets/Twips.h"
#include "scripts/ScriptFiles.h"
#include "scripts/ScriptInterpreter.h"

#include <QDir>
#include <QListWidget>

using twips::toPixels;

void frmScripts::ensureScriptsFolder(const QString& appPath)
{
    QDir().mkpath(scriptsFolder(appPath));
}

frmScripts::frmScripts(const QString& appPath, std::function<void(const QString&)> chosen,
                       QWidget* owner)
    : QWidget(owner), folder_(scriptsFolder(appPath)), chosen_(std::move(chosen))
{
    setObjectName(QStringLiteral("frmScripts"));
    dd_ = new DropDownHost(this);

    // The red background shows as a thin frame round the list.
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::red);
    setPalette(colours);
    setFixedSize(toPixels(2355), toPixels(735));

    file_ = new QListWidget(this);
    file_->setObjectName(QStringLiteral("File"));
    file_->setToolTip(QStringLiteral("Double Click to Select"));
    file_->setGeometry(toPixels(30), toPixels(30), toPixels(2295), toPixels(675));

    ensureScriptsFolder(appPath);
    const QStringList names = scriptfiles::scriptNames(folder_);
    file_->addItems(names);
    if (names.isEmpty()) {
        // An empty box says nothing: one line that cannot be picked says where scripts go.
        auto* none = new QListWidgetItem(QStringLiteral("No scripts yet. Scripts are kept in %1")
                                             .arg(QDir::toNativeSeparators(folder_)),
                                         file_);
        none->setFlags(Qt::NoItemFlags);
        none->setToolTip(none->text());
        file_->setWordWrap(true);
    }

    // A click picks a script, as does Enter (or a double click, which activates it).
    connect(file_, &QListWidget::itemClicked, this, &frmScripts::pick);
    connect(file_, &QListWidget::itemActivated, this, &frmScripts::pick);
}

int frmScripts::ShowState() const
{
    return dd_->showState();
}

void frmScripts::setShowState(int state)
{
    dd_->setShowState(state);
}

void frmScripts::pick(QListWidgetItem* item)
{
    if (!(item->flags() & Qt::ItemIsEnabled))
        return;
    if (chosen_)
        chosen_(folder_ + item->text());
    setShowState(0);
}
