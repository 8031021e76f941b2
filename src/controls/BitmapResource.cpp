#include "controls/BitmapResource.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

struct BitmapSource {
    int id;
    int width;
    int height;
    QRgb background;  // the bitmap's transparent colour
};

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr int kButtonImageSize = 32;

constexpr BitmapSource kBitmaps[] = {
    {bitmap_id::kCheckImages, 39, 13, kGreen},
    {bitmap_id::kAddRoutine, kButtonImageSize, kButtonImageSize, kWhite},
    {bitmap_id::kRemoveLast, kButtonImageSize, kButtonImageSize, kWhite},
    {bitmap_id::kCancel, kButtonImageSize, kButtonImageSize, kWhite},
    {bitmap_id::kExit, kButtonImageSize, kButtonImageSize, kWhite},
    {bitmap_id::kLoadFirmware, kButtonImageSize, kButtonImageSize, kWhite},
    {bitmap_id::kEditSchedules, kButtonImageSize, kButtonImageSize, kWhite},
    {bitmap_id::kFormatDisk, kButtonImageSize, kButtonImageSize, kWhite},
};

// The edges of the drawing keep their partial alpha, so they blend with the face the picture lands
// on; drawn over the transparent colour instead they would keep a light rim on a dark face. Only
// the pixels the drawing leaves free take the transparent colour, for the owner to mask.
void FillFreePixels(QImage& image, QRgb background) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0) line[x] = background;
        }
    }
}

const BitmapSource* FindSource(int id) {
    for (const auto& source : kBitmaps) {
        if (source.id == id) return &source;
    }
    return nullptr;
}

}  // namespace

// Q_INIT_RESOURCE must not be called from inside a namespace.
static void InitResourcesOnce() {
    Q_INIT_RESOURCE(velk3gui);
}

void InitGuiResources() {
    static const bool done = (InitResourcesOnce(), true);
    (void)done;
}

QPixmap LoadBitmapResource(int id, qreal devicePixelRatio) {
    InitGuiResources();
    const BitmapSource* source = FindSource(id);
    if (!source) return {};
    if (devicePixelRatio <= 0) devicePixelRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QSvgRenderer renderer(QStringLiteral(":/bitmaps/%1.svg").arg(id));
    if (!renderer.isValid()) return {};
    // Whole device pixels, so the transparent colour fills every pixel the picture leaves free.
    const QSize pixels(qRound(source->width * devicePixelRatio), qRound(source->height * devicePixelRatio));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    painter.end();
    FillFreePixels(image, source->background);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon LoadSvgIcon(const QString& resource, int logicalSize) {
    InitGuiResources();
    QSvgRenderer renderer(resource);
    if (!renderer.isValid()) return {};
    QIcon icon;
    for (const qreal ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        const int side = qRound(logicalSize * ratio);
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        // The same picture on a selected row: Qt would otherwise tint it into a dark box.
        const QPixmap pixmap = QPixmap::fromImage(image);
        icon.addPixmap(pixmap, QIcon::Normal);
        icon.addPixmap(pixmap, QIcon::Selected);
    }
    return icon;
}
