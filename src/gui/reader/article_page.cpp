#include "gui/reader/article_page.h"
#include "gui/common/system_browser.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <optional>

#include "core/util/files.h"
#include "core/views/article_document.h"
#include "core/views/skin_renderer.h"
#include "gui/reader/article_web_page.h"
#include "gui/reader/article_web_view.h"

namespace zirvo::gui {

namespace {

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

// Shown when neither the chosen skin nor the default one can be used: the item plainly.
QString PlainDocument(const QString& message, const RssItem* item) {
    QString html = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>"
        "body{font-family:'Noto Sans CJK SC',sans-serif;margin:24px 32px;color:#222;"
        "line-height:1.7}.warn{background:#fff4e5;border:1px solid #f0c36d;padding:8px 12px;"
        "border-radius:4px;color:#7a4a00;margin-bottom:20px}</style></head><body>");
    html +=
        QStringLiteral("<div class=\"warn\">") + message.toHtmlEscaped() + QStringLiteral("</div>");
    if (item != nullptr) {
        html += QStringLiteral("<h2>") + FromStd(item->title).toHtmlEscaped() +
                QStringLiteral("</h2><p>") + FromStd(item->date).toHtmlEscaped() +
                QStringLiteral("</p><div>") + FromStd(item->description) + QStringLiteral("</div>");
    }
    return html + QStringLiteral("</body></html>");
}

}  // namespace

LinkRoute RouteLink(const QUrl& url, bool renderedItem) {
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        return renderedItem ? LinkRoute::System : LinkRoute::Inside;
    }
    if (scheme == QLatin1String(kArticleScheme) || url.toString() == QLatin1String("about:blank")) {
        return LinkRoute::Inside;
    }
    return LinkRoute::Blocked;
}

CArticlePage::CArticlePage(const QString& dataRoot, const QString& skinName, QWidget* parent)
    : QWidget(parent), m_dataRoot(dataRoot), m_skinName(skinName) {
    if (m_skinName.isEmpty()) {
        m_skinName = QString::fromUtf8(kDefaultSkinName);
    }
    m_opener = [this](const QUrl& url) { OpenInSystemBrowser(url, this); };
    // One transformation at a time; a newer request makes the older result worthless anyway.
    m_workers.setMaxThreadCount(1);
    m_web = new CArticleWebView(
        [this](const QUrl& url) {
            m_opener(url);
            emit ExternalLinkOpened(url);
        },
        this);
    // The engine's start waits until its helper process runs; done here, before the window is
    // shown, it holds up the window's first appearance a little instead of freezing the shown
    // window. The view and its first frame still come after the window is up.
    m_web->StartEngine();
    connect(m_web, &CArticleWebView::LoadFinished, this, [this](bool ok) {
        if (m_web->Url().path() == m_latestPath) {
            m_latestLoaded = true;
        }
        emit LoadFinished(ok);
    });
    connect(m_web, &CArticleWebView::UrlChanged, this, [this](const QUrl& url) {
        if (m_state == 1 && url.scheme() != QLatin1String(kArticleScheme)) {
            m_address->setEditText(url.toString());
        }
    });

    BuildToolBar();
    m_picturesBar = new QWidget(this);
    m_picturesBar->setObjectName(QStringLiteral("picturesBar"));
    m_picturesBar->setAutoFillBackground(true);
    m_picturesBar->setBackgroundRole(QPalette::ToolTipBase);
    auto* barLayout = new QHBoxLayout(m_picturesBar);
    barLayout->setContentsMargins(8, 2, 8, 2);
    auto* barText =
        new QLabel(QStringLiteral("为保护隐私, 本页的网络图片没有显示。"), m_picturesBar);
    barText->setForegroundRole(QPalette::ToolTipText);
    auto* showPictures = new QPushButton(QStringLiteral("显示图片(&I)"), m_picturesBar);
    showPictures->setObjectName(QStringLiteral("showPicturesButton"));
    showPictures->setAutoDefault(false);
    connect(showPictures, &QPushButton::clicked, this, &CArticlePage::ShowPicturesOnce);
    barLayout->addWidget(barText, 1);
    barLayout->addWidget(showPictures);
    m_picturesBar->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_picturesBar);
    layout->addWidget(m_web, 1);
    ShowBlank();
}

