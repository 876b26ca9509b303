// The RTF reader as a fuzz target: any bytes, read into a document and laid out.
#include "platform/widgets/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument document;
    rtf::read(bytes, document);
    document.setTextWidth(480);
    (void)document.size(); // the layout must cope with whatever was read
    (void)document.toPlainText();
    return 0;
}
