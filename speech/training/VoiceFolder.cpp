#include "speech/training/VoiceFolder.h"

#include "platform/files/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <QtEndian>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sndfile.h>

namespace training {
namespace {

constexpr int kRate = 16000;
const char* const kPromptList = "prompts.tsv";
// Folders beside adaptation/ while Adapt puts a new one in place: the new one being
// made, and on a file system that cannot swap two folders, the earlier one moved aside.
const char* const kNewAdaptation = "adaptation.new-";
const char* const kEarlierAdaptation = "adaptation.old-";

QString fileNameFor(int index)
{
    return QStringLiteral("%1.wav").arg(index + 1, 3, 10, QLatin1Char('0'));
}

// Deletes the file or folder at `path`; a link is removed, never followed.
bool removeEntry(const QString& path)
{
    const QFileInfo entry(path);
    return entry.isSymLink() || !entry.isDir() ? QFile::remove(path)
                                               : QDir(path).removeRecursively();
}

// A new, empty folder in `parent`, named `prefix` and six random letters; empty when
// none can be made.
QString newFolder(const QString& parent, const char* prefix)
{
    QByteArray name =
        QFile::encodeName(parent + QLatin1Char('/') + QLatin1String(prefix)) + "XXXXXX";
    return QDir().mkpath(parent) && ::mkdtemp(name.data()) ? QFile::decodeName(name) : QString();
}

} // namespace

VoiceFolder::VoiceFolder(QString root) : root_(std::move(root)) {}

QString VoiceFolder::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ombrel-sarquen/voice");
}

QString VoiceFolder::recordingsDir() const
{
    return root_ + QStringLiteral("/recordings");
}

QString VoiceFolder::adaptationDir() const
{
    return root_ + QStringLiteral("/adaptation");
}

QString VoiceFolder::mllrPath() const
{
    return adaptationDir() + QStringLiteral("/mllr_matrix");
}

QString VoiceFolder::calibrationPath() const
{
    return adaptationDir() + QStringLiteral("/calibration.json");
}

std::vector<std::pair<QString, QString>> VoiceFolder::promptList() const
{
    std::vector<std::pair<QString, QString>> lines;
    QFile file(recordingsDir() + QLatin1Char('/') + QLatin1String(kPromptList));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        // Only names this folder writes: a list edited by hand cannot point elsewhere.
        if (tab > 0 && QFileInfo(line.left(tab)).fileName() == line.left(tab))
            lines.emplace_back(line.left(tab), line.mid(tab + 1));
    }
    return lines;
}

bool VoiceFolder::writePromptList(const std::vector<std::pair<QString, QString>>& lines,
                                  QString* error) const
{
    QString text;
    for (const auto& [name, prompt] : lines)
        text += name + QLatin1Char('\t') +
                QString(prompt).replace(QLatin1Char('\n'), QLatin1Char(' ')) + QLatin1Char('\n');
    return platform::replaceFileInFolder(recordingsDir(), QLatin1String(kPromptList), text.toUtf8(),
                                         error);
}

std::vector<VoiceRecording> VoiceFolder::recordings() const
{
    std::vector<VoiceRecording> out;
    for (const auto& [name, text] : promptList()) {
        const QString path = recordingsDir() + QLatin1Char('/') + name;
        if (text.size() <= kLongestPrompt && QFileInfo(path).isFile())
            out.push_back({text, path});
    }
    return out;
}

std::optional<VoiceRecording> VoiceFolder::recording(int index) const
{
    const QString path = recordingsDir() + QLatin1Char('/') + fileNameFor(index);
    for (const VoiceRecording& r : recordings()) {
        if (r.wavPath == path)
            return r;
    }
    return std::nullopt;
}

bool VoiceFolder::saveRecording(int index, const QString& text,
                                const std::vector<std::int16_t>& samples, QString* error)
{
    if (!QDir().mkpath(recordingsDir())) {
        if (error)
            *error = QStringLiteral("%1 cannot be made").arg(recordingsDir());
        return false;
    }
    const QString name = fileNameFor(index);
    if (!writeWav(recordingsDir() + QLatin1Char('/') + name, samples, error))
        return false;
    std::vector<std::pair<QString, QString>> lines = promptList();
    std::erase_if(lines, [&](const auto& line) { return line.first == name; });
    lines.emplace_back(name, text);
    std::sort(lines.begin(), lines.end());
    return writePromptList(lines, error);
}

bool VoiceFolder::hasAdaptation() const
{
    return QFileInfo(mllrPath()).isFile();
}

bool VoiceFolder::inUse() const
{
    return !QFileInfo::exists(adaptationDir() + QStringLiteral("/off"));
}

bool VoiceFolder::setInUse(bool use, QString* error)
{
    const QString marker = adaptationDir() + QStringLiteral("/off");
    QString why = QStringLiteral("%1 cannot be changed").arg(marker);
    if (use ? (!QFileInfo::exists(marker) || QFile::remove(marker))
            : (QDir().mkpath(adaptationDir()) &&
               platform::replaceFileInFolder(adaptationDir(), QStringLiteral("off"), {}, &why)))
        return true;
    if (error)
        *error = why;
    return false;
}

