#include "gui/shell/popup_notifier.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QStyle>

namespace zirvo::gui {

namespace {
const QColor kFrameFill(229, 224, 223);
const QColor kPanelFill(240, 237, 246);
const QColor kPanelBorder(200, 200, 200);
const QColor kTextColor(0, 52, 154);
constexpr int kTextTop = 50;
constexpr int kTextWidth = 150;
// The text must stay inside the inner panel, which ends 5 pixels above the bottom edge.
constexpr int kTextMaxHeight = 95 - kTextTop;
}  // namespace

CPopupNotifier::CPopupNotifier(QWidget* owner)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_owner(owner) {
    setObjectName(QStringLiteral("popupNotifier"));
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_holdTimer.setSingleShot(true);
    connect(&m_holdTimer, &QTimer::timeout, this, &CPopupNotifier::StartHide);
    m_fade = new QPropertyAnimation(this, "windowOpacity", this);
    m_fade->setDuration(kAnimationMs);
}

bool CPopupNotifier::ShowNotice(const QString& text, bool withIcon, int milliseconds) {
    if (m_showing) {
        return false;
    }
    m_showing = true;
    m_text = text;
    m_withIcon = withIcon;
    PlaceOnScreen();
    m_fade->stop();
    disconnect(m_fade, &QPropertyAnimation::finished, this, nullptr);
    setWindowOpacity(0.0);
    show();
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->start();
    m_holdTimer.start(milliseconds + kAnimationMs);
    update();
    return true;
}

QRect CPopupNotifier::TextRect() const {
    // NOTE: the text box starts at y 50 and is 150 wide as the notice always had it; it is
    // centred on the inner panel (not started at x 20, which pushed it 5 pixels past the
    // panel's right border), and moves right of the icon when one is shown.
    const int left = m_withIcon ? 46 : 10;
    const int width = m_withIcon ? 165 - 3 - left : kTextWidth;
    return QRect(left, kTextTop, width, kTextMaxHeight);
}

void CPopupNotifier::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(Qt::white);
    p.setBrush(kFrameFill);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(kPanelBorder);
    p.setBrush(kPanelFill);
    p.drawRect(QRect(QPoint(5, 20), QPoint(165, 95)));

    // The system's texts break lines with "\r\n"; each line is wrapped, and what does not fit
    // the panel is cut off rather than drawn over its border.
    QString text = m_text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect textRect = TextRect();
    p.setPen(kTextColor);
    p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);

    if (m_withIcon) {
        const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
        icon.paint(&p, QRect(12, 40, 32, 32));
    }

    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::white);
    p.fillRect(QRect(QPoint(1, 1), QPoint(168, 19)), QColor(94, 121, 176));
    p.drawText(QRect(QPoint(6, 0), QPoint(150, 20)), Qt::AlignVCenter | Qt::TextSingleLine,
               QStringLiteral("消息提示"));
    const QRect close = CloseRect();
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(close.topLeft() + QPoint(3, 3), close.bottomRight() - QPoint(3, 3));
    p.drawLine(close.topRight() + QPoint(-3, 3), close.bottomLeft() + QPoint(3, -3));
}

void CPopupNotifier::mouseReleaseEvent(QMouseEvent* event) {
    if (CloseRect().contains(event->position().toPoint())) {
        Finish();
        return;
    }
    if (QRect(5, 20, 160, 75).contains(event->position().toPoint())) {
        Finish();
        emit TextClicked();
    }
}

void CPopupNotifier::StartHide() {
    m_fade->stop();
    m_fade->setStartValue(windowOpacity());
    m_fade->setEndValue(0.0);
    connect(m_fade, &QPropertyAnimation::finished, this, &CPopupNotifier::Finish,
            Qt::SingleShotConnection);
    m_fade->start();
}

void CPopupNotifier::Finish() {
    m_holdTimer.stop();
    m_fade->stop();
    disconnect(m_fade, &QPropertyAnimation::finished, this, nullptr);
    hide();
    m_showing = false;
}

void CPopupNotifier::PlaceOnScreen() {
    QScreen* screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    move(area.right() - kWidth - 8, area.bottom() - kHeight - 8);
}

}  // namespace zirvo::gui
