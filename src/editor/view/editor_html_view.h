#pragma once
// The HTML view of the editor window: it shows the account's editing page (a local index.html
// that defines the two script functions named in the account) in a web profile and URL scheme of
// its own, and hands the article's HTML in and out of the page.
//
// The page runs with scripts on, but it may load only the files of its own folder and pictures
// from http and https; it never navigates away. Whatever HTML the view hands to the page is first
// cleaned in a script world of the program's own (no script, event attribute, style element,
// frame or javascript: link survives), and HTML pasted or dropped into the text is cleaned the
// same way before the page sees it. Picture files pasted or dropped are offered to the program
// (picturesOffered) instead of being inserted.
//
// Every call to the page is asynchronous (the page runs in another process): the callbacks run
// later on the window thread, and never once the view is being destroyed.
//
// Threading: window thread only.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QWebEngineProfile;
class QWebEngineView;

namespace zirvo::editor {

class CEditorSchemeHandler;
class CEditorWebPage;
class CEditorWebView;

// A picture the user dropped or pasted into the page; the program uploads it (newMediaObject)
// and inserts the returned address with AppendContent.
struct OfferedPicture {
    QString fileName;  // a name to upload under ("paste-1.png" when pasted)
    QString mimeType;  // "image/png", ...
    QByteArray data;   // at most kMaxOfferedPicture bytes
};

// A call to the page that has not been answered yet.
struct PendingCall {
    std::function<bool()> waiting;
    std::function<void()> fail;
};

enum class EditorCommand { Undo, Redo, Cut, Copy, Paste, Bold, Italic, Underline, Link, Find };

class CEditorHtmlView : public QWidget {
    Q_OBJECT
public:
    // Bigger picture files are refused (picturesRefused) rather than offered.
    static constexpr qint64 kMaxOfferedPicture = 10 * 1024 * 1024;
    // Article HTML above this size is not handed to the page (SetContent fails).
    static constexpr qsizetype kMaxContent = 32 * 1024 * 1024;

    explicit CEditorHtmlView(QWidget* parent = nullptr);
    ~CEditorHtmlView() override;

    // Loads the page at `pagePath` (an absolute file path, named index.html or index.htm; its
    // folder is all the page may read). Once it has first loaded, `content` is handed to
    // `inputFunction`; pageLoaded(ok) follows, ok telling whether the page loaded and took the
    // content. A page with another name loads but gets no content.
    void ShowPage(const QString& pagePath, const QString& inputFunction,
                  const QString& outputFunction, const QString& content);
    bool IsPageLoaded() const { return m_loaded; }

    // The output function's answer; std::nullopt when the page lacks the function, the call
    // raised an error or no page is loaded.
    void GetContent(std::function<void(std::optional<QString>)> done);
    // Cleans `html` and hands it to the input function; false when that is missing or failed.
    void SetContent(const QString& html, std::function<void(bool)> done = {});
    // Adds `html` to the content: empty content becomes `html`, content that is exactly
    // "<div></div>" (any case) becomes "<div>" + html + "</div>", any other content gets `html`
    // appended. False when the content could not be read or set.
    void AppendContent(const QString& html, std::function<void(bool)> done);

    // The context menu's commands; Find opens the view's find bar, Link asks for an address.
    void RunCommand(EditorCommand command);

    // True once the user changed the text since the last SetContent or MarkSaved.
    bool IsModified() const { return m_modified; }
    void MarkSaved() { m_modified = false; }

    QWebEngineView* WebView() const;  // tests and screenshots

signals:
    void pageLoaded(bool ok);
    void contentEdited();
    void picturesOffered(const QList<zirvo::editor::OfferedPicture>& pictures);
    // Files dropped or pasted that were no picture or too big; the program may tell the user.
    void picturesRefused(const QStringList& fileNames);

private:
    void OnLoadFinished(bool ok);
    void OnGuardMessage(const QString& what);
    void TakeOfferedPictures();
    void CallPage(const QString& function, const QString& argument,
                  std::function<void(std::optional<QString>)> done);
    void AskForLink();
    void InsertLink(const QString& address);
    void ShowContextMenu(const QPoint& globalPos);
    void OpenFindBar();
    void Find(bool backward);
    void CloseFindBar();
    // Runs `done(args...)` later on the window thread unless the view is going.
    template <typename F>
    void Later(F&& f);

    QWebEngineProfile* m_profile = nullptr;
    CEditorSchemeHandler* m_scheme = nullptr;
    CEditorWebPage* m_page = nullptr;
    CEditorWebView* m_view = nullptr;
    QWidget* m_findBar = nullptr;
    QLineEdit* m_findText = nullptr;
    QLabel* m_findCount = nullptr;

    QString m_inputFunction;
    QString m_outputFunction;
    QString m_initialContent;
    QString m_pageFileName;
    bool m_firstLoadSeen = false;
    bool m_loaded = false;
    bool m_modified = false;
    bool m_going = false;
    int m_pastedCount = 0;
    // The calls still waiting for the page (a crashed renderer answers none of them).
    std::vector<PendingCall> m_pendingCalls;
};

}  // namespace zirvo::editor

Q_DECLARE_METATYPE(zirvo::editor::OfferedPicture)
