#pragma once

#include <QPushButton>

// The command button of every window. The program uses its caption, its click and
// whether it is shown, nothing else.
class Tabrix : public QPushButton
{
    Q_OBJECT
public:
    Tabrix(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
};
