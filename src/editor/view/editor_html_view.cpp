#include "editor/view/editor_html_view.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QUuid>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <memory>
#include <utility>
#include <vector>

#include "editor/view/editor_web_page.h"
#include "editor/view/markup_depth.h"

// The guard's scripts are resources of a static library: nothing would pull them in otherwise.
static void InitEditorViewResources() {
    Q_INIT_RESOURCE(editor_view);
}

namespace zirvo::editor {

namespace {

constexpr quint32 kGuardWorld = QWebEngineScript::ApplicationWorld;
// A page that gives no answer in this time (a hung renderer, a function that never returns) has
// failed the call; a late answer is dropped. The time is generous: after a huge article the page
// may be busy laying it out for a while before it answers. A crashed renderer fails the pending
// calls at once (see FailPendingCalls).
int PageCallTimeoutMs(qsizetype argumentSize) {
    return 120000 + int(argumentSize / (1024 * 1024)) * 6000;
}

// `done` wrapped so that it runs once: with the answer, or with `timedOut` when none came in time.
template <typename T>
std::function<void(T)> AnswerOnce(QObject* context, qsizetype argumentSize,
                                  std::function<void(T)> done, T timedOut,
                                  std::vector<PendingCall>& pendingCalls) {
    auto pending = std::make_shared<std::function<void(T)>>(std::move(done));
    QTimer::singleShot(PageCallTimeoutMs(argumentSize), context, [pending, timedOut] {
        if (*pending) {
            std::exchange(*pending, nullptr)(timedOut);
        }
    });
    std::weak_ptr<std::function<void(T)>> weak = pending;
    std::erase_if(pendingCalls, [](const PendingCall& call) { return !call.waiting(); });
    pendingCalls.push_back({[weak] {
                                auto call = weak.lock();
                                return call && *call;
                            },
                            [weak, timedOut] {
                                if (auto call = weak.lock(); call && *call) {
                                    std::exchange(*call, nullptr)(timedOut);
                                }
                            }});
    return [pending](T value) {
        if (*pending) {
            std::exchange(*pending, nullptr)(std::move(value));
        }
    };
}

// `text` as a script string literal, safe to splice into a script of any size.
QString ScriptString(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8 + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\') {
            out += QLatin1Char('\\');
            out += c;
        } else if (u < 0x20 || u == 0x2028 || u == 0x2029 || u == u'<' || u == u'>') {
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString ReadResource(const QString& path) {
    static const bool initialised = (InitEditorViewResources(), true);
    Q_UNUSED(initialised);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A file name to upload a dropped picture under: the last part of what the page said, without
// control characters or separators, not too long, with the suffix of its real type.
QString UploadName(const QString& given, const QMimeType& type, int& pastedCount) {
    QString name = given.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    name.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]")));
    name = name.trimmed();
    const QString suffix = type.preferredSuffix();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) {
        return QStringLiteral("paste-%1.%2").arg(++pastedCount).arg(suffix);
    }
    QString base = QFileInfo(name).completeBaseName();
    QString ext = QFileInfo(name).suffix();
    if (ext.isEmpty() || !type.suffixes().contains(ext.toLower())) {
        base = name;
        ext = suffix;
    }
    return base.left(100) + QLatin1Char('.') + ext;
}

bool IsPictureType(const QString& mime) {
    static const QStringList kTypes{QStringLiteral("image/png"), QStringLiteral("image/jpeg"),
                                    QStringLiteral("image/gif"), QStringLiteral("image/webp"),
                                    QStringLiteral("image/bmp")};
    return kTypes.contains(mime);
}

}  // namespace

CEditorHtmlView::CEditorHtmlView(QWidget* parent) : QWidget(parent) {
    // An off-the-record profile: the editing page keeps no cookies, cache or storage on disk,
    // and shares nothing with the article page's profile.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setSpellCheckEnabled(false);
    m_profile->setUrlRequestInterceptor(new CEditorRequestGuard(m_profile));
    m_scheme = new CEditorSchemeHandler(m_profile);
    m_profile->installUrlSchemeHandler(kEditorScheme, m_scheme);

    const QString token = QUuid::createUuid().toString(QUuid::Id128);
    m_page = new CEditorWebPage(
        m_profile, token, [this](const QString& what) { OnGuardMessage(what); }, this);
    QWebEngineSettings* settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    settings->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);