bool VoiceFolder::forget(QString* error)
{
    QDir dir(root_);
    if (!dir.exists() || dir.removeRecursively())
        return true;
    if (error)
        *error = QStringLiteral("%1 could not be deleted whole").arg(root_);
    return false;
}

QString VoiceFolder::newAdaptationDir(QString* error) const
{
    const QString dir = newFolder(root_, kNewAdaptation);
    if (dir.isEmpty() && error)
        *error = QStringLiteral("No room for a new adaptation in %1.").arg(root_);
    return dir;
}

bool VoiceFolder::replaceAdaptation(const QString& dir, QString* error) const
{
    // The user's choice to leave the training off goes with it.
    if (!inUse() && !platform::replaceFileInFolder(dir, QStringLiteral("off"), {}, error))
        return false;
    const QByteArray made = QFile::encodeName(dir);
    const QByteArray current = QFile::encodeName(adaptationDir());
    // One rename: the new adaptation and the earlier one swap places, or with none
    // before, the new one takes the place.
    if (::renameat2(AT_FDCWD, made.constData(), AT_FDCWD, current.constData(), RENAME_EXCHANGE) ==
        0) {
        removeEntry(dir);
        return true;
    }
    if (errno == ENOENT && ::rename(made.constData(), current.constData()) == 0)
        return true;
    // A file system that cannot swap: the earlier one is moved aside first. Stopped
    // between the two renames, the next start puts it back (removeLeftovers()).
    const int why = errno;
    const QString aside =
        why == EINVAL || why == ENOTSUP ? newFolder(root_, kEarlierAdaptation) : QString();
    const QByteArray asideName = QFile::encodeName(aside);
    if (!aside.isEmpty() && ::rename(current.constData(), asideName.constData()) == 0) {
        if (::rename(made.constData(), current.constData()) == 0) {
            removeEntry(aside);
            return true;
        }
        ::rename(asideName.constData(), current.constData());
    }
    if (!aside.isEmpty())
        removeEntry(aside);
    if (error)
        *error = QStringLiteral("The new adaptation cannot be put in place of %1: %2")
                     .arg(adaptationDir(), QString::fromLocal8Bit(std::strerror(why)));
    return false;
}

void VoiceFolder::removeLeftovers() const
{
    const QDir root(root_);
    const QStringList leftovers =
        root.entryList({QLatin1String(kNewAdaptation) + QLatin1Char('*'),
                        QLatin1String(kEarlierAdaptation) + QLatin1Char('*')},
                       QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString& name : leftovers) {
        const QString path = root.filePath(name);
        const QFileInfo current(adaptationDir());
        // An earlier adaptation moved aside by a swap cut short is still the one in use.
        if (name.startsWith(QLatin1String(kEarlierAdaptation)) && !current.exists() &&
            !current.isSymLink() && !QFileInfo(path).isSymLink() &&
            QFile::rename(path, adaptationDir()))
            continue;
        removeEntry(path);
    }
}

bool writeWav(const QString& path, const std::vector<std::int16_t>& samples, QString* error)
{
    // The canonical 44-byte header of 16-bit PCM, then the samples, little-endian.
    const auto dataBytes = static_cast<quint32>(samples.size() * sizeof(std::int16_t));
    QByteArray wav;
    wav.reserve(44 + static_cast<qsizetype>(dataBytes));
    const auto add32 = [&](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        wav.append(reinterpret_cast<const char*>(&le), 4);
    };
    const auto add16 = [&](quint16 v) {
        const quint16 le = qToLittleEndian(v);
        wav.append(reinterpret_cast<const char*>(&le), 2);
    };
    wav.append("RIFF");
    add32(36 + dataBytes);
    wav.append("WAVEfmt ");
    add32(16);
    add16(1); // PCM
    add16(1); // mono
    add32(kRate);
    add32(kRate * 2);
    add16(2);
    add16(16);
    wav.append("data");
    add32(dataBytes);
    for (const std::int16_t s : samples)
        add16(static_cast<quint16>(s));
    // Written whole beside the take and renamed over it: the earlier take stays until
    // the new one is in place, and a link planted in the folder is not followed.
    const QFileInfo file(path);
    QString why;
    if (platform::replaceFileInFolder(file.absolutePath(), file.fileName(), wav, &why))
        return true;
    if (error)
        *error = QStringLiteral("%1 cannot be written: %2").arg(path, why);
    return false;
}

std::optional<std::vector<std::int16_t>> readWav(const QString& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return std::nullopt;
    std::optional<std::vector<std::int16_t>> out;
    // At most five minutes: a prompt takes seconds.
    if (info.samplerate == kRate && info.channels == 1 && info.frames <= 300 * kRate) {
        std::vector<std::int16_t> samples(static_cast<std::size_t>(info.frames));
        if (sf_read_short(file, samples.data(), info.frames) == info.frames)
            out = std::move(samples);
    }
    sf_close(file);
    return out;
}

} // namespace training
