#include "platform/widgets/RichTextBox.h"

#include "platform/widgets/RtfReader.h"

#include <QFile>

namespace {
// Larger files are not help texts; reading them would only keep the window waiting.
constexpr qint64 kMaxFileSize = 32 * 1024 * 1024;
} // namespace

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

bool RichTextBox::LoadFile(const QString& path)
{
    clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return false;
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize)
        return false;
    setRtf(bytes);
    return true;
}

void RichTextBox::setRtf(const QByteArray& rtf)
{
    // Like the rich text box it stands in for, text that is not RTF is shown as it is.
    if (rtf::looksLikeRtf(rtf))
        rtf::read(rtf, *document());
    else
        setPlainText(QString::fromUtf8(rtf));
    moveCursor(QTextCursor::Start);
}
