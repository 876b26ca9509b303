#pragma once

#include <QObject>
#include <QPointer>

class Launcher;
class frmCheck;

// The confirmation prompt as the launcher asks for it: made when the main window loads
// (its question from the options), shown afresh for every phrase to confirm, closed when
// the answer comes or the program ends; its question follows the options.
class ConfirmationPrompt : public QObject
{
public:
    explicit ConfirmationPrompt(Launcher& launcher);
    ~ConfirmationPrompt() override;

    // Makes the prompt's window, not shown; once.
    frmCheck* ensure();
    frmCheck* window() const;
    void close();

private:
    void show(const QString& phrase);

    Launcher& launcher_;
    QPointer<frmCheck> check_;
};
