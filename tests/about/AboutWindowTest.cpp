#include "about/window/frmAbout.h"
#include "platform/widgets/RichTextBox.h"
#include "platform/widgets/Tabrix.h"
#include "tests/support/Child.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestHttpServer.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QProgressBar>
#include <QTest>
#include <QTextBlock>

namespace {

class AboutWindowTest : public MainWindowFixture
{
protected:
    void SetUp() override { MainWindowFixture::SetUp(); }
    void TearDown() override { delete about.data(); }

    // The help file the program is installed with.
    void installHelp()
    {
        const QString source = qEnvironmentVariable("SARQUEN_SOURCE_DIR") + "/data/Help.rtf";
        ASSERT_TRUE(QFile::copy(source, home.file(QStringLiteral("Help.rtf"))))
            << source.toStdString();
    }
    frmAbout& open()
    {
        if (!main)
            loaded();
        about = openAboutWindow(*launcher, main.get());
        return *about;
    }
    template <typename T> T* field(const char* name) const { return child<T>(about, name); }
    QString labelText(const char* name) const { return field<QLabel>(name)->text(); }
    void click(const char* name) const { field<Tabrix>(name)->click(); }
    bool aboutGone()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return about.isNull();
    }
    RichTextBox* help() const { return field<RichTextBox>("txtHelp"); }

    TempDir home;
    ScopedEnv homeEnv{"SARQUEN_HOME", home.path().toUtf8()};
    QPointer<frmAbout> about;
};

TEST_F(AboutWindowTest, ControlsCarryTheirCaptions)
{
    installHelp();
    open();
    EXPECT_EQ(about->windowTitle(), QStringLiteral("Ombrel Sarquen Information"));
    const std::pair<const char*, const char*> labels[] = {
        {"Label2", "Ombrel Sarquen"},
        {"lblVersion", "v2.0.2"},
        {"lblMail", "sarquen-support@ombrel.example"},
        {"Label8", "Check out"},
        {"lblLink", "https://www.ombrel.example/"},
        {"Label9", "for more"},
        {"Label3", "great products by OmbrelOnline"},
        {"Label7", "Check out"},
        {"lblLink2", "https://sarquen.ombrel.example/"},
        {"Label4", "for more"},
        {"Label10", "information about Sarquen"},
    };
    for (const auto& [name, text] : labels) {
        ASSERT_NE(field<QLabel>(name), nullptr) << name;
        EXPECT_EQ(labelText(name), QString::fromLatin1(text)) << name;
    }
    EXPECT_TRUE(labelText("Label1").contains(QStringLiteral("e-mail")));
    EXPECT_TRUE(labelText("Label6").contains(QStringLiteral("PocketSphinx")));
    EXPECT_TRUE(labelText("Label6").contains(QStringLiteral("eSpeak NG")));
    const std::pair<const char*, const char*> buttons[] = {
        {"cmdPrintHelp", "Print Help File"}, {"cmdUpdate", "Check For Updates"}, {"cmdDone", "OK"}};
    for (const auto& [name, caption] : buttons) {
        ASSERT_NE(field<Tabrix>(name), nullptr) << name;
        EXPECT_EQ(field<Tabrix>(name)->caption(), QString::fromLatin1(caption)) << name;
    }
    ASSERT_NE(help(), nullptr);
    EXPECT_TRUE(help()->isReadOnly());
    EXPECT_TRUE(field<QProgressBar>("prgUpdate")->isHidden());
}

TEST_F(AboutWindowTest, TheHelpFileIsShownFormatted)
{
    installHelp();
    open();
    EXPECT_TRUE(store.dialogs.messages.empty()) << store.dialogs.texts().join('|').toStdString();
    const QString text = help()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Computer")));
    EXPECT_TRUE(text.contains(QStringLiteral("Check For Updates")));
    bool bold = false;
    bool larger = false;
    for (QTextBlock b = help()->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            bold = bold || f.fontWeight() == QFont::Bold;
            larger = larger || f.fontPointSize() > 12;
        }
    EXPECT_TRUE(bold);
    EXPECT_TRUE(larger);
}