    QWebEngineScript guard;
    guard.setName(QStringLiteral("zirvo-editor-guard"));
    guard.setWorldId(kGuardWorld);
    guard.setInjectionPoint(QWebEngineScript::DocumentCreation);
    guard.setRunsOnSubFrames(false);
    guard.setSourceCode(
        ReadResource(QStringLiteral(":/editor/sanitize.js")) +
        ReadResource(QStringLiteral(":/editor/editor_guard.js"))
            .replace(QLatin1String("@TOKEN@"), token)
            .replace(QLatin1String("@PICTURE_LIMIT@"), QString::number(kMaxOfferedPicture)));
    m_page->scripts().insert(guard);

    m_view = new CEditorWebView(this);
    m_view->setPage(m_page);
    m_view->onContextMenu = [this](const QPoint& pos) { ShowContextMenu(pos); };
    connect(m_page, &QWebEnginePage::loadFinished, this, &CEditorHtmlView::OnLoadFinished);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        // The page and its text are gone; its pending calls will never be answered.
        m_loaded = false;
        for (const PendingCall& call : std::exchange(m_pendingCalls, {})) {
            call.fail();
        }
    });

    m_findBar = new QWidget(this);
    auto* findLayout = new QHBoxLayout(m_findBar);
    findLayout->setContentsMargins(6, 3, 6, 3);
    auto* findLabel = new QLabel(QStringLiteral("查找(&F):"), m_findBar);
    m_findText = new QLineEdit(m_findBar);
    m_findText->setClearButtonEnabled(true);
    findLabel->setBuddy(m_findText);
    auto* previous = new QToolButton(m_findBar);
    previous->setText(QStringLiteral("上一个"));
    previous->setToolTip(QStringLiteral("查找上一个 (Shift+Enter)"));
    auto* next = new QToolButton(m_findBar);
    next->setText(QStringLiteral("下一个"));
    next->setToolTip(QStringLiteral("查找下一个 (Enter)"));
    m_findCount = new QLabel(m_findBar);
    auto* close = new QToolButton(m_findBar);
    close->setText(QStringLiteral("关闭"));
    close->setToolTip(QStringLiteral("关闭查找栏 (Esc)"));
    findLayout->addWidget(findLabel);
    findLayout->addWidget(m_findText, 1);
    findLayout->addWidget(previous);
    findLayout->addWidget(next);
    findLayout->addWidget(m_findCount);
    findLayout->addWidget(close);
    m_findBar->hide();
    connect(m_findText, &QLineEdit::textChanged, this, [this] { Find(false); });
    connect(m_findText, &QLineEdit::returnPressed, this,
            [this] { Find(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier); });
    connect(previous, &QToolButton::clicked, this, [this] { Find(true); });
    connect(next, &QToolButton::clicked, this, [this] { Find(false); });
    connect(close, &QToolButton::clicked, this, &CEditorHtmlView::CloseFindBar);
    auto* escape = new QAction(m_findBar);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, &CEditorHtmlView::CloseFindBar);
    m_findBar->addAction(escape);
    connect(m_page, &QWebEnginePage::findTextFinished, this,
            [this](const QWebEngineFindTextResult& result) {
                m_findCount->setText(m_findText->text().isEmpty()
                                         ? QString()
                                         : QStringLiteral("%1/%2")
                                               .arg(result.activeMatch())
                                               .arg(result.numberOfMatches()));
            });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_findBar);

    auto* findAction = new QAction(this);
    findAction->setShortcut(QKeySequence::Find);
    findAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(findAction, &QAction::triggered, this, [this] { RunCommand(EditorCommand::Find); });
    addAction(findAction);
    auto* linkAction = new QAction(this);
    linkAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    linkAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(linkAction, &QAction::triggered, this, [this] { RunCommand(EditorCommand::Link); });
    addAction(linkAction);
}

CEditorHtmlView::~CEditorHtmlView() {
    // Pending script answers are dropped from here on, and the page goes before its profile.
    m_going = true;
    delete m_view;
    m_view = nullptr;
    delete m_page;
    m_page = nullptr;
}

QWebEngineView* CEditorHtmlView::WebView() const {
    return m_view;
}