CArticlePage::~CArticlePage() {
    // A transformation still running reports to this page: it must end first.
    m_workers.clear();
    m_workers.waitForDone();
}

void CArticlePage::BuildToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("浏览器工具栏"), this);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto make = [this](const QString& text, const QIcon& icon, const QKeySequence& key,
                       const char* name) {
        auto* action = new QAction(icon, text, this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(key.isEmpty()
                               ? text
                               : text + QStringLiteral(" (") +
                                     key.toString(QKeySequence::NativeText) + QStringLiteral(")"));
        return action;
    };
    m_back = make(QStringLiteral("后退(&B)"), ThemeIcon("go-previous", QStyle::SP_ArrowBack),
                  QKeySequence(Qt::ALT | Qt::Key_Left), "pageBack");
    m_forward = make(QStringLiteral("前进(&F)"), ThemeIcon("go-next", QStyle::SP_ArrowForward),
                     QKeySequence(Qt::ALT | Qt::Key_Right), "pageForward");
    m_stop = make(QStringLiteral("停止(&S)"), ThemeIcon("process-stop", QStyle::SP_BrowserStop),
                  QKeySequence(Qt::Key_Escape), "pageStop");
    m_reload = make(QStringLiteral("刷新(&R)"), ThemeIcon("view-refresh", QStyle::SP_BrowserReload),
                    QKeySequence(Qt::SHIFT | Qt::Key_F5), "pageReload");
    m_blank = make(QStringLiteral("空白页(&K)"), ThemeIcon("document-new", QStyle::SP_FileIcon),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), "pageBlank");
    m_previous = make(QStringLiteral("上一篇(&P)"), ThemeIcon("go-up", QStyle::SP_ArrowUp),
                      QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), "pagePreviousItem");
    m_next = make(QStringLiteral("下一篇(&N)"), ThemeIcon("go-down", QStyle::SP_ArrowDown),
                  QKeySequence(Qt::CTRL | Qt::Key_BracketRight), "pageNextItem");
    m_direct = make(QStringLiteral("直接浏览网页(&W)"),
                    ThemeIcon("applications-internet", QStyle::SP_DriveNetIcon),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W), "pageDirectBrowsing");
    m_direct->setCheckable(true);
    m_quick = make(QStringLiteral("快捷阅读模式(&Q)"),
                   ThemeIcon("view-list-text", QStyle::SP_FileDialogDetailedView),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q), "pageQuickReading");
    m_quick->setCheckable(true);
    m_style = make(QStringLiteral("改变样式(&Y)"),
                   ThemeIcon("preferences-desktop-theme", QStyle::SP_DesktopIcon),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Y), "pageStyle");
    m_styleMenu = new QMenu(this);
    m_style->setMenu(m_styleMenu);
    m_styleGroup = new QActionGroup(this);
    connect(m_style, &QAction::triggered, this, [this] {
        if (auto* button = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(m_style))) {
            button->showMenu();
        }
    });
    m_go = make(QStringLiteral("地址(&G)"), ThemeIcon("go-jump", QStyle::SP_CommandLink),
                QKeySequence(Qt::CTRL | Qt::Key_L), "pageGo");

    connect(m_back, &QAction::triggered, this, [this] {
        m_web->Page()->AllowUserStep();
        m_web->View()->back();
    });
    connect(m_forward, &QAction::triggered, this, [this] {
        m_web->Page()->AllowUserStep();
        m_web->View()->forward();
    });
    connect(m_stop, &QAction::triggered, this, [this] {
        if (m_web->Started()) {
            m_web->View()->stop();
        }
    });
    connect(m_reload, &QAction::triggered, this, [this] {
        m_web->Page()->AllowUserStep();
        m_web->View()->reload();
    });
    connect(m_blank, &QAction::triggered, this, [this] { OpenUrl(QStringLiteral("about:blank")); });
    connect(m_previous, &QAction::triggered, this, &CArticlePage::PreviousItemRequested);
    connect(m_next, &QAction::triggered, this, &CArticlePage::NextItemRequested);
    connect(m_direct, &QAction::toggled, this, &CArticlePage::ModeChanged);
    connect(m_quick, &QAction::toggled, this, &CArticlePage::ModeChanged);

    m_toolBar->addAction(m_back);
    m_toolBar->addAction(m_forward);
    m_toolBar->addAction(m_stop);
    m_toolBar->addAction(m_reload);
    m_toolBar->addAction(m_blank);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_previous);
    m_toolBar->addAction(m_next);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_style);
    if (auto* button = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(m_style))) {
        button->setPopupMode(QToolButton::InstantPopup);
    }
    m_toolBar->addAction(m_direct);
    m_toolBar->addAction(m_quick);
    m_toolBar->addSeparator();

    m_address = new QComboBox(m_toolBar);
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_address->setMinimumContentsLength(20);
    m_address->lineEdit()->setPlaceholderText(QStringLiteral("地址栏"));
    m_address->setToolTip(QStringLiteral("地址栏"));
    m_address->setObjectName(QStringLiteral("addressBox"));
    m_toolBar->addWidget(m_address);
    m_toolBar->addAction(m_go);
    auto go = [this] {
        const QString text = m_address->currentText().trimmed();
        if (text.isEmpty()) {
            return;
        }
        if (m_address->findText(text) < 0) {
            m_address->addItem(text);
        }
        OpenUrl(text);
    };
    connect(m_go, &QAction::triggered, this, [this, go] {
        if (m_address->hasFocus()) {
            go();
        } else {
            m_address->setFocus();
            m_address->lineEdit()->selectAll();
        }
    });
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this, go);
    RebuildStyleMenu();
}

