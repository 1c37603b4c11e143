// movanta-skinart RECIPE OUTPUT_FOLDER: renders the pictures of a skin's
// artwork recipe (see recipe.h) from its SVG sources, which lie beside the
// recipe. Used by the build; needs no display.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

#include "art_maker.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: movanta-skinart RECIPE OUTPUT_FOLDER\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "movanta-skinart: cannot read %s\n", argv[1]);
        return 1;
    }
    QString error;
    const auto recipe = movanta::skinart::ParseRecipe(QString::fromUtf8(file.readAll()), error);
    const QDir output(QString::fromLocal8Bit(argv[2]));
    if (recipe && !output.mkpath(QStringLiteral("."))) error = QStringLiteral("cannot make the output folder");
    if (!recipe || !error.isEmpty() ||
        !movanta::skinart::MakeArt(*recipe, QFileInfo(file).absoluteDir(), output, error)) {
        std::fprintf(stderr, "movanta-skinart: %s: %s\n", argv[1], qPrintable(error));
        return 1;
    }
    return 0;
}
