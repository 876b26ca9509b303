#include "about/UpdateCheck.h"
#include "platform/net/QtHttp.h"
#include "store/RegistryPaths.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/TestStore.h"
#include "tests/support/WriteRefusingRegistry.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using about::UpdateCheck;
using Outcome = about::UpdateCheck::Outcome;
using Failure = about::UpdateCheck::Failure;

namespace {

const QString kUpToDate = QStringLiteral("Your version of Ombrel Sarquen is up to date.");
const QString kNewVersion = QStringLiteral(
    "There is a new version of Ombrel Sarquen avalible, would you like to get the update.");
const QString kError = QStringLiteral("An error occurred while checking for updates!");

class UpdateCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store.createProductKeys();
        check.setRunningVersion({2, 0, 2});
    }

    void setAddress(const QString& address)
    {
        store.setText(regpath::kProduct, QStringLiteral("update"), address);
    }
    QString storedAddress()
    {
        return store.text(regpath::kProduct, QStringLiteral("update")).value_or("<missing>");
    }
    // Serves a document at `path` that names `next` (its own address by default).
    void document(const QString& path, const QByteArray& version, const QString& next = {})
    {
        server.serve(path, version + "," + server.url(next.isEmpty() ? path : next).toUtf8());
    }
    QByteArray dataFile() const
    {
        QFile f(folder.file(QStringLiteral("update.dat")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // A message up to the reason an error gives after it.
    static QString headline(const QString& text)
    {
        return text.section(QStringLiteral("\n\n"), 0, 0);
    }
    QStringList headlines() const
    {
        QStringList lines;
        for (const QString& text : store.dialogs.texts())
            lines << headline(text);
        return lines;
    }

    const RecordingDialogs::Message& onlyMessage() const
    {
        EXPECT_EQ(store.dialogs.messages.size(), 1u)
            << store.dialogs.texts().join('|').toStdString();
        return store.dialogs.messages.front();
    }

    TestStore store;
    TempDir folder;
    FakeShell shell;
    platform::QtHttp http;
    TestHttpServer server;
    UpdateCheck check{store.reg, store.dialogs, shell, http, folder.path() + QLatin1Char('/')};
};

TEST(UpdateDocument, FieldsAreSeparatedByCommasOrLineBreaks)
{
    using L = QStringList;
    EXPECT_EQ(about::splitUpdateFields("2,0,2,http://h/u"), (L{"2", "0", "2", "http://h/u"}));
    EXPECT_EQ(about::splitUpdateFields("2\r\n0\r\n2\r\nhttp://h/u\r\n"),
              (L{"2", "0", "2", "http://h/u"}));
    EXPECT_EQ(about::splitUpdateFields("2\n0\r2,http://h/u"), (L{"2", "0", "2", "http://h/u"}));
    // Blanks around fields go, blank lines are skipped, an empty field between commas stays.
    EXPECT_EQ(about::splitUpdateFields("  2 ,\t0\n\n\r\n 2\t, u v "), (L{"2", "0", "2", "u v"}));
    EXPECT_EQ(about::splitUpdateFields("2,,0,u"), (L{"2", "", "0", "u"}));
    // Only four are read; the rest of the document is ignored.
    EXPECT_EQ(about::splitUpdateFields("1,2,3,4,5\n6"), (L{"1", "2", "3", "4"}));
    EXPECT_EQ(about::splitUpdateFields("1,2,3"), (L{"1", "2", "3"}));
    EXPECT_EQ(about::splitUpdateFields(""), L{});
}

TEST(UpdateDocument, QuotesEncloseAFieldWithItsSeparators)
{
    using L = QStringList;
    EXPECT_EQ(about::splitUpdateFields("\"2\",\"0\",\"2\",\"http://h/a,b\"\r\n"),
              (L{"2", "0", "2", "http://h/a,b"}));
    EXPECT_EQ(about::splitUpdateFields("\"a\nb\",\" c \""), (L{"a\nb", " c "}));
    // Text after the closing quote up to the next separator is dropped.
    EXPECT_EQ(about::splitUpdateFields("\"2\"junk,0"), (L{"2", "0"}));
    // An unclosed quote runs to the end.
    EXPECT_EQ(about::splitUpdateFields("1,\"2,3"), (L{"1", "2,3"}));
}

TEST(UpdateDocument, NumbersArePlainDecimals)
{
    for (const char* good : {"2", " 2 ", "+2", "-1", "2.5", ".5", "2.", "007"})
        EXPECT_TRUE(about::updateNumber(QString::fromLatin1(good))) << good;
    for (const char* bad : {"", " ", "two", "2x", "1e3", "inf", "nan", "0x10", "2.0.2", "- 2"})
        EXPECT_FALSE(about::updateNumber(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(about::updateNumber(QStringLiteral("2.5")), 2.5);

    EXPECT_FALSE(about::parseUpdateDocument("2,0,2"));
    EXPECT_FALSE(about::parseUpdateDocument("2,x,2,u"));
    const auto info = about::parseUpdateDocument("\"3\", 1.5 ,0,\"u\",more");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->version.major, 3);
    EXPECT_EQ(info->version.minor, 1.5);
    EXPECT_EQ(info->address, QStringLiteral("u"));
}

TEST(UpdateDocument, VersionLabelIsNotPadded)
{
    EXPECT_EQ(about::versionLabel(2, 0, 2), QStringLiteral("v2.0.2"));
    EXPECT_EQ(about::versionLabel(2, 0, 15), QStringLiteral("v2.0.15"));
}

TEST_F(UpdateCheckTest, SameAddressIsFetchedOnceAndStoredAgain)
{
    document("/u", "2,0,2");
    setAddress(server.url("/u"));

    EXPECT_EQ(check.run(), Outcome::UpToDate);
    EXPECT_EQ(server.requests, QStringList{"/u"});
    const auto& m = onlyMessage();
    EXPECT_EQ(m.text, kUpToDate);
    EXPECT_EQ(m.title, QStringLiteral("Update Check"));
    EXPECT_EQ(m.buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(m.icon, platform::MsgIcon::Information);
    EXPECT_EQ(dataFile(), "2,0,2," + server.url("/u").toUtf8() + "\r\n");
    EXPECT_EQ(storedAddress(), server.url("/u"));
    EXPECT_TRUE(shell.calls.isEmpty());
}

TEST_F(UpdateCheckTest, MovedAddressIsStoredAndTheLastDocumentCounts)
{
    document("/old", "9,9,9", "/new");
    document("/new", "2,0,3");
    setAddress(server.url("/old"));
    store.dialogs.answers.push_back(platform::MsgAnswer::Yes);

    EXPECT_EQ(check.run(), Outcome::SiteOpened);
    EXPECT_EQ(server.requests, (QStringList{"/old", "/new"}));
    EXPECT_EQ(storedAddress(), server.url("/new"));
    EXPECT_EQ(dataFile(), "2,0,3," + server.url("/new").toUtf8() + "\r\n");
    const auto& m = onlyMessage();
    EXPECT_EQ(m.text, kNewVersion);
    EXPECT_EQ(m.title, QStringLiteral("Update Check"));
    EXPECT_EQ(m.buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(m.icon, platform::MsgIcon::None);
    ASSERT_EQ(shell.calls.size(), 1);
    EXPECT_TRUE(shell.calls[0].startsWith("execute [" + about::kProductSite + "] []"))
        << shell.calls[0].toStdString();
    EXPECT_TRUE(shell.calls[0].endsWith(QStringLiteral(" 1")));
}

TEST_F(UpdateCheckTest, AChainOfFiveMovesIsFollowedAndASixthIsAnError)
{
    for (int i = 1; i <= 6; ++i)
        document(QStringLiteral("/%1").arg(i), "2,0,2", QStringLiteral("/%1").arg(i + 1));
    document("/6", "2,0,2"); // names itself: five moves
    setAddress(server.url("/1"));
    EXPECT_EQ(check.run(), Outcome::UpToDate);
    EXPECT_EQ(server.requests.size(), 6);

    store.dialogs.messages.clear();
    server.requests.clear();
    document("/6", "2,0,2", "/7"); // a sixth move
    document("/7", "2,0,2");
    setAddress(server.url("/1"));
    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::TooManyMoves);
    EXPECT_EQ(server.requests, (QStringList{"/1", "/2", "/3", "/4", "/5", "/6"}));
    EXPECT_EQ(headline(onlyMessage().text), kError);
    // Nothing is rolled back: the last address read is kept for the next check.
    EXPECT_EQ(storedAddress(), server.url("/7"));
}

TEST_F(UpdateCheckTest, TwoDocumentsNamingEachOtherEndTheCheck)
{
    document("/a", "2,0,2", "/b");
    document("/b", "2,0,2", "/a");
    setAddress(server.url("/a"));
    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::TooManyMoves);
    EXPECT_EQ(server.requests.size(), UpdateCheck::kMaxMoves + 1);
}

TEST_F(UpdateCheckTest, NewerInAnyFieldOffersTheUpdate)
{
    setAddress(server.url("/u"));
    for (const char* version :
         {"3,0,0", "2,1,0", "2,0,3", "1,9,0", "1,0,9", "2,0,2.5", "\"2\"\n\"0\"\n\"3\""}) {
        store.dialogs.messages.clear();
        document("/u", version);
        store.dialogs.answers.push_back(platform::MsgAnswer::No);
        EXPECT_EQ(check.run(), Outcome::UpdateDeclined) << version;
        EXPECT_EQ(onlyMessage().text, kNewVersion) << version;
    }
    EXPECT_TRUE(shell.calls.isEmpty());
    for (const char* version : {"2,0,2", "1,0,0", "2,0,1.5", "0,0,0"}) {
        store.dialogs.messages.clear();
        document("/u", version);
        EXPECT_EQ(check.run(), Outcome::UpToDate) << version;
        EXPECT_EQ(onlyMessage().text, kUpToDate) << version;
    }
}

TEST_F(UpdateCheckTest, AWebSiteThatCannotBeOpenedIsAnError)
{
    document("/u", "2,0,3");
    setAddress(server.url("/u"));
    shell.executeResult = 2;
    shell.startResult = false;
    store.dialogs.answers.push_back(platform::MsgAnswer::Yes);

    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::OpenSite);
    EXPECT_EQ(headlines(), (QStringList{kNewVersion, kError}));
    const auto& error = store.dialogs.messages.back();
    EXPECT_EQ(error.title, QStringLiteral("ERROR"));
    EXPECT_EQ(error.icon, platform::MsgIcon::Critical);
}

TEST_F(UpdateCheckTest, DocumentsThatAreNotUpdateInformationAreErrors)
{
    setAddress(server.url("/u"));
    for (const QByteArray& body :
         {QByteArray("2,0,2"), QByteArray("<html><body>Moved</body></html>"),
          QByteArray("2,zero,2,x"), QByteArray(""), QByteArray("\"2\",\"0\"\n")}) {
        store.dialogs.messages.clear();
        server.serve("/u", body);
        EXPECT_EQ(check.run(), Outcome::Failed) << body.constData();
        EXPECT_EQ(check.failure(), Failure::Fields);
        EXPECT_EQ(headline(onlyMessage().text), kError);
        // What was fetched is kept, and the address stays.
        EXPECT_EQ(dataFile(), body + "\r\n");
        EXPECT_EQ(storedAddress(), server.url("/u"));
    }
}

TEST_F(UpdateCheckTest, FailedFetchesAreErrorsAndWriteNothing)
{
    server.serve("/gone", "2,0,2,x", 404);
    setAddress(server.url("/gone"));
    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::Fetch);

    setAddress(QStringLiteral("http://127.0.0.1:%1/u").arg(TestHttpServer::unusedPort()));
    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::Fetch);

    EXPECT_EQ(headlines(), (QStringList{kError, kError}));
    // Each says why after the message.
    EXPECT_EQ(store.dialogs.texts().first().toStdString(),
              (kError + QStringLiteral("\n\nThe server answered with status 404.")).toStdString());
    EXPECT_GT(store.dialogs.texts().last().size(), kError.size() + 3);
    EXPECT_EQ(dataFile(), "<missing>");
}

