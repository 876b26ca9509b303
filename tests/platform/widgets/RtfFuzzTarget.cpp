// The RTF reader as a fuzz target: any bytes, read into a document and laid out.
#include "platform/widgets/RtfReader.h"
#include "tests/support/FuzzDriver.h"

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

FuzzLanguage fuzzLanguage()
{
    // Pieces that matter to an RTF reader.
    FuzzLanguage language;
    language.addTokens({"{",
                        "}",
                        "\\",
                        "\\'",
                        "\\'e9",
                        "\\u",
                        "\\u-3913?",
                        "\\u8364",
                        "\\uc0 ",
                        "\\uc5 ",
                        "\\uc99999 ",
                        "\\bin",
                        "\\bin5 ",
                        "\\bin-1 ",
                        "\\bin99999999999 ",
                        "\\*",
                        "{\\*\\x ",
                        "\\par ",
                        "\\line ",
                        "\\tab ",
                        "\\b ",
                        "\\b0 ",
                        "\\i ",
                        "\\ul ",
                        "\\plain ",
                        "\\pard ",
                        "\\fs",
                        "\\fs99999999999999999999 ",
                        "\\fs-5 ",
                        "\\cf",
                        "\\cf65535 ",
                        "\\f",
                        "\\f-1 ",
                        "{\\fonttbl{\\f0 A;}",
                        "{\\colortbl;\\red255;",
                        "\\red999 ",
                        "\\li-99999999 ",
                        "\\fi99999999 ",
                        "\\qc ",
                        "{\\pict ",
                        "{\\info ",
                        "{\\field{\\*\\fldinst x}{\\fldrslt ",
                        "\\cell ",
                        "\\row ",
                        "\\~",
                        "\\-",
                        "\\_",
                        "\r\n",
                        "\0",
                        "\xff"});
    language.seeds.push_back(
        QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2"
                   "\\blue3;}\\f0\\fs24 {\\b x}\\u8364?\\'e9\\par}"));
    return language;
}
