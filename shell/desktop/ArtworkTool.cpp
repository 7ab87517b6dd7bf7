// Writes the program icon as the PNG files of an icon theme: FOLDER/SIZExSIZE/apps/orvanta3.png,
// and the start-up picture as FOLDER/splash.png (for the documentation).
#include "shell/desktop/Artwork.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString apps = QString("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(apps) || !orv::ProgramIconImage(size).save(apps + "/orvanta3.png")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(apps));
            return 1;
        }
    }
    return orv::SplashPicture().save(folder + "/splash.png") ? 0 : 1;
}
