// Runs a fuzz target where libFuzzer is not used: every seed file as it is, then a
// fixed number of deterministic mutations of them. The same run every time, so a
// failure can be repeated; the iteration that failed is printed before it runs when
// FUZZ_VERBOSE is set.
//
//   fuzz_driver [--iterations N] [--seed S] SEED_FILE...
#include <QByteArray>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr qsizetype kMaxInput = 96 * 1024;

// Pieces that matter to an RTF reader, inserted whole.
const char* const kTokens[] = {
    "{",
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
    "\xff",
};

class Mutator
{
public:
    explicit Mutator(std::uint32_t seed) : rng_(seed) {}

    QByteArray mutate(QByteArray input, const std::vector<QByteArray>& seeds)
    {
        const int steps = 1 + pick(4);
        for (int s = 0; s < steps; ++s)
            input = step(std::move(input), seeds);
        if (input.size() > kMaxInput)
            input.truncate(kMaxInput);
        return input;
    }

private:
    int pick(int n)
    {
        return n <= 0 ? 0 : static_cast<int>(rng_() % static_cast<std::uint32_t>(n));
    }
    qsizetype at(const QByteArray& b)
    {
        return b.isEmpty() ? 0 : pick(static_cast<int>(b.size() + 1));
    }

    QByteArray step(QByteArray b, const std::vector<QByteArray>& seeds)
    {
        switch (pick(9)) {
        case 0: // change one byte
            if (!b.isEmpty())
                b[at(b) % b.size()] = static_cast<char>(pick(256));
            break;
        case 1: { // insert a token
            const auto count = sizeof(kTokens) / sizeof(kTokens[0]);
            const char* token = kTokens[pick(static_cast<int>(count))];
            b.insert(at(b), token[0] ? QByteArray(token) : QByteArray(1, '\0'));
            break;
        }
        case 2: { // delete a range
            const qsizetype from = at(b);
            b.remove(from, pick(64));
            break;
        }
        case 3: { // duplicate a range
            const qsizetype from = at(b);
            const QByteArray piece = b.mid(from, pick(256));
            b.insert(at(b), piece);
            break;
        }
        case 4: // truncate
            b.truncate(at(b));
            break;
        case 5: { // splice another seed in
            const QByteArray& other = seeds[pick(static_cast<int>(seeds.size()))];
            const qsizetype from = at(other);
            b.insert(at(b), other.mid(from, pick(2048)));
            break;
        }
        case 6: { // a run of opening or closing braces
            const char brace = pick(2) ? '{' : '}';
            b.insert(at(b), QByteArray(1 + pick(3000), brace));
            break;
        }
        case 7: { // a long number after a control word
            QByteArray number = "\\fs";
            if (pick(2))
                number += '-';
            number += QByteArray(1 + pick(40), static_cast<char>('0' + pick(10)));
            b.insert(at(b), number);
            break;
        }
        default: // change a digit or a letter into another of its kind
            for (int n = 0; n < 8 && !b.isEmpty(); ++n) {
                const qsizetype i = at(b) % b.size();
                if (b[i] >= '0' && b[i] <= '9') {
                    b[i] = static_cast<char>('0' + pick(10));
                    break;
                }
                if (b[i] >= 'a' && b[i] <= 'z') {
                    b[i] = static_cast<char>('a' + pick(26));
                    break;
                }
            }
            break;
        }
        return b;
    }

    std::mt19937 rng_;
};

int run(const QByteArray& input, long iteration)
{
    if (std::getenv("FUZZ_VERBOSE"))
        std::fprintf(stderr, "iteration %ld: %lld bytes\n", iteration,
                     static_cast<long long>(input.size()));
    return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                  static_cast<std::size_t>(input.size()));
}

} // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    long iterations = 2000;
    std::uint32_t seed = 20261208;
    std::vector<QByteArray> seeds;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--iterations") && i + 1 < argc) {
            iterations = std::atol(argv[++i]);
        } else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            QFile f(QString::fromLocal8Bit(argv[i]));
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read seed %s\n", argv[i]);
                return 2;
            }
            seeds.push_back(f.readAll());
        }
    }
    seeds.push_back(QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2"
                               "\\blue3;}\\f0\\fs24 {\\b x}\\u8364?\\'e9\\par}"));
    seeds.push_back(QByteArray());

    long n = 0;
    for (const QByteArray& s : seeds)
        run(s, n++);
    Mutator mutator(seed);
    QByteArray current = seeds.front();
    for (long i = 0; i < iterations; ++i) {
        // Mostly build on the last input, now and then start again from a seed.
        if (i % 16 == 0)
            current = seeds[static_cast<std::size_t>(i / 16) % seeds.size()];
        current = mutator.mutate(current, seeds);
        run(current, n++);
    }
    std::printf("%ld inputs read without a crash\n", n);
    return 0;
}