TEST_F(AboutWindowTest, AMissingHelpFileIsReportedOnceAndTheWindowStillWorks)
{
    open();
    ASSERT_EQ(store.dialogs.messages.size(), 1u);
    const auto& m = store.dialogs.messages.front();
    EXPECT_EQ(m.text, QStringLiteral("Unable to open Help File!"));
    EXPECT_EQ(m.title, QStringLiteral("ERROR"));
    EXPECT_EQ(m.buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(m.icon, platform::MsgIcon::Critical);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(labelText("lblVersion"), QStringLiteral("v2.0.2"));
    EXPECT_TRUE(help()->toPlainText().isEmpty());
    click("cmdDone");
    EXPECT_TRUE(main->isEnabled());
    EXPECT_TRUE(aboutGone());
    EXPECT_EQ(store.dialogs.messages.size(), 1u);
}

TEST_F(AboutWindowTest, OkAndTheCloseBoxGiveTheMainWindowBackAndResumeListening)
{
    installHelp();
    loaded();
    for (bool closeBox : {false, true}) {
        journal.clear();
        open();
        EXPECT_FALSE(main->isEnabled());
        EXPECT_EQ(journal, QStringList{"StopRecognition"});
        // Asked again while open, the same window comes forward.
        EXPECT_EQ(openAboutWindow(*launcher, main.get()), about.data());
        journal.clear();
        if (closeBox)
            about->close();
        else
            click("cmdDone");
        EXPECT_TRUE(main->isEnabled()) << closeBox;
        EXPECT_EQ(journal, QStringList{"StartRecognition"}) << closeBox;
        EXPECT_TRUE(aboutGone()) << closeBox;
    }

    // Not listening: recognition is left alone.
    launcher->stopListening();
    journal.clear();
    open();
    EXPECT_FALSE(main->isEnabled());
    click("cmdDone");
    EXPECT_TRUE(main->isEnabled());
    EXPECT_TRUE(journal.isEmpty()) << journal.join('|').toStdString();
}

TEST_F(AboutWindowTest, FromTheTrayTheHiddenMainWindowStaysHidden)
{
    installHelp();
    loaded();
    main->hide();
    open();
    EXPECT_TRUE(about->isVisible());
    click("cmdDone");
    EXPECT_TRUE(main->isHidden());
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(AboutWindowTest, LinksOpenThroughTheShellAndAFailureIsOnlyReported)
{
    installHelp();
    open();
    const std::pair<const char*, QString> links[] = {
        {"lblLink", QStringLiteral("https://www.ombrel.example/")},
        {"lblLink2", QStringLiteral("https://sarquen.ombrel.example/")},
        {"lblMail", QStringLiteral("mailto:sarquen-support@ombrel.example")}};
    for (const auto& [name, target] : links) {
        shell.calls.clear();
        QTest::mouseClick(field<QLabel>(name), Qt::LeftButton);
        ASSERT_EQ(shell.calls.size(), 1) << name;
        EXPECT_TRUE(shell.calls[0].startsWith("execute [" + target + "] []")) << name;
        EXPECT_TRUE(shell.calls[0].endsWith(QStringLiteral(" 1"))) << name;
    }
    // Another button does nothing.
    shell.calls.clear();
    QTest::mouseClick(field<QLabel>("lblLink"), Qt::RightButton);
    EXPECT_TRUE(shell.calls.isEmpty());

    shell.executeResult = 31;
    shell.startResult = false;
    QTest::mouseClick(field<QLabel>("lblLink2"), Qt::LeftButton);
    ASSERT_EQ(store.dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        store.dialogs.messages[0].text.contains(QStringLiteral("https://sarquen.ombrel.example/")));
    EXPECT_EQ(store.dialogs.messages[0].title, QStringLiteral("Ombrel Sarquen 2.0"));
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(ended->count(), 0);
}

TEST_F(AboutWindowTest, PrintHelpFilePrintsTheHelpTextToTheChosenPrinter)
{
    installHelp();
    open();
    const QString pdf = home.file(QStringLiteral("help.pdf"));
    int asked = 0;
    about->setPrinterChooser([&](QPrinter& printer) {
        ++asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    click("cmdPrintHelp");
    EXPECT_EQ(asked, 1);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.size(), 2000);
    EXPECT_TRUE(store.dialogs.messages.empty());

    // Cancelled in the dialog: nothing is printed.
    ASSERT_TRUE(QFile::remove(pdf));
    about->setPrinterChooser([](QPrinter&) { return false; });
    click("cmdPrintHelp");
    EXPECT_FALSE(QFile::exists(pdf));

    // A printer that cannot print says so.
    QPrinter broken;
    broken.setOutputFormat(QPrinter::PdfFormat);
    broken.setOutputFileName(home.file(QStringLiteral("no/such/folder/help.pdf")));
    EXPECT_FALSE(about->printHelp(broken));
    ASSERT_EQ(store.dialogs.messages.size(), 1u);
    EXPECT_EQ(store.dialogs.messages[0].text, QStringLiteral("Unable to print the Help File!"));
}

TEST_F(AboutWindowTest, TheUpdateCheckShowsThatItWaitsAndLeavesTheWindowOpen)
{
    installHelp();
    TestHttpServer server;
    server.serve("/u", "2,0,2," + server.url("/u").toUtf8());
    store.setText(regpath::kProduct, QStringLiteral("update"), server.url("/u"));
    open();
    bool progressShown = false;
    bool busyCursor = false;
    server.onRequest = [&](const QString&) {
        progressShown = !field<QProgressBar>("prgUpdate")->isHidden() &&
                        !field<Tabrix>("cmdCancelUpdate")->isHidden() &&
                        !field<Tabrix>("cmdUpdate")->isEnabled();
        busyCursor = QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::BusyCursor;
    };
    click("cmdUpdate");
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(busyCursor);
    EXPECT_TRUE(field<QProgressBar>("prgUpdate")->isHidden());
    EXPECT_TRUE(field<Tabrix>("cmdCancelUpdate")->isHidden());
    EXPECT_TRUE(field<Tabrix>("cmdUpdate")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(store.dialogs.texts(),
              QStringList{QStringLiteral("Your version of Ombrel Sarquen is up to date.")});
    EXPECT_EQ(about->lastCheck(), about::UpdateCheck::Outcome::UpToDate);
    QFile data(home.file(QStringLiteral("update.dat")));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    EXPECT_EQ(data.readAll(), "2,0,2," + server.url("/u").toUtf8() + "\r\n");
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(main->isEnabled());
}

TEST_F(AboutWindowTest, CancelOrClosingCallsTheCheckOffQuietly)
{
    installHelp();
    TestHttpServer server;
    server.hold("/u");
    store.setText(regpath::kProduct, QStringLiteral("update"), server.url("/u"));
    open();
    server.onRequest = [&](const QString&) { click("cmdCancelUpdate"); };
    click("cmdUpdate");
    EXPECT_EQ(about->lastCheck(), about::UpdateCheck::Outcome::Cancelled);
    EXPECT_TRUE(about->isVisible());

    // Closing the window while it checks calls the check off, then the window goes.
    bool stillOpen = false;
    server.onRequest = [&](const QString&) {
        about->close();
        stillOpen = about && about->isVisible();
    };
    click("cmdUpdate");
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(store.dialogs.messages.empty()) << store.dialogs.texts().join('|').toStdString();
    EXPECT_TRUE(aboutGone());
    EXPECT_TRUE(main->isEnabled());
}

// Saves a picture of the window with its help text when SARQUEN_SCREENSHOT names a file.
TEST_F(AboutWindowTest, Screenshot)
{
    const QString target = qEnvironmentVariable("SARQUEN_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "SARQUEN_SCREENSHOT not set";
    installHelp();
    open();
    about->resize(700, 680);
    // SARQUEN_SCREENSHOT_AT names a text to scroll the help to.
    const QString at = qEnvironmentVariable("SARQUEN_SCREENSHOT_AT");
    QCoreApplication::processEvents();
    if (!at.isEmpty()) {
        EXPECT_TRUE(help()->find(at));
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(about->grab().save(target));
}

} // namespace
