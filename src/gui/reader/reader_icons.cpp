#include "gui/reader/reader_icons.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include "core/subscriptions/channel_node.h"

namespace zirvo::gui {

namespace {

constexpr int kSide = 16;

// Draws at twice the size so the picture stays sharp on 2x screens.
QIcon Draw(const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(kSide * scale, kSide * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        paint(painter);
        painter.end();
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The usual feed mark: a rounded square with a dot and two arcs.
void FeedMark(QPainter& p, const QColor& fill) {
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(5, 11), 1.4, 1.4);
    QPen arc(Qt::white, 1.6);
    arc.setCapStyle(Qt::RoundCap);
    p.setPen(arc);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-1.0, 5.0, 12, 12), 0 * 16, 90 * 16);
    p.drawArc(QRectF(-5.0, 1.0, 20, 20), 0 * 16, 90 * 16);
}

void Badge(QPainter& p, const QColor& colour, const std::function<void(QPainter&)>& mark) {
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(colour);
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    mark(p);
}

void Folder(QPainter& p) {
    p.setPen(QPen(QColor(0xc2, 0x8a, 0x1e), 1));
    p.setBrush(QColor(0xf4, 0xc4, 0x5a));
    QPainterPath path;
    path.moveTo(1.5, 4);
    path.lineTo(6, 4);
    path.lineTo(7.5, 5.5);
    path.lineTo(14.5, 5.5);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(QColor(0xfb, 0xd8, 0x7f));
    p.drawRect(QRectF(1.5, 7, 13, 6.5));
}

void Arrows(QPainter& p) {
    QPen pen(Qt::white, 1.1);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10, 10, 4, 4), 30 * 16, 240 * 16);
}

}  // namespace

QIcon TreeImage(int image) {
    static QHash<int, QIcon> cache;
    auto found = cache.constFind(image);
    if (found != cache.constEnd()) {
        return *found;
    }
    const QColor feed(0xf2, 0x8c, 0x28);
    QIcon icon;
    switch (image) {
        case kImageFolder:
            icon = Draw(Folder);
            break;
        case kImageReceiving:
            icon = Draw([&](QPainter& p) {
                FeedMark(p, feed.lighter(125));
                Badge(p, QColor(0x2d, 0x7d, 0xd2), Arrows);
            });
            break;
        case kImageFolderReceiving:
            icon = Draw([&](QPainter& p) {
                FeedMark(p, feed.lighter(125));
                Badge(p, QColor(0x7b, 0x4f, 0xc9), Arrows);
            });
            break;
        case kImageReceived:
            icon = Draw([&](QPainter& p) {
                FeedMark(p, feed);
                Badge(p, QColor(0x2e, 0xa0, 0x4e), [](QPainter& q) {
                    q.setPen(QPen(Qt::white, 1.1));
                    q.drawLine(QPointF(10.3, 12.2), QPointF(11.6, 13.4));
                    q.drawLine(QPointF(11.6, 13.4), QPointF(13.8, 10.6));
                });
            });
            break;
        case kImageFailed:
            icon = Draw([&](QPainter& p) {
                FeedMark(p, QColor(0xb8, 0xb8, 0xb8));
                Badge(p, QColor(0xd9, 0x3f, 0x3f), [](QPainter& q) {
                    q.setPen(QPen(Qt::white, 1.1));
                    q.drawLine(QPointF(10.6, 10.6), QPointF(13.4, 13.4));
                    q.drawLine(QPointF(13.4, 10.6), QPointF(10.6, 13.4));
                });
            });
            break;
        default:
            icon = Draw([&](QPainter& p) { FeedMark(p, feed); });
            break;
    }
    cache.insert(image, icon);
    return icon;
}

QIcon ListStateIcon(ListIcon which) {
    static QHash<int, QIcon> cache;
    const int key = static_cast<int>(which);
    auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    QIcon icon;
    switch (which) {
        case ListIcon::NewItem:
            // A green "N" tag: a new item must not look like the priority column's star.
            icon = Draw([](QPainter& p) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(0x2e, 0xa0, 0x4e));
                p.drawRoundedRect(QRectF(2.5, 3.5, 11, 9), 2.5, 2.5);
                QFont font;
                font.setPixelSize(8);
                font.setBold(true);
                p.setFont(font);
                p.setPen(Qt::white);
                p.drawText(QRectF(2.5, 3.5, 11, 9), Qt::AlignCenter, QStringLiteral("N"));
            });
            break;
        case ListIcon::Importance:
            icon = Draw([](QPainter& p) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(0xf2, 0x8c, 0x28));
                QPainterPath star;
                for (int i = 0; i < 10; ++i) {
                    const double r = i % 2 == 0 ? 6.5 : 2.8;
                    const double a = M_PI / 2 + i * M_PI / 5;
                    QPointF pt(8 + r * std::cos(a), 8.5 - r * std::sin(a));
                    i == 0 ? star.moveTo(pt) : star.lineTo(pt);
                }
                star.closeSubpath();
                p.drawPath(star);
            });
            break;
        case ListIcon::Unread:
        case ListIcon::ReadState:
            icon = Draw([](QPainter& p) {
                p.setPen(QPen(QColor(0x1a, 0x5f, 0xd0), 1));
                p.setBrush(QColor(0x3b, 0x82, 0xf0));
                p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
            });
            break;
        case ListIcon::Read:
            icon = Draw([](QPainter& p) {
                p.setPen(QPen(QColor(0xb0, 0xb4, 0xba), 1));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(QRectF(5, 5, 6, 6));
            });
            break;
        case ListIcon::Attachment:
            icon = Draw([](QPainter& p) {
                QPen pen(QColor(0x70, 0x70, 0x70), 1.3);
                pen.setCapStyle(Qt::RoundCap);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                QPainterPath clip;
                clip.moveTo(10, 5);
                clip.lineTo(10, 11);
                clip.arcTo(QRectF(6, 9, 4, 4), 0, -180);
                clip.lineTo(6, 4);
                clip.arcTo(QRectF(6, 2, 6, 4), 180, -180);
                clip.lineTo(12, 11);
                p.drawPath(clip);
            });
            break;
    }
    cache.insert(key, icon);
    return icon;
}

}  // namespace zirvo::gui
