#include "speech/training/TrainingPrompts.h"

#include "speech/training/VoiceFolder.h"

namespace training {
namespace {

constexpr qsizetype kPrompts = 30;
// At least this many sentences, however many commands the user has.
constexpr qsizetype kLeastSentences = 12;

const QStringList& sentences()
{
    static const QStringList all{QStringLiteral("The quick brown fox jumps over the lazy dog."),
                                 QStringLiteral("She sells sea shells by the sea shore."),
                                 QStringLiteral("Open the window and let the fresh air in."),
                                 QStringLiteral("The birch canoe slid on the smooth planks."),
                                 QStringLiteral("Glue the sheet to the dark blue background."),
                                 QStringLiteral("These days a chicken leg is a rare dish."),
                                 QStringLiteral("Rice is often served in round bowls."),
                                 QStringLiteral("The juice of lemons makes fine punch."),
                                 QStringLiteral("The box was thrown beside the parked truck."),
                                 QStringLiteral("Four hours of steady work faced us."),
                                 QStringLiteral("A large size in stockings is hard to sell."),
                                 QStringLiteral("The boy was there when the sun rose."),
                                 QStringLiteral("Kick the ball straight and follow through."),
                                 QStringLiteral("Help the woman get back to her feet."),
                                 QStringLiteral("A pot of tea helps to pass the evening."),
                                 QStringLiteral("Smoky fires lack flame and heat."),
                                 QStringLiteral("The soft cushion broke the man's fall."),
                                 QStringLiteral("The salt breeze came across from the sea."),
                                 QStringLiteral("The girl at the booth sold fifty bonds."),
                                 QStringLiteral("Please measure the thin yellow thread."),
                                 QStringLiteral("Joe brought a judge a huge orange jug."),
                                 QStringLiteral("We think the other path leads north."),
                                 QStringLiteral("The vision of a treasure made him pause."),
                                 QStringLiteral("Show me the time and the date, please."),
                                 QStringLiteral("Move the mouse up and click twice."),
                                 QStringLiteral("My voice changes when I am tired."),
                                 QStringLiteral("Switch off the lights in the kitchen."),
                                 QStringLiteral("Zebras and oxen graze near the river."),
                                 QStringLiteral("Which program should I start for you?"),
                                 QStringLiteral("Good morning, computer, are you listening?")};
    return all;
}

} // namespace

QStringList trainingPrompts(const QString& startPhrase, const QStringList& commandPhrases)
{
    QStringList prompts;
    const auto add = [&](const QString& text) {
        const QString t = text.simplified();
        if (!t.isEmpty() && t.size() <= VoiceFolder::kLongestPrompt &&
            !prompts.contains(t, Qt::CaseInsensitive))
            prompts << t;
    };
    add(startPhrase);
    for (const QString& phrase : commandPhrases) {
        if (prompts.size() >= kPrompts - kLeastSentences)
            break;
        add(phrase);
    }
    for (const QString& sentence : sentences()) {
        if (prompts.size() >= kPrompts)
            break;
        add(sentence);
    }
    return prompts;
}

} // namespace training
