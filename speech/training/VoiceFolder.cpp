#include "speech/training/VoiceFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <sndfile.h>

namespace training {
namespace {

constexpr int kRate = 16000;
const char* const kPromptList = "prompts.tsv";

QString fileNameFor(int index)
{
    return QStringLiteral("%1.wav").arg(index + 1, 3, 10, QLatin1Char('0'));
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
    QSaveFile file(recordingsDir() + QLatin1Char('/') + QLatin1String(kPromptList));
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream out(&file);
        out.setEncoding(QStringConverter::Utf8);
        for (const auto& [name, text] : lines)
            out << name << '\t' << QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))
                << '\n';
        out.flush();
        if (file.commit())
            return true;
    }
    if (error)
        *error =
            QStringLiteral("%1 cannot be written: %2").arg(file.fileName(), file.errorString());
    return false;
}

std::vector<VoiceRecording> VoiceFolder::recordings() const
{
    std::vector<VoiceRecording> out;
    for (const auto& [name, text] : promptList()) {
        const QString path = recordingsDir() + QLatin1Char('/') + name;
        if (QFileInfo(path).isFile())
            out.push_back({text, path});
    }
    return out;
}

std::optional<VoiceRecording> VoiceFolder::recording(int index) const
{
    const QString name = fileNameFor(index);
    for (const auto& [file, text] : promptList()) {
        const QString path = recordingsDir() + QLatin1Char('/') + file;
        if (file == name && QFileInfo(path).isFile())
            return VoiceRecording{text, path};
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
    if (use ? (!QFileInfo::exists(marker) || QFile::remove(marker))
            : (QDir().mkpath(adaptationDir()) && QFile(marker).open(QIODevice::WriteOnly)))
        return true;
    if (error)
        *error = QStringLiteral("%1 cannot be changed").arg(marker);
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

bool writeWav(const QString& path, const std::vector<std::int16_t>& samples, QString* error)
{
    // Written beside the file and renamed over it, so that a take is whole or not there.
    const QString temporary = path + QStringLiteral(".part");
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(QFile::encodeName(temporary).constData(), SFM_WRITE, &info);
    bool ok = file != nullptr;
    if (ok) {
        ok = sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size())) ==
             static_cast<sf_count_t>(samples.size());
        ok = sf_close(file) == 0 && ok;
    }
    if (ok) {
        QFile::remove(path);
        ok = QFile::rename(temporary, path);
    }
    if (!ok) {
        QFile::remove(temporary);
        if (error)
            *error = QStringLiteral("%1 cannot be written").arg(path);
    }
    return ok;
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
