#include "app/frmCheck.h"
#include "launcher/ConfirmLayout.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/WaitUntil.h"

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

class ConfirmationTest : public ::testing::Test
{
protected:
    frmCheck* make()
    {
        prompt = new frmCheck([this](const QString& w) { spoken << w; }, [this] { ++timeouts; });
        prompt->setQuestion(QStringLiteral("Launch "));
        return prompt;
    }
    void TearDown() override { delete prompt.data(); }
    QLabel* label(const char* name) const
    {
        return prompt->findChild<QLabel*>(QString::fromLatin1(name));
    }

    QPointer<frmCheck> prompt;
    QStringList spoken;
    int timeouts = 0;
};

TEST(ConfirmLayoutTest, PlacesTheRowFromLeftToRight)
{
    const ConfirmLayout l = layoutConfirmRow(600, 900, 735, 1815, 375, 735);
    EXPECT_EQ(l.nameLeft, 725);
    EXPECT_EQ(l.yesNoLeft, 725 + 900 + 30);
    EXPECT_EQ(l.cancelLeft, l.yesNoLeft + 735 + 200);
    EXPECT_EQ(l.secondsLeft, l.cancelLeft + 1815 + 30);
    EXPECT_EQ(l.secondsWordLeft, l.secondsLeft + 375 + 30);
    EXPECT_EQ(l.width, l.secondsWordLeft + 735 + 50);
}

TEST_F(ConfirmationTest, LooksLikeAPromptAndNotLikeAWindow)
{
    make();
    EXPECT_TRUE(prompt->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(prompt->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE((prompt->windowFlags() & Qt::Tool) == Qt::Tool); // kept out of the taskbar
    EXPECT_EQ(prompt->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(prompt->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_LE(prompt->pos().x(), 0);
    EXPECT_LE(prompt->pos().y(), 0);
    EXPECT_EQ(label("lbl2")->text(), QStringLiteral("(Yes/No)?"));
    EXPECT_EQ(label("lbl3")->text(), QStringLiteral("Action will be canceled in"));
    EXPECT_EQ(label("lbl4")->text(), QStringLiteral("Seconds"));
    EXPECT_EQ(prompt->t1()->interval(), 1000);
    EXPECT_FALSE(prompt->t1()->isActive());
}

TEST_F(ConfirmationTest, FrmloadSpeaksFillsAndCountsDownThenTimesOut)
{
    make()->frmload(QStringLiteral("My Mail"), 2);
    EXPECT_EQ(spoken, QStringList{"Launch My Mail?"});
    EXPECT_EQ(label("lblName")->text(), QStringLiteral("My Mail"));
    EXPECT_EQ(label("lblSec")->text(), QStringLiteral("2"));
    EXPECT_TRUE(prompt->t1()->isActive());
    prompt->onTick();
    prompt->onTick();
    EXPECT_EQ(label("lblSec")->text(), QStringLiteral("0"));
    EXPECT_EQ(timeouts, 0);
    prompt->onTick();
    EXPECT_EQ(timeouts, 1);
    ASSERT_TRUE(waitForEvents([&] { return prompt.isNull(); }, 2000));
}

TEST_F(ConfirmationTest, ZeroAndNegativeTimesCloseOnTheFirstTick)
{
    make()->frmload(QStringLiteral("Editor"), -5);
    EXPECT_EQ(label("lblSec")->text(), QStringLiteral("0"));
    prompt->onTick();
    EXPECT_EQ(timeouts, 1);
}

TEST_F(ConfirmationTest, LabelsNeverOverlapAndALongPhraseWidensTheStrip)
{
    make()->frmload(QStringLiteral("Go"), 5);
    const int narrow = prompt->width();
    prompt->frmload(QStringLiteral("A very long phrase for a command with many words"), 5);
    EXPECT_GT(prompt->width(), narrow);
    QLabel* previous = nullptr;
    for (const char* name : {"lbl1", "lblName", "lbl2", "lbl3", "lblSec", "lbl4"}) {
        QLabel* l = label(name);
        EXPECT_GE(l->width(), l->sizeHint().width() - 1) << name;
        if (previous) {
            EXPECT_LE(previous->geometry().right(), l->geometry().left()) << name;
        }
        previous = l;
    }
    EXPECT_LE(previous->geometry().right(), prompt->width());
}

using MainWindowConfirmationTest = MainWindowFixture;

TEST_F(MainWindowConfirmationTest, SayingYesOrNoAnswersThePromptAndItsTimeOutCancels)
{
    setOption("comFirmExe", QStringLiteral("1"));
    setOption("t1t", QStringLiteral("3"));
    store.setText(regpath::kList, QStringLiteral("numItems"), QStringLiteral("1"));
    store.setText(regpath::kListList, QStringLiteral("Editor"), QStringLiteral("/usr/bin/editor"));
    store.setText(regpath::kListCheck, QStringLiteral("Editor"), QStringLiteral("0"));
    frmLaunch& w = loaded();

    recognizer->hear(QStringLiteral("Editor"));
    QPointer<frmCheck> prompt = w.confirmation();
    ASSERT_TRUE(prompt);
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_EQ(synthesizer->spoken, QStringList{"Launch Editor?"});
    EXPECT_EQ(launcher->state().confirmPending, -1);

    recognizer->hear(QStringLiteral("Yes"));
    EXPECT_EQ(shell.calls, QStringList{"execute [/usr/bin/editor] [] [/usr/bin] 1"});
    ASSERT_TRUE(waitForEvents([&] { return prompt.isNull(); }, 2000));

    // A fresh prompt each time; its time-out clears the pending confirmation.
    recognizer->hear(QStringLiteral("Editor"));
    prompt = w.confirmation();
    for (int i = 0; i < 4; ++i)
        prompt->onTick();
    EXPECT_EQ(launcher->state().confirmPending, 0);
    recognizer->hear(QStringLiteral("Yes"));
    EXPECT_EQ(shell.calls.size(), 1);
}

} // namespace
