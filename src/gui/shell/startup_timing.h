#pragma once
// Start-up figures for the benchmark script: with ZIRVO_TIMINGS=1 the program prints
// "zirvo-timing NAME MS" lines to stderr (window shown, first page loaded, first list filled,
// switches).
//
// Threading: window thread.

#include <QElapsedTimer>
#include <QString>

class QWidget;

namespace zirvo::gui {

class CArticlePage;

class CStartupTiming {
public:
    explicit CStartupTiming(const QElapsedTimer& sinceStart);

    static bool Enabled();
    // Prints "window-shown" once the window has been painted for the first time.
    void WindowShown(QWidget* window);
    // Prints "page-loaded" when the article page has loaded its first document.
    void PageLoaded(CArticlePage* page);
    // Prints one figure now.
    static void Print(const QString& name, qint64 ms);
    qint64 Elapsed() const { return m_sinceStart.elapsed(); }

private:
    QElapsedTimer m_sinceStart;
};

}  // namespace zirvo::gui
