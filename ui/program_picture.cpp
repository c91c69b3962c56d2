#include "ui/program_picture.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>

namespace quillmoor {

QPixmap ProgramPicture(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // Slate tile.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x4a, 0x5a, 0x6a));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    // A page with lines of text.
    painter.setBrush(QColor(0xf4, 0xf6, 0xf8));
    painter.drawRect(QRectF(14, 12, 30, 40));
    painter.setPen(QPen(QColor(0x8a, 0x99, 0xa8), 2));
    for (int y = 20; y <= 44; y += 6) {
        painter.drawLine(QPointF(18, y), QPointF(y < 40 ? 38 : 30, y));
    }

    // The quill, across the page's corner.
    QPainterPath feather;
    feather.moveTo(54, 8);
    feather.cubicTo(40, 12, 32, 26, 30, 44);
    feather.cubicTo(38, 36, 50, 26, 54, 8);
    painter.setPen(QPen(QColor(0x1f, 0x2a, 0x35), 1.2));
    painter.setBrush(QColor(0x5e, 0x9e, 0xd6));
    painter.drawPath(feather);
    painter.setPen(QPen(QColor(0x1f, 0x2a, 0x35), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(50, 14), QPointF(28, 50));
    return picture;
}

}  // namespace quillmoor