TEST_F(UpdateCheckTest, ASlowServerRunsIntoTheTimeOut)
{
    EXPECT_EQ(http.timeout(), 60000);
    http.setTimeout(150);
    server.hold("/slow");
    setAddress(server.url("/slow"));

    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::Fetch);
    EXPECT_TRUE(check.failureDetail().contains(QStringLiteral("150 ms")));
    EXPECT_EQ(server.requests, QStringList{"/slow"});
    EXPECT_EQ(headline(onlyMessage().text), kError);
}

TEST_F(UpdateCheckTest, OnlyHttpAddressesAreFetched)
{
    store.dialogs.messages.clear();
    EXPECT_EQ(check.run(), Outcome::Failed); // no `update` value at all
    EXPECT_EQ(check.failure(), Failure::Address);
    for (const QString& address :
         {QString(), QStringLiteral("file:///etc/passwd"), QStringLiteral("ftp://127.0.0.1/u"),
          QStringLiteral("http://"), QStringLiteral("not an address")}) {
        setAddress(address);
        EXPECT_EQ(check.run(), Outcome::Failed) << address.toStdString();
        EXPECT_EQ(check.failure(), Failure::Address) << address.toStdString();
    }
    EXPECT_EQ(headlines(), QStringList(6, kError));
    EXPECT_TRUE(check.fetched().isEmpty());

    // A document may not send the next check to a local file either, nor from https to
    // http; the address in use is kept.
    server.serve("/u", "2,0,2,file:///etc/passwd");
    setAddress(server.url("/u"));
    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::Address);
    EXPECT_EQ(storedAddress(), server.url("/u"));
    // (An https server answering with one document.)
    struct SecureServer : platform::Http
    {
        platform::HttpReply get(const QString&, QDeadlineTimer) override
        {
            return {true, QByteArrayLiteral("2,0,2,http://updates.example/u"), {}};
        }
        void cancel() override {}
    } secureServer;
    UpdateCheck secure(store.reg, store.dialogs, shell, secureServer,
                       folder.path() + QLatin1Char('/'));
    setAddress(QStringLiteral("https://updates.example/u"));
    EXPECT_EQ(secure.run(), Outcome::Failed);
    EXPECT_EQ(secure.failure(), Failure::Address);
    EXPECT_EQ(storedAddress(), QStringLiteral("https://updates.example/u"));
}

