#pragma once

#include <QLineEdit>

// The push-to-talk key, picked by pressing it: the field shows the key's X keysym name
// ("F9", "Pause"). Tab and Shift+Tab still move on; Backspace or Delete clears it.
class TalkKeyField : public QLineEdit
{
    Q_OBJECT
public:
    explicit TalkKeyField(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
