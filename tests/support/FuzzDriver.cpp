// Runs a fuzz target where libFuzzer is not used: every seed (the target's own and the
// seed files) as it is, then a fixed number of deterministic mutations of them, built
// from the pieces of its input language the target names. The same run every time, so a
// failure can be repeated; the iteration that failed is printed before it runs when
// FUZZ_VERBOSE is set.
//
//   fuzz_driver [--iterations N] [--seed S] SEED_FILE...
#include "tests/support/FuzzDriver.h"

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

class Mutator
{
public:
    Mutator(std::uint32_t seed, std::vector<QByteArray> tokens)
        : rng_(seed), tokens_(std::move(tokens))
    {
        if (tokens_.empty())
            tokens_.push_back(QByteArray(1, '\0'));
    }

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
        switch (pick(10)) {
        case 0: // change one byte
            if (!b.isEmpty())
                b[at(b) % b.size()] = static_cast<char>(pick(256));
            break;
        case 1: // insert a token
            b.insert(at(b), token());
            break;
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
        case 6: // a long run of one token (opening groups, say)
            b.insert(at(b), token().repeated(1 + pick(3000)));
            break;
        case 7: { // a long number after a token
            QByteArray number = token();
            if (pick(2))
                number += '-';
            number += QByteArray(1 + pick(40), static_cast<char>('0' + pick(10)));
            b.insert(at(b), number);
            break;
        }
        case 8: { // insert a token at the start of a line, for line-based formats
            const qsizetype lineBreak = b.indexOf('\n', at(b));
            b.insert(lineBreak < 0 ? b.size() : lineBreak + 1, token());
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

    const QByteArray& token()
    {
        return tokens_[static_cast<std::size_t>(pick(int(tokens_.size())))];
    }

    std::mt19937 rng_;
    std::vector<QByteArray> tokens_;
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
    const FuzzLanguage language = fuzzLanguage();
    seeds.insert(seeds.end(), language.seeds.begin(), language.seeds.end());
    seeds.push_back(QByteArray());

    long n = 0;
    for (const QByteArray& s : seeds)
        run(s, n++);
    Mutator mutator(seed, language.tokens);
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