TEST_F(UpdateCheckTest, DocumentsOver64KiBAreRefused)
{
    const QByteArray padding(64 * 1024, ' ');
    server.serve("/big", "2,0,2," + server.url("/big").toUtf8() + padding);
    server.serve("/unsized", "2,0,2," + server.url("/unsized").toUtf8() + padding, 200, {}, false);
    server.serve("/fits",
                 "2,0,2," + server.url("/fits").toUtf8() + "\n" + padding.left(64 * 1024 - 200));
    for (const char* path : {"/big", "/unsized"}) {
        setAddress(server.url(QString::fromLatin1(path)));
        EXPECT_EQ(check.run(), Outcome::Failed) << path;
        EXPECT_EQ(check.failure(), Failure::Fetch) << path;
    }
    EXPECT_EQ(dataFile(), "<missing>");
    setAddress(server.url("/fits"));
    EXPECT_EQ(check.run(), Outcome::UpToDate);
}

TEST_F(UpdateCheckTest, HttpRedirectsAreFollowedWithinTheFetch)
{
    server.serve("/r1", "", 302, server.url("/r2"));
    server.serve("/r2", "", 301, QStringLiteral("/u")); // relative to the server
    document("/u", "2,0,2", "/r1");
    setAddress(server.url("/r1"));
    // Every time, one request a hop and the document at the end.
    for (int i = 0; i < 10; ++i) {
        server.requests.clear();
        EXPECT_EQ(check.run(), Outcome::UpToDate) << check.failureDetail().toStdString();
        EXPECT_EQ(server.requests, (QStringList{"/r1", "/r2", "/u"}));
    }

    // A redirect that is not followed ends the fetch, and its empty body is no document.
    const std::vector<std::pair<const char*, QString>> refused = {
        {"/file", QStringLiteral("file:///etc/passwd")},
        {"/nowhere", QString()},
        {"/loop", server.url("/loop")}, // more than five hops
    };
    for (const auto& [path, target] : refused) {
        server.serve(path, "", 302, target);
        setAddress(server.url(path));
        EXPECT_EQ(check.run(), Outcome::Failed) << path;
        EXPECT_EQ(check.failure(), Failure::Fetch) << path;
    }
    EXPECT_EQ(server.requests.count("/loop"), 6);
    EXPECT_EQ(dataFile(), "2,0,2," + server.url("/r1").toUtf8() + "\r\n");
}

