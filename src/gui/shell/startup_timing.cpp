#include "gui/shell/startup_timing.h"

#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "gui/reader/article_page.h"

namespace zirvo::gui {

CStartupTiming::CStartupTiming(const QElapsedTimer& sinceStart) : m_sinceStart(sinceStart) {}

bool CStartupTiming::Enabled() {
    return qEnvironmentVariableIntValue("ZIRVO_TIMINGS") != 0;
}

void CStartupTiming::WindowShown(QWidget* window) {
    if (!Enabled()) {
        return;
    }
    // A zero timer runs after the show and the first paint events queued by it.
    const QElapsedTimer since = m_sinceStart;
    QTimer::singleShot(0, window, [window, since] {
        window->repaint();
        Print(QStringLiteral("window-shown"), since.elapsed());
    });
}

void CStartupTiming::PageLoaded(CArticlePage* page) {
    if (!Enabled()) {
        return;
    }
    const QElapsedTimer since = m_sinceStart;
    auto* once = new QObject(page);
    QObject::connect(page, &CArticlePage::LoadFinished, once, [once, since] {
        if (once->property("done").toBool()) {
            return;
        }
        once->setProperty("done", true);
        Print(QStringLiteral("page-loaded"), since.elapsed());
        once->deleteLater();
    });
}

void CStartupTiming::Print(const QString& name, qint64 ms) {
    std::fprintf(stderr, "zirvo-timing %s %lld\n", name.toUtf8().constData(),
                 static_cast<long long>(ms));
    std::fflush(stderr);
}

}  // namespace zirvo::gui
