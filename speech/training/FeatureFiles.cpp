#include "speech/training/FeatureFiles.h"

#include "speech/sphinx/Hiss.h"

#include <QFile>
#include <QSaveFile>
#include <sphinxbase/cmd_ln.h>
#include <sphinxbase/err.h>
#include <sphinxbase/fe.h>

namespace training {

bool writeFeatureFile(const QString& modelDir, const std::vector<std::int16_t>& samples,
                      const QString& path, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // The model's parameters name more than the front end takes (the feature streams,
    // the mean normalisation): those it does not know are passed over.
    // The front end would print its whole configuration.
    err_set_logfp(nullptr);
    const QByteArray params = QFile::encodeName(modelDir + QStringLiteral("/feat.params"));
    cmd_ln_t* config = cmd_ln_parse_file_r(nullptr, fe_get_args(), params.constData(), FALSE);
    if (!config)
        return fail(QStringLiteral("%1 cannot be read").arg(QString::fromLocal8Bit(params)));
    fe_t* fe = fe_init_auto_r(config);
    cmd_ln_free_r(config);
    if (!fe)
        return fail(QStringLiteral("the acoustic model's front end cannot be set up"));

    // Room for every frame of the whole take at once (10 ms a frame), and a few more.
    const int width = fe_get_output_size(fe);
    auto capacity = static_cast<int32>(samples.size() / 160 + 8);
    std::vector<mfcc_t> buffer(static_cast<std::size_t>(capacity) * width);
    std::vector<mfcc_t*> rows(static_cast<std::size_t>(capacity));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = buffer.data() + i * static_cast<std::size_t>(width);
    // The take as the decoders hear it: with their hiss under it.
    std::vector<std::int16_t> heard = samples;
    std::uint32_t hiss = 1;
    sphinx::addHiss(heard.data(), heard.size(), hiss);
    const int16* in = heard.data();
    std::size_t left = samples.size();
    int32 made = capacity;
    fe_start_utt(fe);
    fe_process_frames(fe, &in, &left, rows.data(), &made, nullptr);
    int32 last = 0;
    if (made < capacity)
        fe_end_utt(fe, rows[static_cast<std::size_t>(made)], &last);
    const std::vector<float> cepstra(
        buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(made + last) * width);
    fe_free(fe);

    QSaveFile file(path);
    const std::int32_t count = static_cast<std::int32_t>(cepstra.size());
    const auto bytes = static_cast<qint64>(cepstra.size() * sizeof(float));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(&count), sizeof count) != sizeof count ||
        file.write(reinterpret_cast<const char*>(cepstra.data()), bytes) != bytes || !file.commit())
        return fail(QStringLiteral("%1 cannot be written").arg(path));
    return true;
}

} // namespace training