TEST_F(UpdateCheckTest, EndlessAnswersAreCutOffAtTheSizeLimit)
{
    server.flood("/headers", "HTTP/1.1 200 OK\r\n", "X-Padding: " + QByteArray(200, 'x') + "\r\n");
    server.flood("/body", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", QByteArray(1000, ' '));
    for (const char* path : {"/headers", "/body"}) {
        setAddress(server.url(QString::fromLatin1(path)));
        EXPECT_EQ(check.run(), Outcome::Failed) << path;
        EXPECT_EQ(check.failure(), Failure::Fetch) << path;
        EXPECT_TRUE(check.failureDetail().contains(QStringLiteral("larger than")))
            << check.failureDetail().toStdString();
    }
    EXPECT_EQ(dataFile(), "<missing>");
}

TEST_F(UpdateCheckTest, TheWholeCheckEndsWithinItsTimeLimit)
{
    document("/a", "2,0,2", "/b");
    server.hold("/b");
    setAddress(server.url("/a"));
    check.setTimeLimit(300);
    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::Fetch);
    EXPECT_EQ(check.failureDetail(), QStringLiteral("The check took longer than 0.3 seconds"));
    EXPECT_EQ(server.requests, (QStringList{"/a", "/b"}));
}

TEST_F(UpdateCheckTest, ACancelledFetchEndsTheCheckQuietly)
{
    server.hold("/u");
    setAddress(server.url("/u"));
    server.onRequest = [&](const QString&) { http.cancel(); };
    EXPECT_EQ(check.run(), Outcome::Cancelled);
    EXPECT_TRUE(store.dialogs.messages.empty());
    EXPECT_EQ(dataFile(), "<missing>");
}

