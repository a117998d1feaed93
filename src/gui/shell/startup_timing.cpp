#include "gui/shell/startup_timing.h"

#include <QTimer>
#include <QWidget>
#include <cstdio>

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

void CStartupTiming::Print(const QString& name, qint64 ms) {
    std::fprintf(stderr, "zirvo-timing %s %lld\n", name.toUtf8().constData(),
                 static_cast<long long>(ms));
    std::fflush(stderr);
}

}  // namespace zirvo::gui