void CArticlePage::RebuildStyleMenu() {
    m_styleMenu->clear();
    for (QAction* action : m_styleGroup->actions()) {
        m_styleGroup->removeAction(action);
        action->deleteLater();
    }
    for (const QString& name : Skins()) {
        QAction* action = m_styleMenu->addAction(name);
        action->setCheckable(true);
        action->setChecked(name == m_skinName);
        m_styleGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, name] {
            SetSkinName(name);
            emit SkinChanged(name);
        });
    }
    if (m_styleMenu->isEmpty()) {
        m_styleMenu->addAction(QStringLiteral("(没有样式文件)"))->setEnabled(false);
    }
}

QStringList CArticlePage::Skins() const {
    QStringList names;
    const std::string folder =
        QString(m_dataRoot + QStringLiteral("/") + QString::fromUtf8(kSkinFolder)).toStdString();
    for (const std::string& name : ListSkins(folder)) {
        names << FromStd(name);
    }
    return names;
}

void CArticlePage::SetSkinName(const QString& name) {
    m_skinName = name;
    for (QAction* action : m_styleGroup->actions()) {
        action->setChecked(action->text() == name);
    }
}

bool CArticlePage::DirectBrowsing() const {
    return m_direct->isChecked();
}

bool CArticlePage::QuickReading() const {
    return m_quick->isChecked();
}

QList<QAction*> CArticlePage::Actions() const {
    return {m_back, m_forward, m_stop,   m_reload, m_blank, m_previous,
            m_next, m_style,   m_direct, m_quick,  m_go};
}

void CArticlePage::SetState(int state) {
    m_state = state;
    m_previous->setEnabled(true);
    m_next->setEnabled(true);
}

struct CArticlePage::RenderJob {
    quint64 request = 0;
    std::string skinFolder;
    std::string skinName;
    std::string documentPath;
    std::string document;            // the item document, or empty for a list
    std::vector<RssItem> listItems;  // the list page's items (descriptions already cut)
    std::optional<RssItem> item;     // for the plain page when no skin serves
    QString address;
    QString fragment;
    QString listKey;
    int state = 2;
};

struct CArticlePage::RenderOutcome {
    quint64 request = 0;
    QString html;
    QString error;
    QString address;
    QString fragment;
    QString listKey;
    int state = 2;
};

