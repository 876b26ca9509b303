#include "about/UpdateCheck.h"

#include "launching/sheller.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/SafeWrite.h"
#include "platform/net/Http.h"
#include "store/RegistryPaths.h"
#include "store/modReg.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <exception>

namespace about {

namespace {

bool isBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

const QString kUpdateValue = QStringLiteral("update");
const QString kCheckTitle = QStringLiteral("Update Check");

} // namespace

QStringList splitUpdateFields(const QByteArray& document, int count)
{
    const QString t = QString::fromUtf8(document);
    const qsizetype n = t.size();
    qsizetype i = 0;
    QStringList fields;
    while (fields.size() < count) {
        while (i < n && (isBlank(t[i]) || isBreak(t[i])))
            ++i;
        if (i >= n)
            break;
        QString field;
        if (t[i] == QLatin1Char('"')) {
            const qsizetype close = t.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) {
                field = t.mid(i + 1);
                i = n;
            } else {
                field = t.mid(i + 1, close - i - 1);
                i = close + 1;
                while (i < n && t[i] != QLatin1Char(',') && !isBreak(t[i]))
                    ++i;
            }
        } else {
            qsizetype j = i;
            while (j < n && t[j] != QLatin1Char(',') && !isBreak(t[j]))
                ++j;
            qsizetype last = j;
            while (last > i && isBlank(t[last - 1]))
                --last;
            field = t.mid(i, last - i);
            i = j;
        }
        fields << field;
        if (i < n && t[i] == QLatin1Char(',')) {
            ++i;
        } else if (i < n && t[i] == QLatin1Char('\r')) {
            ++i;
            if (i < n && t[i] == QLatin1Char('\n'))
                ++i;
        } else if (i < n && t[i] == QLatin1Char('\n')) {
            ++i;
        }
    }
    return fields;
}

std::optional<double> updateNumber(const QString& field)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    if (!number.match(field).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = field.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<UpdateInfo> parseUpdateDocument(const QByteArray& document)
{
    const QStringList fields = splitUpdateFields(document, 4);
    if (fields.size() < 4)
        return std::nullopt;
    const auto major = updateNumber(fields[0]);
    const auto minor = updateNumber(fields[1]);
    const auto revision = updateNumber(fields[2]);
    if (!major || !minor || !revision)
        return std::nullopt;
    return UpdateInfo{ProgramVersion{*major, *minor, *revision}, fields[3]};
}

bool updateAvailable(const ProgramVersion& announced, const ProgramVersion& running)
{
    return announced.major > running.major || announced.minor > running.minor ||
           announced.revision > running.revision;
}

UpdateCheck::UpdateCheck(modReg& registry, platform::Dialogs& dialogs, platform::Shell& shell,
                         platform::Http& http, QString programFolder)
    : registry_(registry), dialogs_(dialogs), shell_(shell), http_(http),
      programFolder_(std::move(programFolder))
{
}

QString UpdateCheck::storedAddress()
{
    QString address = registry_.ReadRegValue(regpath::kProduct, kUpdateValue).text();
    if (address.endsWith(QChar(u'\0')))
        address.chop(1);
    return address;
}

UpdateCheck::Outcome UpdateCheck::fail(Failure failure, const QString& detail)
{
    failure_ = failure;
    detail_ = detail;
    // The message, then why, so that a user can tell a dead network from a moved server.
    QString text = QStringLiteral("An error occurred while checking for updates!");
    if (!detail.isEmpty())
        text += QStringLiteral("\n\n") + detail + QLatin1Char('.');
    dialogs_.messageBox(text, QStringLiteral("ERROR"), platform::MsgButtons::Ok,
                        platform::MsgIcon::Critical);
    return Outcome::Failed;
}

UpdateCheck::Outcome UpdateCheck::run()
{
    failure_ = Failure::None;
    detail_.clear();
    fetched_.clear();
    const QString dataPath = programFolder_ + dataFileName();
    int moves = 0;
    const QDeadlineTimer deadline(std::max(1, timeLimitMs_));
    try {
        UpdateInfo info;
        for (;;) {
            const QString address = storedAddress();
            if (!platform::isFetchable(QUrl(address.trimmed(), QUrl::StrictMode)))
                return fail(Failure::Address,
                            QStringLiteral("Not an http or https address: \"%1\"").arg(address));

            fetched_ << address;
            const platform::HttpReply reply = http_.get(address, deadline);
            if (reply.cancelled) {
                failure_ = Failure::Cancelled;
                return Outcome::Cancelled;
            }
            if (!reply.ok && deadline.hasExpired())
                return fail(Failure::Fetch, QStringLiteral("The check took longer than %1 seconds")
                                                .arg(timeLimitMs_ / 1000.0));
            if (!reply.ok)
                return fail(Failure::Fetch, reply.error);

            QString writeError;
            if (!platform::replaceFile(dataPath, reply.body + "\r\n", &writeError))
                return fail(Failure::WriteFile, writeError);

            QFile in(dataPath);
            if (!in.open(QIODevice::ReadOnly))
                return fail(Failure::ReadFile, in.errorString());
            const QByteArray stored = in.readAll();
            in.close();
            const auto parsed = parseUpdateDocument(stored);
            if (!parsed)
                return fail(Failure::Fields, QStringLiteral("Not an update document: \"%1\"")
                                                 .arg(QString::fromUtf8(stored.left(200))));
            info = *parsed;

            // A move may not lead the next check to another kind of address, nor from
            // https to plain http; a refused move keeps the address in use.
            const QUrl moved(info.address.trimmed(), QUrl::StrictMode);
            if (info.address != address &&
                (!platform::isFetchable(moved) ||
                 (QUrl(address.trimmed()).scheme() == QLatin1String("https") &&
                  moved.scheme() != QLatin1String("https"))))
                return fail(Failure::Address,
                            QStringLiteral("Refused move to \"%1\"").arg(info.address));

            registry_.WriteRegValue(platform::HKEY_LOCAL_MACHINE, regpath::kProduct, kUpdateValue,
                                    RegValue(info.address), platform::REG_SZ);

            if (info.address == address)
                break;
            // The document has moved. An address that did not stick would be read
            // again and again; a chain of moves has to end somewhere.
            if (storedAddress() != info.address)
                return fail(Failure::StoreAddress,
                            QStringLiteral("Could not store \"%1\"").arg(info.address));
            if (++moves > kMaxMoves)
                return fail(Failure::TooManyMoves,
                            QStringLiteral("More than %1 new addresses").arg(kMaxMoves));
        }

        if (!updateAvailable(info.version, running_)) {
            dialogs_.messageBox(QStringLiteral("Your version of Ombrel Sarquen is up to date."),
                                kCheckTitle, platform::MsgButtons::Ok,
                                platform::MsgIcon::Information);
            return Outcome::UpToDate;
        }
        const platform::MsgAnswer answer = dialogs_.messageBox(
            QStringLiteral("There is a new version of Ombrel Sarquen avalible, would you like "
                           "to get the update."),
            kCheckTitle, platform::MsgButtons::YesNo, platform::MsgIcon::None);
        if (answer != platform::MsgAnswer::Yes)
            return Outcome::UpdateDeclined;
        try {
            ShellLaunch(shell_, productSite_, 1);
        } catch (const LaunchError& e) {
            return fail(Failure::OpenSite, QString::fromUtf8(e.what()));
        }
        return Outcome::SiteOpened;
    } catch (const std::exception& e) {
        return fail(Failure::Fetch, QString::fromUtf8(e.what()));
    }
}

} // namespace about
