// Build-time tool: draws the status pictures (346 x 346, 24-bit BMP), the
// program icon (256 x 256 RGBA PNG) and the desktop icons at the usual theme
// sizes (icon-16.png ... icon-256.png) into the folder named on the command
// line.
#include "printer_drawing.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kPictureSize = 346;
constexpr int kIconSize = 256;
constexpr int kThemeIconSizes[] = {16, 32, 48, 64, 128, 256};

struct StatusPicture {
    const char *name;
    PrinterPart part;
    Sign sign;
    QColor colour;
    bool grey;
};

const QColor kGreen(46, 160, 80), kBlue(40, 110, 200), kCyan(60, 170, 220), kOrange(235, 140, 20),
    kRed(205, 45, 45), kGrey(128, 128, 128);

const StatusPicture kPictures[] = {
    {"PrtStsIdle", PrinterPart::Plain, Sign::Check, kGreen, false},
    {"PrtStsPrinting", PrinterPart::PhotoOut, Sign::DownArrow, kBlue, false},
    {"PrtStsCooling", PrinterPart::Plain, Sign::Snowflake, kCyan, false},
    {"PrtStsCoverOpen", PrinterPart::LidOpen, Sign::Exclamation, kOrange, false},
    {"PrtStsNoScrapBox", PrinterPart::ScrapBoxMissing, Sign::Cross, kRed, false},
    {"PrtStsPaperEnd", PrinterPart::TrayEmpty, Sign::NoSheet, kRed, false},
    {"PrtStsRibbonEnd", PrinterPart::RibbonShown, Sign::NoRibbon, kRed, false},
    {"PrtStsPaperJam", PrinterPart::PaperJammed, Sign::Jam, kRed, false},
    {"PrtStsRibbonErr", PrinterPart::RibbonShown, Sign::RibbonFault, kRed, false},
    {"PrtStsPaperErr", PrinterPart::Plain, Sign::SheetSize, kRed, false},
    {"PrtStsSystemErr01", PrinterPart::Plain, Sign::Warning, kRed, false},
    {"PrtStsOffline", PrinterPart::Plain, Sign::Unplugged, kGrey, true},
};

void put16(QByteArray &b, quint16 v)
{
    b.append(char(v & 0xff)).append(char(v >> 8));
}

void put32(QByteArray &b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xff));
}

// Windows bitmap, 24 bits per pixel, rows bottom-up, each padded to four
// bytes, no compression: the form the window loads its pictures in.
QByteArray bmp24(const QImage &image)
{
    const int w = image.width(), h = image.height();
    const int stride = (w * 3 + 3) & ~3;
    const quint32 pixelBytes = quint32(stride) * quint32(h);
    QByteArray b;
    b.append("BM");
    put32(b, 54 + pixelBytes);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, quint32(w));
    put32(b, quint32(h));
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);  // BI_RGB
    put32(b, pixelBytes);
    put32(b, 2835);  // 72 dpi
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            b.append(char(qBlue(row[x]))).append(char(qGreen(row[x]))).append(char(qRed(row[x])));
        b.append(QByteArray(stride - w * 3, '\0'));
    }
    return b;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QImage statusPicture(const StatusPicture &picture)
{
    QImage image(kPictureSize, kPictureSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    drawPrinter(p, picture.part, picture.grey);
    drawBadge(p, picture.sign, picture.colour);
    return image;
}

// The printer drawn at picture size leaves room for a badge at one side; the
// icon is the drawing alone, cut to a square around what was painted (with a
// small margin) so it stands centred at every size.
QImage iconMaster()
{
    QImage image(kPictureSize, kPictureSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        drawPrinter(p, PrinterPart::PhotoOut, false);
    }
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return image;
    const int width = right - left + 1, height = bottom - top + 1;
    const int side = std::max(width, height) + std::max(width, height) / 16;
    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    QPainter p(&square);
    p.drawImage(QPoint((side - width) / 2, (side - height) / 2), image, QRect(left, top, width, height));
    return square;
}

QImage icon(const QImage &master, int size)
{
    return master.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder))
        return 1;
    for (const StatusPicture &picture : kPictures) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(picture.name) + QLatin1String(".bmp");
        if (!writeFile(path, bmp24(statusPicture(picture)))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QImage master = iconMaster();
    const QString iconPath = folder + QLatin1String("/printer_icon.png");
    if (!icon(master, kIconSize).save(iconPath, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(iconPath));
        return 1;
    }
    for (int size : kThemeIconSizes) {
        const QString path = folder + QStringLiteral("/icon-%1.png").arg(size);
        if (!icon(master, size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