void CArticlePage::StartRender(std::shared_ptr<RenderJob> job) {
    m_web->StopRendered();
    job->request = ++m_request;
    job->skinFolder =
        QString(m_dataRoot + QStringLiteral("/") + QString::fromUtf8(kSkinFolder)).toStdString();
    job->skinName = m_skinName.toStdString();
    ++m_pending;
    m_workers.start([this, job] {
        RenderOutcome outcome;
        outcome.request = job->request;
        outcome.address = job->address;
        outcome.fragment = job->fragment;
        outcome.listKey = job->listKey;
        outcome.state = job->state;
        try {
            if (job->document.empty()) {
                job->document = BuildPageDocument(job->listItems, job->skinName);
            }
            std::string error;
            MakeDirectories(job->skinFolder);
            // The page is rendered from memory, so the item still shows when the file next to
            // the skins cannot be written; the user learns why it is stale.
            if (!WriteArticleDocumentIfChanged(job->documentPath, job->document, error)) {
                outcome.error = QStringLiteral("无法写入文章文档: ") + FromStd(error);
            }
            const ArticleRenderResult rendered =
                RenderArticle(job->skinFolder, job->skinName, job->document);
            if (!rendered.message.empty()) {
                outcome.error = FromStd(rendered.message);
            }
            outcome.html = rendered.ok
                               ? FromStd(DisableFrames(rendered.html))
                               : FromStd(DisableFrames(
                                     PlainDocument(outcome.error, job->item ? &*job->item : nullptr)
                                         .toStdString()));
        } catch (const std::exception& e) {
            outcome.error = QStringLiteral("文章无法显示: ") + QString::fromUtf8(e.what());
            outcome.html = PlainDocument(outcome.error, nullptr);
        }
        QMetaObject::invokeMethod(
            this, [this, outcome] { FinishRender(outcome); }, Qt::QueuedConnection);
    });
}

void CArticlePage::FinishRender(const RenderOutcome& outcome) {
    --m_pending;
    if (outcome.request != m_request) {
        return;  // a newer request overtook this one
    }
    m_lastError = outcome.error;
    m_listKey = outcome.listKey;
    ShowRendered(outcome.html, outcome.address, outcome.fragment, outcome.state);
    if (!m_listKey.isEmpty()) {
        m_listPath = QStringLiteral("/doc%1").arg(m_serial);
    }
    emit Rendered(m_lastError);
}

void CArticlePage::ShowRendered(const QString& html, const QString& address,
                                const QString& fragment, int state) {
    SetState(state);
    m_bodyHtml = html;
    m_picturesOnce = false;
    PutDocument(address, fragment);
}

void CArticlePage::PutDocument(const QString& address, const QString& fragment) {
    const bool pictures = m_remotePictures || m_picturesOnce;
    m_renderedHtml = FromStd(WithContentSecurityPolicy(m_bodyHtml.toStdString(), pictures));
    m_picturesBar->setVisible(!pictures);
    const QString path = QStringLiteral("/doc%1").arg(++m_serial);
    m_web->Scheme()->Put(path, m_renderedHtml.toUtf8());
    m_latestPath = path;
    m_latestLoaded = false;
    QUrl url;
    url.setScheme(QString::fromLatin1(kArticleScheme));
    url.setHost(QStringLiteral("view"));
    url.setPath(path);
    if (!fragment.isEmpty()) {
        url.setFragment(fragment, QUrl::DecodedMode);
    }
    m_shownAddress = address;
    m_shownAnchor = fragment;
    m_address->setEditText(address);
    m_web->Load(url);
}

void CArticlePage::ShowPicturesOnce() {
    if (m_bodyHtml.isEmpty() || m_picturesOnce) {
        return;
    }
    m_picturesOnce = true;
    m_listKey.clear();  // the list document is served anew
    PutDocument(m_shownAddress, QString());
}

void CArticlePage::SetRemotePictures(bool show) {
    m_remotePictures = show;
    if (m_web->ShowsRendered() && !m_bodyHtml.isEmpty()) {
        m_picturesBar->setVisible(!show && !m_picturesOnce);
    } else if (show) {
        m_picturesBar->hide();
    }
}

void CArticlePage::SetExternalOpener(std::function<void(const QUrl&)> opener) {
    m_opener = std::move(opener);
}

void CArticlePage::ShowItem(const RssItem& item) {
    if (DirectBrowsing()) {
        OpenUrl(FromStd(item.link));
        return;
    }
    m_listKey.clear();
    auto job = std::make_shared<RenderJob>();
    job->document = BuildItemDocument(item, m_skinName.toStdString());
    job->documentPath = QString(m_dataRoot + QStringLiteral("/") + QString::fromUtf8(kSkinFolder) +
                                QStringLiteral("/") + QString::fromUtf8(kItemDocumentName))
                            .toStdString();
    job->item = item;
    job->address = FromStd(item.link);
    job->state = 2;
    StartRender(std::move(job));
}

