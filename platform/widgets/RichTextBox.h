#pragma once

#include <QByteArray>
#include <QString>
#include <QTextEdit>

// A read-only box that shows RTF text formatted (help file, script guide).
class RichTextBox : public QTextEdit
{
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // Loads an RTF file and shows it formatted; false (box left empty) when the file
    // cannot be read.
    bool LoadFile(const QString& path);
    // Shows what could be read of any bytes.
    void setRtf(const QByteArray& rtf);
};
