#pragma once
// The dialogs that add to the channel tree: "添加订阅" (a channel: title, RSS address, home
// page, "加到根目录", "从地址获取") and "新增频道目录" (a folder: name, URL, "加到根目录"), and the
// fields they share with the new-subscription wizard. Their checks are the core's
// (channel_checks.h): the first failing check's message is shown, its field gets the focus and
// the dialog stays open.
//
// Threading: window thread.

#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/subscriptions/channel_checks.h"

class QLineEdit;
class QPushButton;

namespace Ui {
class AddChannelDialog;
class AddFolderDialog;
class ChannelFields;
}  // namespace Ui

namespace zirvo::gui {

class CTitleFetch;
struct FeedLookupAnswer;

// Title, RSS address (prefilled from the clipboard for a new channel), home page and the
// "从地址获取" button.
class CChannelFields : public QWidget {
    Q_OBJECT
public:
    explicit CChannelFields(QWidget* parent = nullptr);
    ~CChannelFields() override;

    // Puts the clipboard's text into the address when it is a likely feed address.
    void PrefillFromClipboard();
    void SetValues(const QString& title, const QString& feedUrl, const QString& homeUrl);
    QString Title() const;
    QString FeedUrl() const;
    QString HomeUrl() const;
    // Shows a failed check: its message, then the focus on its field.
    void ShowFailure(const FieldCheck& check);
    // The add dialog's checks, the duplicate check against `tree` included; false after
    // showing the message.
    bool Validate(const CChannelTree& tree);
    QPushButton* FetchButton() const;
    QLineEdit* FeedUrlEdit() const;
    // "从地址获取" (also what the wizard runs for an empty name): the address is looked up off
    // the window thread; a feed fills the title (and an empty home page), a web page that
    // names one feed puts that feed's address in, one that names several asks which.
    // `finished` runs on the window thread afterwards with whether a title was filled in.
    void FetchTitle(std::function<void(bool)> finished = {});
    bool Fetching() const;

private:
    void TakeAnswer(const FeedLookupAnswer& answer, std::function<void(bool)> finished);

    std::unique_ptr<Ui::ChannelFields> m_ui;
    CTitleFetch* m_titleFetch = nullptr;
};

class CAddChannelDialog : public QDialog {
    Q_OBJECT
public:
    CAddChannelDialog(const CChannelTree& tree, QWidget* parent = nullptr);
    ~CAddChannelDialog() override;
    CChannelFields* Fields() const;
    bool ToRoot() const;
    void accept() override;

private:
    const CChannelTree& m_tree;
    std::unique_ptr<Ui::AddChannelDialog> m_ui;
};

class CAddFolderDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAddFolderDialog(QWidget* parent = nullptr);
    ~CAddFolderDialog() override;
    QString Name() const;
    QString Url() const;
    bool ToRoot() const;
    void accept() override;

private:
    std::unique_ptr<Ui::AddFolderDialog> m_ui;
};

// The message box of the reader's dialogs ("提示").
void ShowReaderMessage(QWidget* parent, const QString& text);

}  // namespace zirvo::gui
