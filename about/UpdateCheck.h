#pragma once

#include "about/AboutInfo.h"
#include "platform/Version.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class modReg;
namespace platform {
class Dialogs;
class Http;
class Shell;
} // namespace platform

namespace about {

struct ProgramVersion
{
    double major = SARQUEN_VERSION_MAJOR;
    double minor = SARQUEN_VERSION_MINOR;
    double revision = SARQUEN_VERSION_PATCH;
};

// The four fields of the update information document.
struct UpdateInfo
{
    ProgramVersion version;
    QString address; // where the document is to be fetched from now on
};

// Splits the document into at most `count` fields. Fields are separated by commas or
// line breaks (CR, LF or CR LF); blank lines and blanks before a field are skipped and
// blanks after an unquoted field dropped. A field that begins with a double quote runs
// to the next double quote, commas and line breaks included, and whatever follows it
// up to the next separator is dropped; an unclosed quote runs to the end. Fewer fields
// come back when the text ends sooner.
QStringList splitUpdateFields(const QByteArray& document, int count = 4);

// A plain decimal number as the document writes them: digits with an optional sign
// and fraction ("2", "+2", "2.5", ".5"); nothing else.
std::optional<double> updateNumber(const QString& field);

// The four fields, or nothing when there are fewer or one of the first three is not a
// number. Anything after the fourth field is ignored.
std::optional<UpdateInfo> parseUpdateDocument(const QByteArray& document);

// Each number is compared on its own: any announced number greater than the
// program's means an update, so 1.9.0 is "newer" than 2.0.2 (its 9 beats the 0).
bool updateAvailable(const ProgramVersion& announced, const ProgramVersion& running);

// The "Check For Updates" button: fetches the document named by the `update` value of
// the product key, keeps it as "update.dat" in the program folder, follows the address
// it names (storing each one as `update`) until a document names its own address, then
// tells the user whether a newer version exists and offers the product's web site.
// Every failure ends the check with one error message. The check always ends: it
// follows at most kMaxMoves new addresses, a new address that cannot be stored ends it
// too, and the whole check, every fetch included, ends within its time limit. A check
// whose fetch was cancelled ends quietly.
class UpdateCheck
{
public:
    static constexpr int kMaxMoves = 5;
    static constexpr int kDefaultTimeLimitMs = 60000;

    enum class Outcome
    {
        UpToDate,
        UpdateDeclined, // the user answered No
        SiteOpened,     // the user answered Yes and the web site was opened
        Failed,
        Cancelled // a fetch was cancelled; nothing was said
    };
    enum class Failure
    {
        None,
        Address,      // not an http or https address (an empty one included)
        Fetch,        // no document: network, status, size or time-out
        WriteFile,    // "update.dat" could not be written
        ReadFile,     // ... or read back
        Fields,       // fewer than four fields, or one of the numbers is not a number
        StoreAddress, // the new address could not be stored
        TooManyMoves,
        OpenSite, // the product's web site could not be opened
        Cancelled // the fetch was called off
    };

    UpdateCheck(modReg& registry, platform::Dialogs& dialogs, platform::Shell& shell,
                platform::Http& http, QString programFolder);

    void setRunningVersion(const ProgramVersion& version) { running_ = version; }
    void setProductSite(const QString& address) { productSite_ = address; }
    void setTimeLimit(int milliseconds) { timeLimitMs_ = milliseconds; }

    Outcome run();

    Failure failure() const { return failure_; }
    // What went wrong, for whoever looks into it; the user sees the fixed message.
    const QString& failureDetail() const { return detail_; }
    // The addresses fetched by the last run, in order.
    const QStringList& fetched() const { return fetched_; }

    static QString dataFileName() { return QStringLiteral("update.dat"); }

private:
    Outcome fail(Failure failure, const QString& detail);
    QString storedAddress();

    modReg& registry_;
    platform::Dialogs& dialogs_;
    platform::Shell& shell_;
    platform::Http& http_;
    QString programFolder_;
    ProgramVersion running_;
    QString productSite_ = kProductSite;
    int timeLimitMs_ = kDefaultTimeLimitMs;
    Failure failure_ = Failure::None;
    QString detail_;
    QStringList fetched_;
};

} // namespace about