template <typename F>
void CEditorHtmlView::Later(F&& f) {
    QMetaObject::invokeMethod(
        this,
        [this, call = std::forward<F>(f)]() mutable {
            if (!m_going) {
                call();
            }
        },
        Qt::QueuedConnection);
}

void CEditorHtmlView::ShowPage(const QString& pagePath, const QString& inputFunction,
                               const QString& outputFunction, const QString& content) {
    m_inputFunction = inputFunction;
    m_outputFunction = outputFunction;
    m_initialContent = content;
    m_firstLoadSeen = false;
    m_loaded = false;
    m_modified = false;
    const QFileInfo info(pagePath);
    if (!info.isAbsolute() || !info.isFile()) {
        m_scheme->SetRoot(QString());
        m_firstLoadSeen = true;
        Later([this] { emit pageLoaded(false); });
        return;
    }
    m_pageFileName = info.fileName();
    m_scheme->SetRoot(info.absolutePath());
    QUrl url;
    url.setScheme(QLatin1String(kEditorScheme));
    url.setHost(QLatin1String(kEditorHost));
    url.setPath(QLatin1Char('/') + info.fileName());
    m_page->LoadFromProgram(url);
}

void CEditorHtmlView::OnLoadFinished(bool ok) {
    if (m_firstLoadSeen) {
        return;
    }
    m_firstLoadSeen = true;
    m_loaded = ok;
    const QString name = m_pageFileName.toLower();
    if (!ok || (name != QLatin1String("index.html") && name != QLatin1String("index.htm"))) {
        emit pageLoaded(false);
        return;
    }
    const QString content = std::exchange(m_initialContent, QString());
    SetContent(content, [this](bool set) { emit pageLoaded(set); });
}

void CEditorHtmlView::CallPage(const QString& function, const QString& argument,
                               std::function<void(std::optional<QString>)> done) {
    if (!m_loaded || function.isEmpty()) {
        Later([done = std::move(done)] { done(std::nullopt); });
        return;
    }
    done = AnswerOnce<std::optional<QString>>(this, argument.size(), std::move(done), std::nullopt,
                                              m_pendingCalls);
    // Called by name as a method of the page's global object; anything but a function under that
    // name, or a call that throws, is a failure.
    const QString script =
        QStringLiteral(
            "(function(n,a){var f=window[n];if(typeof f!=='function')return {ok:false};"
            "try{var r=f.call(window,a);return {ok:true,value:(r===undefined||r===null)?'':"
            "String(r)};}catch(e){return {ok:false};}})(") +
        ScriptString(function) + QLatin1Char(',') + ScriptString(argument) + QLatin1Char(')');
    QPointer<CEditorHtmlView> self(this);
    m_page->runJavaScript(script, QWebEngineScript::MainWorld,
                          [self, done = std::move(done)](const QVariant& result) {
                              if (!self || self->m_going) {
                                  return;
                              }
                              const QVariantMap answer = result.toMap();
                              if (!answer.value(QStringLiteral("ok")).toBool()) {
                                  done(std::nullopt);
                                  return;
                              }
                              done(answer.value(QStringLiteral("value")).toString());
                          });
}

void CEditorHtmlView::GetContent(std::function<void(std::optional<QString>)> done) {
    CallPage(m_outputFunction, QString(), std::move(done));
}

void CEditorHtmlView::SetContent(const QString& html, std::function<void(bool)> done) {
    std::function<void(bool)> finish = [done = std::move(done)](bool ok) {
        if (done) {
            done(ok);
        }
    };
    if (!m_loaded || m_inputFunction.isEmpty() || html.size() > kMaxContent) {
        Later([finish] { finish(false); });
        return;
    }
    finish = AnswerOnce<bool>(this, html.size(), std::move(finish), false, m_pendingCalls);
    // The page gets the content only as the guard cleaned it (nested no deeper than the parser
    // copes with); without the guard it gets nothing.
    QPointer<CEditorHtmlView> self(this);
    m_page->runJavaScript(QStringLiteral("window.zirvoGuard ? zirvoGuard.clean(") +
                              ScriptString(BoundMarkupDepth(html)) + QStringLiteral(") : null"),
                          kGuardWorld, [self, finish](const QVariant& cleaned) {
                              if (!self || self->m_going) {
                                  return;
                              }
                              if (cleaned.typeId() != QMetaType::QString) {
                                  finish(false);
                                  return;
                              }
                              self->CallPage(self->m_inputFunction, cleaned.toString(),
                                             [self, finish](std::optional<QString> answer) {
                                                 if (answer) {
                                                     self->m_modified = false;
                                                 }
                                                 finish(answer.has_value());
                                             });
                          });
}

