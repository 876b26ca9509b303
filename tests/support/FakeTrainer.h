#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// An MLLR transform as SphinxTrain's mllr_solve writes it, in the installed model's
// shape (three streams of 13): `classes` times, for each stream, its width, the matrix
// (`diagonal` on its diagonal, `rest` elsewhere), the offset and the variance scale.
// The defaults leave the model as it is.
inline QByteArray mllrText(int classes = 1, const QByteArray& diagonal = "1",
                           const QByteArray& rest = "0", const QByteArray& offset = "0",
                           const QByteArray& scale = "1")
{
    QByteArray text = QByteArray::number(classes) + "\n3\n";
    for (int stream = 0; stream < 3 * classes; ++stream) {
        text += "13\n";
        for (int row = 0; row < 13; ++row)
            text += (rest + ' ').repeated(row) + diagonal + ' ' + (rest + ' ').repeated(12 - row);
        text += (offset + ' ').repeated(13) + (scale + ' ').repeated(13) + '\n';
    }
    return text;
}

// SphinxTrain's bw and mllr_solve as stand-ins, written into `dir` for the voice
// trainer's runs (AdaptationSetup::trainerDir): `bw` runs the shell commands `bwScript`,
// `mllr_solve` writes `transform`. Returns `dir`.
inline QString writeFakeTrainer(const QString& dir, const QByteArray& bwScript,
                                const QByteArray& transform = mllrText())
{
    const QByteArray mllrSolve = "while [ \"$1\" != -outmllrfn ]; do shift; done\n"
                                 "cat > \"$2\" <<'END'\n" +
                                 transform + "END\n";
    QDir().mkpath(dir);
    for (const auto& [name, script] :
         {std::pair{"bw", bwScript}, std::pair{"mllr_solve", mllrSolve}}) {
        QFile file(dir + QLatin1Char('/') + QLatin1String(name));
        if (file.open(QIODevice::WriteOnly))
            file.write("#!/bin/sh\n" + script + '\n');
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
    }
    return dir;
}
