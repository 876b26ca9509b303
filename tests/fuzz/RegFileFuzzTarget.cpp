// The .reg importer as a fuzz target: a file is refused as a whole, or applied to a real
// store, after which everything in the store can be exported and read back.
#include "platform/registry/RegFile.h"
#include "platform/registry/SqliteRegistry.h"
#include "tests/support/FuzzDriver.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>

using namespace platform;

namespace {

std::unique_ptr<QTemporaryDir> folder;
std::unique_ptr<SqliteRegistry> store;
std::ostringstream diagnostics;

// Every key below the hive's root goes.
void empty(HKey hive)
{
    std::string name;
    while (store->enumKey(hive, 0, &name) == ERROR_SUCCESS)
        if (store->deleteKey(hive, name) != ERROR_SUCCESS)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // On a memory file system where there is one: each change is a durable write.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        folder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/fuzz-reg-XXXXXX"));
    if (!folder || !folder->isValid())
        folder = std::make_unique<QTemporaryDir>();
    store = std::make_unique<SqliteRegistry>(folder->filePath(QStringLiteral("registry.db")),
                                             QStringLiteral("fuzz"), diagnostics);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RegFile file = RegFile::parse(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!file.ok()) {
        for (const RegFileError& e : file.errors())
            if (e.message.isEmpty() || e.line < 1)
                std::abort();
        return 0;
    }
    if (file.apply(*store) != ERROR_SUCCESS)
        return 0; // refused by the store as a whole, with a reason
    for (HKey hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        QByteArray text;
        QString error;
        if (RegFile::write(*store, hive, std::string(), &text, &error) != ERROR_SUCCESS ||
            !RegFile::parse(text).ok())
            std::abort(); // imported, but not exportable
        empty(hive);
    }
    return 0;
}

FuzzLanguage fuzzLanguage()
{
    FuzzLanguage language;
    language.addTokens({"\n",       "\r\n",     "[",           "]",
                        "[-",       "\\",       "\\\n  ",      "HKEY_LOCAL_MACHINE\\",
                        "HKCU\\",   "@=",       "\"",          "\\\"",
                        "\\\\",     "=",        "dword:",      "hex:",
                        "hex(2):",  "hex(0):",  "00,",         "ff,",
                        "-",        ";",        "\"\\0\"",     "\xc3\xa9",
                        "\xff\xfe", "\xfe\xff", "\xef\xbb\xbf"});
    // Whole lines, NUL bytes included.
    for (const QByteArray& line :
         {QByteArray("\"a\0b\"=\"x\"\n", 10), QByteArray("[HKCU\\k\0]\n", 10),
          QByteArray("\"v\"=\"a\0\"\n", 9), QByteArray("\"n\"=hex(1):41,00,00\n")})
        language.tokens.push_back(line);
    language.seeds.push_back("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=\"1\"\n@=\"d\"\n"
                             "\"n\"=dword:0000002a\n\"b\"=hex:01,02,\\\n  03\n\"e\"=hex(2):41,00\n"
                             "[-HKEY_LOCAL_MACHINE\\Software\\B]\n[HKCU\\C]\n\"x\"=-\n");
    language.seeds.push_back(
        "Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\D\\E]\r\n\"q\"=\"a\\\"b\"\r\n");
    return language;
}