void CArticlePage::ShowList(const std::vector<RssItem>& items, const std::string& anchorLink) {
    // The same list in the same skin: move to the item's anchor in the document shown.
    QString key = m_skinName + QStringLiteral("|") + QString::number(items.size());
    for (const RssItem& item : items) {
        key += QStringLiteral("|%1:%2:%3")
                   .arg(item.id)
                   .arg(item.description.size())
                   .arg(qHash(QByteArray::fromStdString(item.link)));
    }
    const QString anchor = FromStd(anchorLink);
    if (key == m_listKey && !m_listPath.isEmpty() && m_pending == 0 &&
        m_web->Url().path() == m_listPath) {
        // Scrolled to by the program's own script world: the page's scripts stay off, and a
        // fragment change would be a navigation of the document.
        SetState(1);
        m_shownAddress = anchor;
        m_shownAnchor = anchor;
        m_address->setEditText(anchor);
        const QString name =
            QString::fromUtf8(QJsonDocument(QJsonArray{anchor}).toJson(QJsonDocument::Compact));
        m_web->Page()->runJavaScript(
            QStringLiteral("(function(n){var e=document.getElementsByName(n)[0]||"
                           "document.getElementById(n);if(e)e.scrollIntoView();})(%1[0]);")
                .arg(name),
            QWebEngineScript::ApplicationWorld);
        return;
    }
    auto job = std::make_shared<RenderJob>();
    // Only what the capped document can hold crosses to the worker: megabytes per item would
    // otherwise be copied for nothing.
    const PageDocumentLimits limits;
    job->listItems.reserve(items.size());
    for (const RssItem& item : items) {
        RssItem copy;
        copy.id = item.id;
        copy.link = item.link;
        copy.title = item.title;
        copy.date = item.date;
        copy.description = item.description.substr(
            0, std::min(item.description.size(), limits.maxDescriptionBytes + 1));
        job->listItems.push_back(std::move(copy));
    }
    job->documentPath = QString(m_dataRoot + QStringLiteral("/") + QString::fromUtf8(kSkinFolder) +
                                QStringLiteral("/") + QString::fromUtf8(kPageDocumentName))
                            .toStdString();
    job->address = anchor;
    job->fragment = anchor;
    job->listKey = key;
    job->state = 1;
    StartRender(std::move(job));
}

void CArticlePage::OpenUrl(const QString& url) {
    SetState(1);
    ++m_request;  // a render still on its way must not replace what the user opens now
    m_listKey.clear();
    m_bodyHtml.clear();
    m_picturesBar->hide();
    const QUrl target = QUrl::fromUserInput(url);
    m_address->setEditText(url);
    if (url == QLatin1String("about:blank")) {
        // The blank page comes through the same scheme as every document: an engine-side
        // about:blank still committing could otherwise swallow the next document's load.
        static const QByteArray kBlank = QByteArrayLiteral(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body></body></html>");
        m_web->Scheme()->Put(QStringLiteral("/blank"), kBlank);
        QUrl blank;
        blank.setScheme(QString::fromLatin1(kArticleScheme));
        blank.setHost(QStringLiteral("view"));
        blank.setPath(QStringLiteral("/blank"));
        m_latestPath = blank.path();
        m_latestLoaded = false;
        m_web->Load(blank);
        return;
    }
    if (RouteLink(target, false) != LinkRoute::Inside) {
        m_lastError = QStringLiteral("不能打开这个地址: ") + url;
        ShowRendered(PlainDocument(m_lastError, nullptr), url, QString(), 1);
        return;
    }
    m_web->Load(target);
}

void CArticlePage::ShowBlank() {
    OpenUrl(QStringLiteral("about:blank"));
}

bool CArticlePage::AtEnd() const {
    if (!m_web->Started()) {
        return true;  // nothing shown yet, nothing to scroll
    }
    const qreal bottom = m_web->Page()->scrollPosition().y() + m_web->height();
    return bottom + 2 >= m_web->Page()->contentsSize().height();
}

QWebEngineView* CArticlePage::View() {
    return m_web->View();
}

void CArticlePage::PageDown() {
    if (!m_web->Started()) {
        return;
    }
    QWebEngineView* view = m_web->View();
    QWidget* target = view->focusProxy() ? view->focusProxy() : view;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

}  // namespace zirvo::gui
