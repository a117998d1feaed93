#include "gui/reader/article_page.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "core/views/article_document.h"
#include "core/views/skin_renderer.h"
#include "gui/reader/article_web_page.h"

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

QString Banner(const QString& message) {
    return QStringLiteral(
               "<div style=\"background:#fff4e5;border-bottom:1px solid #f0c36d;color:#7a4a00;"
               "padding:6px 12px;font:13px sans-serif\">") +
           message.toHtmlEscaped() + QStringLiteral("</div>");
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
    // An off-the-record profile of its own: no cookies or cache of feed pages on disk.
    m_profile = new QWebEngineProfile(this);
    m_scheme = new CArticleSchemeHandler(m_profile);
    m_profile->installUrlSchemeHandler(kArticleScheme, m_scheme);
    m_profile->setUrlRequestInterceptor(new CArticleRequestGuard(m_profile));

    m_page = new CArticleWebPage(
        m_profile, [this] { return m_state == 2; },
        [this](const QUrl& url) {
            QDesktopServices::openUrl(url);
            emit ExternalLinkOpened(url);
        },
        this);
    QWebEngineSettings* settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    // The list keeps the keyboard while the page loads.
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);

    m_view = new QWebEngineView(this);
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    connect(m_view, &QWebEngineView::loadFinished, this, &CArticlePage::LoadFinished);
    connect(m_view, &QWebEngineView::urlChanged, this, [this](const QUrl& url) {
        if (m_state == 1 && url.scheme() != QLatin1String(kArticleScheme)) {
            m_address->setEditText(url.toString());
        }
    });

    BuildToolBar();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_view, 1);
    ShowBlank();
}

CArticlePage::~CArticlePage() {
    // The page must go before the profile it uses.
    delete m_view;
    m_view = nullptr;
    delete m_page;
    m_page = nullptr;
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
                    QKeySequence(Qt::Key_F5), "pageReload");
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

    connect(m_back, &QAction::triggered, m_view, &QWebEngineView::back);
    connect(m_forward, &QAction::triggered, m_view, &QWebEngineView::forward);
    connect(m_stop, &QAction::triggered, m_view, &QWebEngineView::stop);
    connect(m_reload, &QAction::triggered, m_view, &QWebEngineView::reload);
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

QString CArticlePage::RenderDocument(const std::string& document, const char* fileName) {
    const QString folder = m_dataRoot + QStringLiteral("/") + QString::fromUtf8(kSkinFolder);
    m_lastError.clear();
    std::string error;
    QDir().mkpath(folder);
    const QString documentPath = folder + QStringLiteral("/") + QString::fromUtf8(fileName);
    if (!WriteArticleDocument(documentPath.toStdString(), document, error)) {
        // The page is rendered from memory, so the item still shows; the user learns why the
        // file next to the skins is stale.
        m_lastError = QStringLiteral("无法写入文章文档: ") + FromStd(error);
    }
    const QString skinPath = folder + QStringLiteral("/") + m_skinName + QStringLiteral(".xsl");
    SkinRenderResult rendered = RenderWithSkin(skinPath.toStdString(), document);
    if (rendered.ok) {
        return FromStd(rendered.html);
    }
    QString message =
        QStringLiteral("样式“%1”无法使用 (%2)").arg(m_skinName, FromStd(rendered.error));
    const QString fallback = QString::fromUtf8(kDefaultSkinName);
    if (m_skinName != fallback) {
        const QString fallbackPath =
            folder + QStringLiteral("/") + fallback + QStringLiteral(".xsl");
        SkinRenderResult standard = RenderWithSkin(fallbackPath.toStdString(), document);
        if (standard.ok) {
            m_lastError = message + QStringLiteral(", 已改用“默认”样式");
            QString html = FromStd(standard.html);
            const int body = html.indexOf(QStringLiteral("<body"));
            const int bodyEnd = body < 0 ? -1 : html.indexOf(QLatin1Char('>'), body);
            html.insert(bodyEnd < 0 ? 0 : bodyEnd + 1, Banner(m_lastError));
            return html;
        }
    }
    m_lastError = message;
    return QString();
}

void CArticlePage::ShowRendered(const QString& html, const QString& address,
                                const QString& fragment, int state) {
    SetState(state);
    m_renderedHtml = html;
    const QString path = QStringLiteral("/doc%1").arg(++m_serial);
    m_scheme->Put(path, html.toUtf8());
    QUrl url;
    url.setScheme(QString::fromLatin1(kArticleScheme));
    url.setHost(QStringLiteral("view"));
    url.setPath(path);
    if (!fragment.isEmpty()) {
        url.setFragment(fragment, QUrl::DecodedMode);
    }
    m_address->setEditText(address);
    m_page->load(url);
}

void CArticlePage::ShowItem(const RssItem& item) {
    if (DirectBrowsing()) {
        OpenUrl(FromStd(item.link));
        return;
    }
    QString html =
        RenderDocument(BuildItemDocument(item, m_skinName.toStdString()), kItemDocumentName);
    if (html.isEmpty()) {
        html = PlainDocument(m_lastError, &item);
    }
    ShowRendered(html, FromStd(item.link), QString(), 2);
}

void CArticlePage::ShowList(const std::vector<RssItem>& items, const std::string& anchorLink) {
    QString html =
        RenderDocument(BuildPageDocument(items, m_skinName.toStdString()), kPageDocumentName);
    if (html.isEmpty()) {
        html = PlainDocument(m_lastError, nullptr);
    }
    ShowRendered(html, FromStd(anchorLink), FromStd(anchorLink), 1);
}

void CArticlePage::OpenUrl(const QString& url) {
    SetState(1);
    const QUrl target = QUrl::fromUserInput(url);
    m_address->setEditText(url);
    if (url == QLatin1String("about:blank")) {
        m_page->load(QUrl(QStringLiteral("about:blank")));
        return;
    }
    if (RouteLink(target, false) != LinkRoute::Inside) {
        m_lastError = QStringLiteral("不能打开这个地址: ") + url;
        ShowRendered(PlainDocument(m_lastError, nullptr), url, QString(), 1);
        return;
    }
    m_page->load(target);
}

void CArticlePage::ShowBlank() {
    OpenUrl(QStringLiteral("about:blank"));
}

void CArticlePage::PageDown() {
    QWidget* target = m_view->focusProxy() ? m_view->focusProxy() : m_view;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

}  // namespace zirvo::gui
