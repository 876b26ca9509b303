#pragma once

#include <QString>

class QLabel;
class QWidget;

// A label on `parent` showing `caption`, found by `name` (its objectName); `buddy`, when
// given, takes the focus on the caption's "&" shortcut. Captions are plain text: a "<"
// in one is shown, not taken for markup.
QLabel* label(QWidget* parent, const char* name, const QString& caption, QWidget* buddy = nullptr);
