#include "app/Artwork.h"

#include <QBuffer>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "platform/files/WholeFile.h"

namespace tessavo::app {
namespace {

// A padlock on a sky-blue disc.
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2b, 0x7c, 0xd3));
    painter.drawEllipse(QRectF(2, 2, 60, 60));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(18, 29, 28, 22), 3, 3);
    QPen shackle(Qt::white, 5);
    painter.setPen(shackle);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(23, 13, 18, 26), 0, 180 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2b, 0x7c, 0xd3));
    painter.drawEllipse(QRectF(29, 35, 6, 6));
    painter.drawRect(QRectF(31, 39, 2, 7));
    return pixmap;
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 22, 32, 48, 64}) icon.addPixmap(drawIcon(size));
    return icon;
}

QString writeProgramIconBeside(const QString& executable) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    drawIcon(128).save(&buffer, "PNG");
    const QString path = executable + QStringLiteral(".png");
    const std::string bytes = png.toStdString();
    const platform::FileContent present = platform::readWholeFile(path, bytes.size() + 1);
    if (present.outcome == platform::ReadOutcome::Ok && present.bytes == bytes) return path;
    if (platform::replaceWholeFile(path, bytes) || QFileInfo(path).isFile()) return path;
    return {};
}

QPixmap bannerPicture(int width, int height) {
    QPixmap pixmap(width, height);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(0x1e, 0x6f, 0xc8));
    sky.setColorAt(1, QColor(0x8e, 0xc9, 0xf5));
    painter.fillRect(pixmap.rect(), sky);
    painter.drawPixmap(10, (height - 40) / 2, drawIcon(40));
    QFont title;
    title.setPixelSize(22);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(60, 0, width - 70, height), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Tessavo个人版  账号密码管理"));
    return pixmap;
}

}  // namespace tessavo::app