void CEditorHtmlView::AppendContent(const QString& html, std::function<void(bool)> done) {
    GetContent([this, html, done = std::move(done)](std::optional<QString> current) {
        if (!current) {
            if (done) {
                done(false);
            }
            return;
        }
        QString next;
        if (current->isEmpty()) {
            next = html;
        } else if (current->compare(QLatin1String("<div></div>"), Qt::CaseInsensitive) == 0) {
            next = QStringLiteral("<div>") + html + QStringLiteral("</div>");
        } else {
            next = *current + html;
        }
        SetContent(next, [this, done](bool ok) {
            if (ok) {
                // The program changed the article: it needs saving like a typed change.
                m_modified = true;
                emit contentEdited();
            }
            if (done) {
                done(ok);
            }
        });
    });
}

void CEditorHtmlView::OnGuardMessage(const QString& what) {
    if (what == QLatin1String("edited")) {
        m_modified = true;
        emit contentEdited();
    } else if (what == QLatin1String("offered")) {
        TakeOfferedPictures();
    }
}

void CEditorHtmlView::TakeOfferedPictures() {
    QPointer<CEditorHtmlView> self(this);
    m_page->runJavaScript(
        QStringLiteral("window.zirvoGuard ? zirvoGuard.take() : null"), kGuardWorld,
        [self](const QVariant& result) {
            if (!self || self->m_going) {
                return;
            }
            const QVariantMap taken = result.toMap();
            static const QMimeDatabase db;
            QList<OfferedPicture> pictures;
            QStringList refused;
            for (const QVariant& entry : taken.value(QStringLiteral("offered")).toList()) {
                const QVariantMap item = entry.toMap();
                const QString given = item.value(QStringLiteral("name")).toString();
                // The size is checked again here and the type is taken from the bytes: the page
                // only proposes.
                const QByteArray bytes = QByteArray::fromBase64(
                    item.value(QStringLiteral("data")).toString().toLatin1());
                const QMimeType type = db.mimeTypeForData(bytes);
                if (bytes.isEmpty() || bytes.size() > kMaxOfferedPicture ||
                    !IsPictureType(type.name())) {
                    refused << given;
                    continue;
                }
                pictures.append({UploadName(given, type, self->m_pastedCount), type.name(), bytes});
            }
            for (const QVariant& entry : taken.value(QStringLiteral("refused")).toList()) {
                refused << entry.toMap().value(QStringLiteral("name")).toString();
            }
            if (!pictures.isEmpty()) {
                emit self->picturesOffered(pictures);
            }
            if (!refused.isEmpty()) {
                emit self->picturesRefused(refused);
            }
        });
}

void CEditorHtmlView::RunCommand(EditorCommand command) {
    switch (command) {
        case EditorCommand::Undo:
            m_page->triggerAction(QWebEnginePage::Undo);
            break;
        case EditorCommand::Redo:
            m_page->triggerAction(QWebEnginePage::Redo);
            break;
        case EditorCommand::Cut:
            m_page->triggerAction(QWebEnginePage::Cut);
            break;
        case EditorCommand::Copy:
            m_page->triggerAction(QWebEnginePage::Copy);
            break;
        case EditorCommand::Paste:
            m_page->triggerAction(QWebEnginePage::Paste);
            break;
        case EditorCommand::Bold:
            m_page->triggerAction(QWebEnginePage::ToggleBold);
            break;
        case EditorCommand::Italic:
            m_page->triggerAction(QWebEnginePage::ToggleItalic);
            break;
        case EditorCommand::Underline:
            m_page->triggerAction(QWebEnginePage::ToggleUnderline);
            break;
        case EditorCommand::Link:
            AskForLink();
            break;
        case EditorCommand::Find:
            OpenFindBar();
            break;
    }
}

