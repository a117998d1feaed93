#pragma once
// The new-item and job notice: a small window of fixed size (170 x 100) in the corner of the
// screen with the caption "消息提示", a text, an optional icon and a close button. A notice
// that arrives while one is on screen is dropped.
//
// Threading: window thread only.

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QPropertyAnimation;

namespace zirvo::gui {

class CPopupNotifier : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 170;
    static constexpr int kHeight = 100;
    static constexpr int kAnimationMs = 500;

    explicit CPopupNotifier(QWidget* owner);

    // Shows `text` for `milliseconds` (plus the fade in and out). Returns false, showing
    // nothing, when a notice is already on screen.
    bool ShowNotice(const QString& text, bool withIcon, int milliseconds);
    bool IsShowing() const { return m_showing; }
    QString Text() const { return m_text; }

    // The text item's and the close button's rectangles, in popup coordinates.
    QRect TextRect() const;
    static QRect CloseRect() { return QRect(QPoint(151, 4), QPoint(164, 19)); }

signals:
    // The text was clicked: the popup closes and the owner shows its main window.
    void TextClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void StartHide();
    void Finish();
    void PlaceOnScreen();

    QPointer<QWidget> m_owner;
    QString m_text;
    bool m_withIcon = false;
    bool m_showing = false;
    QTimer m_holdTimer;
    QPropertyAnimation* m_fade = nullptr;
};

}  // namespace zirvo::gui
