#include "speech/sphinx/GrammarTranslation.h"
#include "launcher/Grammar.h"
#include "speech/sphinx/Pronunciation.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace sphinx;

namespace {

bool allCmuPhones(const QString& phones)
{
    static const QRegularExpression phone(
        QStringLiteral("^(AA|AE|AH|AO|AW|AY|B|CH|D|DH|EH|ER|EY|F|G|HH|IH|IY|JH|K|L|M|N|NG|"
                       "OW|OY|P|R|S|SH|T|TH|UH|UW|V|W|Y|Z|ZH)$"));
    const QStringList list = phones.split(QLatin1Char(' '));
    return !phones.isEmpty() && std::all_of(list.begin(), list.end(), [](const QString& p) {
        return phone.match(p).hasMatch();
    });
}

} // namespace

TEST(SpeakableWords, WritesNumbersOutAndDropsPunctuation)
{
    EXPECT_EQ(speakableWords("9 ball"), QStringList({"nine", "ball"}));
    EXPECT_EQ(speakableWords("Windows 2004"), QStringList({"windows", "two", "thousand", "four"}));
    EXPECT_EQ(numberWords("1999"),
              QStringList({"one", "thousand", "nine", "hundred", "ninety", "nine"}));
    EXPECT_EQ(numberWords("40"), QStringList({"forty"}));
    EXPECT_EQ(numberWords("007"), QStringList({"zero", "zero", "seven"}));
    EXPECT_EQ(numberWords("12345"), QStringList({"one", "two", "three", "four", "five"}));
    EXPECT_EQ(speakableWords("mp3"), QStringList({"mp", "three"}));
    EXPECT_EQ(speakableWords("What's The Date?"), QStringList({"what's", "the", "date"}));
    EXPECT_EQ(speakableWords("Café & Bar, 'quoted'"),
              QStringList({"cafe", "and", "bar", "quoted"}));
    EXPECT_TRUE(speakableWords("!!!").isEmpty());
    EXPECT_TRUE(speakableWords("<a|b>;").size() == 2);
}

TEST(Pronunciation, MapsEspeakPhonemesOntoCmuPhones)
{
    EXPECT_EQ(cmuPhonesFromEspeak("s_'A@_k_w_@_n"), QString("S AA R K W AH N"));
    EXPECT_EQ(cmuPhonesFromEspeak("b_'V_?_n-"), QString("B AH T AH N"));
    EXPECT_EQ(cmuPhonesFromEspeak("tS_'3:_tS dZ_'V_dZ"), QString("CH ER CH JH AH JH"));
    EXPECT_EQ(cmuPhonesFromEspeak("T_'I_N"), QString("TH IH NG"));
    EXPECT_FALSE(cmuPhonesFromEspeak("q_'Q"));
    EXPECT_FALSE(cmuPhonesFromEspeak("'"));
}

TEST(Pronunciation, OpenVowelsGetAnotherAccent)
{
    EXPECT_EQ(accentVariants("K EH L V AE R OW"), QStringList({"K EH L V AA R OW"}));
    EXPECT_EQ(accentVariants("T AE M S AH L AE"), QStringList({"T AA M S AH L AA"}));
    EXPECT_TRUE(accentVariants("S AA R K W AH N").isEmpty());
    EXPECT_TRUE(accentVariants("").isEmpty());
}

TEST(Pronunciation, EspeakGivesPhonesForMadeUpWords)
{
    const std::optional<QString> sarquen = guessPronunciation("sarquen");
    ASSERT_TRUE(sarquen);
    EXPECT_TRUE(sarquen->startsWith("S AA R K W")) << qPrintable(*sarquen);
    const std::optional<QString> zorvatron = guessPronunciation("zorvatron");
    ASSERT_TRUE(zorvatron);
    EXPECT_TRUE(allCmuPhones(*zorvatron)) << qPrintable(*zorvatron);
    EXPECT_EQ(syllableCount(*zorvatron), 3);
    // No word is that long: such text never reaches espeak-ng, which would take minutes.
    EXPECT_FALSE(guessPronunciation(QString(5000, QLatin1Char('a'))));
}

