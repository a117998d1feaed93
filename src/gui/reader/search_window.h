#pragma once
// The search panel "RSS搜索": a modeless window made hidden with the reader and shown by
// "搜索(&F)" (Ctrl+F). It reads its controls, refuses an empty keyword ("请输入要搜索的关键字",
// the focus back on the keyword) and asks for the search; the reader runs it on a worker and
// tells the panel when it is over. "搜索" stays disabled meanwhile. Cancelling only hides it.
//
// Scopes, in the drop-down's order: "本地-当前频道" (the channel or folder the tree has current),
// "本地-所有频道", "百度新闻搜索" (the news service, with the result count drop-down, which the
// local scopes hide).
//
// Threading: window thread.

#include <QDialog>
#include <memory>

namespace Ui {
class CSearchWindow;
}

namespace zirvo::gui {

class CSearchWindow : public QDialog {
    Q_OBJECT

public:
    explicit CSearchWindow(QWidget* parent = nullptr);
    ~CSearchWindow() override;

    // Shows the panel in front with the keyword selected.
    void Present();
    // While a search runs "搜索" is disabled and the panel says what it is doing.
    void SetSearching(bool searching, const QString& text = QString());
    bool Searching() const { return m_searching; }

    // For tests and the window benchmark: the panel as the user fills it.
    void SetKeyword(const QString& keyword);
    void SetScope(int scope);
    void SetResultCount(int index);
    void SetTitleOnly(bool titleOnly);
    QWidget* CountBox() const;

public slots:
    // "搜索".
    void StartSearch();

signals:
    // `scope`: SearchScope; `count`: "10", "20", "50" or "100".
    void SearchRequested(int scope, const QString& keyword, bool fullText, const QString& count);

private:
    void ShowCountForScope();

    std::unique_ptr<Ui::CSearchWindow> m_ui;
    bool m_searching = false;
};

}  // namespace zirvo::gui