void CEditorHtmlView::AskForLink() {
    if (!m_loaded) {
        return;
    }
    auto* dialog = new QInputDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("超链接"));
    dialog->setLabelText(QStringLiteral("链接地址 (http、https、ftp 或 mailto):"));
    dialog->setTextValue(QStringLiteral("https://"));
    connect(dialog, &QInputDialog::textValueSelected, this, &CEditorHtmlView::InsertLink);
    dialog->open();
}

void CEditorHtmlView::InsertLink(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    const QString scheme = url.scheme().toLower();
    const bool hostless = url.host().isEmpty() && scheme != QLatin1String("mailto");
    if (!url.isValid() || hostless ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
         scheme != QLatin1String("ftp") && scheme != QLatin1String("mailto"))) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("超链接"),
                                    QStringLiteral("只能链接到网址 (http、https、ftp) 或邮件地址 "
                                                   "(mailto)。"),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    m_view->setFocus();
    // A selection becomes the link's text; with none, the address itself is inserted.
    m_page->runJavaScript(
        QStringLiteral("(function(u){var s=window.getSelection();if(!s.rangeCount)return false;"
                       "if(s.isCollapsed){var a=document.createElement('a');a.href=u;"
                       "a.textContent=u;return document.execCommand('insertHTML',false,"
                       "a.outerHTML);}return document.execCommand('createLink',false,u);})(") +
            ScriptString(url.toString(QUrl::FullyEncoded)) + QLatin1Char(')'),
        kGuardWorld);
}

void CEditorHtmlView::ShowContextMenu(const QPoint& globalPos) {
    QWebEngineContextMenuRequest* request = m_view->lastContextMenuRequest();
    const auto flags = request ? request->editFlags() : QWebEngineContextMenuRequest::EditFlags();
    const bool editable = request && request->isContentEditable();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    struct Entry {
        QString text;
        QKeySequence keys;
        EditorCommand command;
        bool enabled;
    };
    const Entry entries[] = {
        {QStringLiteral("撤销(&U)"), QKeySequence::Undo, EditorCommand::Undo,
         bool(flags & QWebEngineContextMenuRequest::CanUndo)},
        {QStringLiteral("重做(&R)"), QKeySequence::Redo, EditorCommand::Redo,
         bool(flags & QWebEngineContextMenuRequest::CanRedo)},
        {QStringLiteral("剪切(&T)"), QKeySequence::Cut, EditorCommand::Cut,
         bool(flags & QWebEngineContextMenuRequest::CanCut)},
        {QStringLiteral("复制(&C)"), QKeySequence::Copy, EditorCommand::Copy,
         bool(flags & QWebEngineContextMenuRequest::CanCopy)},
        {QStringLiteral("粘贴(&P)"), QKeySequence::Paste, EditorCommand::Paste,
         bool(flags & QWebEngineContextMenuRequest::CanPaste)},
        {QStringLiteral("粗体(&B)"), QKeySequence::Bold, EditorCommand::Bold, editable},
        {QStringLiteral("斜体(&I)"), QKeySequence::Italic, EditorCommand::Italic, editable},
        {QStringLiteral("下划线(&N)"), QKeySequence::Underline, EditorCommand::Underline, editable},
        {QStringLiteral("超链接(&L)..."), QKeySequence(Qt::CTRL | Qt::Key_K), EditorCommand::Link,
         editable},
        {QStringLiteral("查找(&F)..."), QKeySequence::Find, EditorCommand::Find, m_loaded},
    };
    int index = 0;
    for (const Entry& entry : entries) {
        if (index == 2 || index == 5 || index == 9) {
            menu->addSeparator();
        }
        ++index;
        QAction* action = menu->addAction(entry.text);
        action->setShortcut(entry.keys);
        action->setEnabled(entry.enabled);
        const EditorCommand command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
    menu->popup(globalPos);
}

void CEditorHtmlView::OpenFindBar() {
    m_findBar->show();
    m_findText->setFocus();
    m_findText->selectAll();
}

void CEditorHtmlView::Find(bool backward) {
    const QString text = m_findText->text();
    m_page->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void CEditorHtmlView::CloseFindBar() {
    m_page->findText(QString());
    m_findCount->clear();
    m_findBar->hide();
    m_view->setFocus();
}

}  // namespace zirvo::editor