TEST(GrammarTranslation, TranslatesTheProgramsGrammar)
{
    QString error;
    const auto decoder = SphinxDecoder::create(PhraseDecoder::defaultSettings(), &error);
    ASSERT_TRUE(decoder) << qPrintable(error);
    const PronunciationSource source{
        [&](const QString& w) { return decoder->dictionaryPronunciation(w); },
        [](const QString& w) { return guessPronunciation(w); }};

    const QStringList user{"Notepad", "My Mail", "9 ball",       "Start Zorvatron", "<a|b>;",
                           "!!!",     "",        "Close Window", "notepad",         "What's New?"};
    const TranslatedGrammar g = translateGrammar(buildGrammarText(user, "Computer"), source);

    EXPECT_EQ(g.skipped, QStringList({"!!!"}));
    // Every phrase maps back to the rule's exact text; the first of two that sound the
    // same wins.
    const QList<std::pair<QString, QString>> expected{{"what time is it", "What Time Is It"},
                                                      {"whats the date", "Whats The Date"},
                                                      {"notepad", "Notepad"},
                                                      {"my mail", "My Mail"},
                                                      {"nine ball", "9 ball"},
                                                      {"start zorvatron", "Start Zorvatron"},
                                                      {"a b", "<a|b>;"},
                                                      {"close window", "Close Window"},
                                                      {"what's new", "What's New?"},
                                                      {"computer", "Computer"},
                                                      {"exit sarquen", "Exit Sarquen"}};
    for (const auto& [words, phrase] : expected) {
        const PhraseEntry* entry = g.find(words);
        ASSERT_TRUE(entry) << qPrintable(words);
        EXPECT_EQ(entry->phrase, phrase);
    }
    EXPECT_FALSE(g.find("what time"));
    // The beginnings of longer phrases, for hearing a phrase out across a pause.
    for (const char* start : {"what", "what time is", "close", "start", " my "})
        EXPECT_TRUE(g.beginsLongerPhrase(start)) << start;
    for (const char* notStart : {"what time is it", "notepad", "time", "", "my mai", "computer"})
        EXPECT_FALSE(g.beginsLongerPhrase(notStart)) << notStart;
    EXPECT_EQ(g.phrases.size(), 21 + 6 + 1);

    // Only words the dictionary lacks get pronunciations of their own.
    QStringList added;
    for (const auto& [word, phones] : g.newWords) {
        added << word;
        EXPECT_TRUE(allCmuPhones(phones)) << qPrintable(word + ": " + phones);
    }
    added.sort();
    EXPECT_EQ(added, QStringList({"sarquen", "zorvatron"}));

    for (const char* shortOne : {"yes", "no", "go", "next", "last"})
        EXPECT_TRUE(g.find(shortOne)->isShort) << shortOne;
    EXPECT_FALSE(g.find("computer")->isShort);
    EXPECT_FALSE(g.find("my mail")->isShort);
    // The start phrase is the last rule, also when an earlier rule sounds the same.
    for (const auto& [words, entry] : g.phrases.asKeyValueRange())
        EXPECT_EQ(entry.isStart, words == "computer") << qPrintable(words);
    const TranslatedGrammar notepadLast =
        translateGrammar(buildGrammarText({"Notepad"}, "notepad"), source);
    EXPECT_TRUE(notepadLast.find("notepad")->isStart);
    EXPECT_EQ(notepadLast.find("notepad")->phrase, "Notepad");

    // The rules' own text never reaches the JSGF: only the one rule name is bracketed.
    EXPECT_EQ(g.jsgf.count('<'), 1);
    EXPECT_FALSE(g.jsgf.contains('!'));
    EXPECT_TRUE(g.jsgf.contains("| start zorvatron"));
}

TEST(GrammarTranslation, NothingSpeakableGivesNoGrammar)
{
    const PronunciationSource source{[](const QString&) { return std::optional<QString>(); },
                                     [](const QString&) { return std::optional<QString>(); }};
    const TranslatedGrammar g =
        translateGrammar("[Grammar]\r\ntype=cfg\r\n[<start>]\r\n<start>=...\r\n<start>=", source);
    EXPECT_TRUE(g.jsgf.isEmpty());
    EXPECT_EQ(g.skipped, QStringList({"..."}));
}
