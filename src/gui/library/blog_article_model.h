#pragma once
// The article list of the blog library: one folder of one account, read from the article store
// a page at a time (the view asks for more as it scrolls), so that a folder of ten thousand
// articles shows its first rows at once. Columns (set A): title, category, date; the local id
// is the row's identity (IdRole).
//
// Threading: window thread; the store is the main window's connection.

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "core/articles/blog_article.h"

namespace zirvo {
class CBlogStore;
}

namespace zirvo::gui {

class CBlogArticleModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kTitle, kCategory, kDate, kColumnCount };
    static constexpr int IdRole = Qt::UserRole;
    // Rows read from the store at a time.
    static constexpr int kPageRows = 500;

    CBlogArticleModel(CBlogStore& store, QObject* parent = nullptr);

    // Shows `folder` of `account` from its first page; an empty account clears the list.
    void Show(const std::string& account, int folder);
    // Reads the shown folder again (after an operation changed it).
    void Reload();
    void Clear();

    const std::string& Account() const { return m_account; }
    int Folder() const { return m_folder; }
    int Total() const { return m_total; }
    int IdAt(int row) const;
    int RowOf(int id) const;
    // The last store failure while reading, empty when none.
    const std::string& Error() const { return m_error; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    // Reads the next page; the list keeps its bodies out (the page reads an article by id).
    void ReadPage();

    CBlogStore& m_store;
    std::string m_account;
    int m_folder = 0;
    int m_total = 0;
    bool m_atEnd = true;
    std::vector<BlogArticle> m_rows;
    std::string m_error;
};

}  // namespace zirvo::gui
