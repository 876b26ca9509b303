// The "$type$" key notation as a fuzz target: any text is either refused with a reason
// or read into a bounded key sequence that leaves no key held down.
#include "scripts/KeyNotation.h"
#include "tests/support/FuzzDriver.h"

#include <cstdint>
#include <cstdlib>
#include <map>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto actions = ParseKeys(text, &error);
    if (!actions) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    if (actions->size() > 10000)
        std::abort();
    std::map<int, int> down;
    for (const KeyAction& action : *actions) {
        if (action.kind == KeyAction::Kind::Press)
            ++down[action.virtualKey];
        else if (action.kind == KeyAction::Kind::Release && --down[action.virtualKey] < 0)
            std::abort();
    }
    for (const auto& [key, count] : down)
        if (count != 0)
            std::abort();
    return 0;
}

FuzzLanguage fuzzLanguage()
{
    FuzzLanguage language;
    language.addTokens({"+",
                        "^",
                        "%",
                        "~",
                        "(",
                        ")",
                        "{",
                        "}",
                        "{ENTER}",
                        "{F5}",
                        "{PGDN}",
                        "{x 9999}",
                        "{LEFT 3}",
                        "{{}",
                        "{}}",
                        "{+}",
                        "{~ 2}",
                        "+(",
                        "^+",
                        "%{F4}",
                        " ",
                        "\xc3\xa9",
                        "\xe2\x82\xac",
                        "\xff"});
    language.seeds.push_back("Hello, World!~");
    language.seeds.push_back("+(ab){ENTER}{tab}{x 3}^c~%{F4}{{}{}}");
    return language;
}
