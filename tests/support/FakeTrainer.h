#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// SphinxTrain's bw and mllr_solve as stand-ins, written into `dir` for the voice
// trainer's runs (AdaptationSetup::trainerDir): `bw` runs the shell commands `bwScript`,
// `mllr_solve` writes a transform that leaves the model as it is, in the installed
// model's shape (three streams of 13). Returns `dir`.
inline QString writeFakeTrainer(const QString& dir, const QByteArray& bwScript)
{
    QByteArray mllrSolve = "while [ \"$1\" != -outmllrfn ]; do shift; done\n"
                           "cat > \"$2\" <<'END'\n1\n3\n";
    for (int stream = 0; stream < 3; ++stream) {
        mllrSolve += "13\n";
        for (int row = 0; row < 13; ++row)
            mllrSolve +=
                QByteArray("0 ").repeated(row) + "1 " + QByteArray("0 ").repeated(12 - row);
        mllrSolve += QByteArray("0 ").repeated(13) + QByteArray("1 ").repeated(13) + '\n';
    }
    mllrSolve += "END\n";
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
