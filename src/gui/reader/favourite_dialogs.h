#pragma once
// The favourites' dialogs. Their checks are the core's (channel_checks.h): the first failing
// check's message is shown, its field gets the focus and the dialog stays open.
//   - "收藏节点" / "收藏夹": name and home page (the add dialog without the RSS address), with
//     "加到根目录" when adding; also the properties of a node or folder.
//   - "添加RSS收藏项": title, time (now, "%Y-%m-%d %H:%M:%S"), author, summary and link, added by
//     hand to a node ("添加").
//   - "RSS收藏": where to keep an item of the article list ("选择一个要收藏到的位置"); "收藏" is
//     enabled only while a favourite node is chosen.
//
// Threading: window thread.

#include <QDialog>
#include <QString>
#include <memory>

#include "core/subscriptions/channel_tree.h"

namespace Ui {
class CFavouriteNodeDialog;
class CFavouriteItemDialog;
class CKeepFavouriteDialog;
}  // namespace Ui

class QTreeWidgetItem;

namespace zirvo {
class CFavouriteTree;
}

namespace zirvo::gui {

class CFavouriteNodeDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { NewNode, NewFolder, NodeProperties, FolderProperties };
    CFavouriteNodeDialog(Kind kind, QWidget* parent = nullptr);
    ~CFavouriteNodeDialog() override;

    void SetValues(const QString& title, const QString& homeUrl);
    QString Title() const;
    QString HomeUrl() const;
    bool ToRoot() const;
    void accept() override;

private:
    Kind m_kind;
    std::unique_ptr<Ui::CFavouriteNodeDialog> m_ui;
};

class CFavouriteItemDialog : public QDialog {
    Q_OBJECT
public:
    explicit CFavouriteItemDialog(QWidget* parent = nullptr);
    ~CFavouriteItemDialog() override;

    void SetValues(const QString& title, const QString& link, const QString& author,
                   const QString& summary);
    QString Title() const;
    QString Link() const;
    QString Time() const;
    QString Author() const;
    QString Summary() const;
    void accept() override;

private:
    std::unique_ptr<Ui::CFavouriteItemDialog> m_ui;
};

class CKeepFavouriteDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the tree of `favourites` with `preselect` (a node) chosen when given.
    CKeepFavouriteDialog(CFavouriteTree& favourites, NodeId preselect, QWidget* parent = nullptr);
    ~CKeepFavouriteDialog() override;

    // The chosen favourite node (kNoNode when none).
    NodeId Chosen() const;
    // Chooses a node as a click would.
    void Choose(NodeId node);

private:
    void AddItems(NodeId id, QTreeWidgetItem* parent);
    void UpdateButton();

    CFavouriteTree& m_favourites;
    std::unique_ptr<Ui::CKeepFavouriteDialog> m_ui;
};

}  // namespace zirvo::gui
