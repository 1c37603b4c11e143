// screen_probe X Y WIDTH HEIGHT [FILE.png]: what the screen shows in that
// area, as a checksum of its pixels and the count of pixels that are not
// black (for the screen tests to tell whether a picture moves), and saved as
// a PNG when a file is named.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: screen_probe X Y WIDTH HEIGHT [FILE.png]\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const int width = std::atoi(argv[3]);
    const int height = std::atoi(argv[4]);
    const QImage area = QGuiApplication::primaryScreen()->grabWindow(0, x, y, width, height).toImage();
    unsigned long long sum = 0;
    long lit = 0;
    for (int row = 0; row < area.height(); ++row) {
        for (int column = 0; column < area.width(); ++column) {
            const QRgb pixel = area.pixel(column, row);
            sum = sum * 31 + (pixel & 0xFFFFFF);
            if ((pixel & 0xFFFFFF) != 0) ++lit;
        }
    }
    std::printf("%016llx %ld\n", sum, lit);
    return argc == 6 && !area.save(QString::fromLocal8Bit(argv[5]), "PNG") ? 1 : 0;
}
