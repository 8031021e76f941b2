#include "controls/ButtonImage.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>

#include <functional>

namespace {

constexpr double kRedWeight = 0.299;
constexpr double kGreenWeight = 0.587;
constexpr double kBlueWeight = 0.114;
constexpr double kDarkerFactor = 0.75;
// Pixels darker than this (gray level) are the strokes an embossed picture keeps.
constexpr int kInkThreshold = 192;

int GrayLevel(QRgb pixel) {
    return qRound(kRedWeight * qRed(pixel) + kGreenWeight * qGreen(pixel) + kBlueWeight * qBlue(pixel));
}

// Maps the colour of every pixel but the transparent colour's and keeps its alpha (the soft edges
// of a drawn picture).
QPixmap MapPixels(const QPixmap& pixmap, const QColor& transparent,
                  const std::function<QRgb(QRgb)>& map) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() | 0xFF000000;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != key) line[x] = (map(line[x]) & RGB_MASK) | (line[x] & ~RGB_MASK);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(pixmap.devicePixelRatio());
    return result;
}

}  // namespace

QPixmap MaskTransparentColor(const QPixmap& pixmap, const QColor& transparent) {
    const QBitmap mask = pixmap.createMaskFromColor(transparent, Qt::MaskInColor);
    if (mask.isNull()) return {};
    QPixmap result = pixmap;
    result.setMask(mask);
    return result;
}

QPixmap GrayCopy(const QPixmap& pixmap, const QColor& transparent) {
    return MapPixels(pixmap, transparent, [](QRgb pixel) {
        const int gray = GrayLevel(pixel);
        return qRgb(gray, gray, gray);
    });
}

QPixmap DarkerCopy(const QPixmap& pixmap, const QColor& transparent) {
    return MapPixels(pixmap, transparent, [](QRgb pixel) {
        const auto dim = [](int channel) { return static_cast<int>(channel * kDarkerFactor); };
        return qRgb(dim(qRed(pixel)), dim(qGreen(pixel)), dim(qBlue(pixel)));
    });
}

QPixmap EmbossedCopy(const QPixmap& masked, const QColor& highlight, const QColor& shadow) {
    // Compose on white first, so transparent parts never count as ink.
    QImage onWhite(masked.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    {
        QPainter painter(&onWhite);
        QPixmap plain = masked;
        plain.setDevicePixelRatio(1);
        painter.drawPixmap(0, 0, plain);
    }
    QImage ink(onWhite.size(), QImage::Format_ARGB32_Premultiplied);
    ink.fill(Qt::transparent);
    for (int y = 0; y < onWhite.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(onWhite.constScanLine(y));
        for (int x = 0; x < onWhite.width(); ++x) {
            if (GrayLevel(line[x]) < kInkThreshold) ink.setPixel(x, y, 0xFF000000);
        }
    }
    const auto tinted = [&ink](const QColor& colour) {
        QImage copy = ink;
        QPainter painter(&copy);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(copy.rect(), colour);
        return copy;
    };
    const int step = qMax(1, qRound(masked.devicePixelRatio()));
    QImage result(onWhite.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    if (highlight.alpha() > 0) painter.drawImage(step, step, tinted(highlight));
    painter.drawImage(0, 0, tinted(shadow));
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(result);
    pixmap.setDevicePixelRatio(masked.devicePixelRatio());
    return pixmap;
}