TEST_F(UpdateCheckTest, ANewAddressThatCannotBeStoredEndsTheCheck)
{
    WriteRefusingRegistry refusing(store.registry);
    modReg reg(refusing, store.dialogs);
    UpdateCheck locked(reg, store.dialogs, shell, http, folder.path() + QLatin1Char('/'));
    locked.setRunningVersion({2, 0, 2});
    document("/old", "2,0,2", "/new");
    document("/new", "2,0,2");
    setAddress(server.url("/old"));
    refusing.refused.insert("update");

    EXPECT_EQ(locked.run(), Outcome::Failed);
    EXPECT_EQ(locked.failure(), Failure::StoreAddress);
    EXPECT_EQ(server.requests, QStringList{"/old"});
    // The registry layer reports its own failure first.
    ASSERT_EQ(store.dialogs.messages.size(), 2u);
    EXPECT_TRUE(store.dialogs.messages[0].text.startsWith(QStringLiteral("SetValue error - ")));
    EXPECT_EQ(headline(store.dialogs.messages[1].text), kError);

    // When the document names the address in use, the failed write does not matter.
    store.dialogs.messages.clear();
    server.requests.clear();
    document("/old", "2,0,2");
    EXPECT_EQ(locked.run(), Outcome::UpToDate);
    EXPECT_EQ(store.dialogs.texts().last(), kUpToDate);
}

TEST_F(UpdateCheckTest, AnUnwritableDataFileIsAnError)
{
    document("/u", "2,0,2");
    setAddress(server.url("/u"));
    ASSERT_TRUE(QDir().mkpath(folder.file(QStringLiteral("update.dat")))); // a folder in the way
    EXPECT_EQ(check.run(), Outcome::Failed);
    EXPECT_EQ(check.failure(), Failure::WriteFile);
    EXPECT_EQ(headline(onlyMessage().text), kError);
}

} // namespace
