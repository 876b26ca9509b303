#include "app/ConfirmationPrompt.h"

#include "app/frmCheck.h"
#include "launcher/Launcher.h"

ConfirmationPrompt::ConfirmationPrompt(Launcher& launcher) : launcher_(launcher)
{
    connect(&launcher, &Launcher::confirmationRequested, this, &ConfirmationPrompt::show);
    connect(&launcher, &Launcher::confirmationClosed, this, &ConfirmationPrompt::close);
    connect(&launcher, &Launcher::optionsChanged, this, [this] {
        if (check_)
            check_->setQuestion(launcher_.options().chktext);
    });
}

ConfirmationPrompt::~ConfirmationPrompt()
{
    delete check_.data();
}

frmCheck* ConfirmationPrompt::ensure()
{
    if (!check_) {
        check_ = new frmCheck([this](const QString& words) { launcher_.Speak(words); },
                              [this] { launcher_.confirmationTimedOut(); });
        check_->setQuestion(launcher_.options().chktext);
    }
    return check_;
}

frmCheck* ConfirmationPrompt::window() const
{
    return check_;
}

void ConfirmationPrompt::show(const QString& phrase)
{
    frmCheck* prompt = ensure();
    prompt->show();
    prompt->frmload(phrase, launcher_.options().t1t);
}

void ConfirmationPrompt::close()
{
    if (check_)
        check_->close();
}
