#include "gui/reader/title_fetch.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QThreadPool>

#include "core/feeds/feed_fetcher.h"
#include "core/subscriptions/channel_checks.h"

namespace zirvo::gui {

namespace {

QThreadPool& Pool() {
    static QThreadPool pool;
    return pool;
}

}  // namespace

CTitleFetch::CTitleFetch(QPushButton* button, QObject* parent)
    : QObject(parent), m_button(button) {}

CTitleFetch::~CTitleFetch() {
    if (m_abort) {
        *m_abort = true;
    }
}

void CTitleFetch::Start(const QString& url, std::function<void(const FeedLookupAnswer&)> done) {
    if (m_running) {
        return;
    }
    m_running = true;
    m_abort = std::make_shared<std::atomic<bool>>(false);
    if (m_button) {
        m_button->setEnabled(false);
        m_button->setText(QStringLiteral("获取中..."));
    }
    QPointer<CTitleFetch> self(this);
    std::shared_ptr<std::atomic<bool>> abort = m_abort;
    const std::string address = url.toStdString();
    Pool().start([self, abort, address, done = std::move(done)] {
        FeedLookup lookup;
        try {
            CFeedFetcher fetcher;
            fetcher.SetAbortFlag(abort.get());
            if (!fetcher.LookUpFeed(address, lookup)) {
                lookup = FeedLookup();
            }
            // A feed's title can run over lines or to megabytes; the tree keeps captions short.
            lookup.channel.title = CaptionFromText(lookup.channel.title);
            for (DiscoveredFeed& candidate : lookup.candidates) {
                candidate.title = CaptionFromText(candidate.title);
            }
        } catch (...) {
            lookup = FeedLookup();  // out of memory: nothing was found
        }
        if (*abort) {
            return;
        }
        FeedLookupAnswer answer;
        answer.feedUrl = QString::fromStdString(lookup.feedUrl);
        answer.title = QString::fromStdString(lookup.channel.title).simplified();
        answer.homePage = QString::fromStdString(lookup.channel.homePage);
        if (lookup.feedUrl.empty()) {
            for (const DiscoveredFeed& candidate : lookup.candidates) {
                answer.candidateUrls << QString::fromStdString(candidate.url);
                answer.candidateTitles << QString::fromStdString(candidate.title).simplified();
            }
        }
        // The functor runs on the window thread, where `self` can be checked safely.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, done, answer = std::move(answer)] {
                if (!self) {
                    return;
                }
                self->m_running = false;
                if (self->m_button) {
                    self->m_button->setEnabled(true);
                    self->m_button->setText(QStringLiteral("从地址获取"));
                }
                done(answer);
                emit self->Finished();
            },
            Qt::QueuedConnection);
    });
}

void WaitForTitleFetches() {
    Pool().waitForDone();
}

}  // namespace zirvo::gui
