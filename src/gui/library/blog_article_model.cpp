#include "gui/library/blog_article_model.h"

#include <QColor>

#include "core/articles/blog_store.h"

namespace zirvo::gui {

namespace {

// One line: a text with line breaks or other control characters stays readable in a row.
QString RowText(const std::string& text) {
    QString row = QString::fromStdString(text);
    for (QChar& ch : row) {
        if (ch.category() == QChar::Other_Control) {
            ch = QLatin1Char(' ');
        }
    }
    return row.simplified();
}

}  // namespace

CBlogArticleModel::CBlogArticleModel(CBlogStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {}

void CBlogArticleModel::Show(const std::string& account, int folder) {
    beginResetModel();
    m_account = account;
    m_folder = folder;
    m_rows.clear();
    m_error.clear();
    m_total = 0;
    m_atEnd = account.empty() || !IsBlogFolder(folder);
    if (!m_atEnd) {
        m_store.CountArticles(folder, account, m_total);
        ReadPage();
    }
    endResetModel();
}

void CBlogArticleModel::Reload() {
    Show(m_account, m_folder);
}

void CBlogArticleModel::Clear() {
    Show(std::string(), 0);
}

void CBlogArticleModel::ReadPage() {
    BlogArticleList page;
    if (!m_store.ListArticles(m_folder, m_account, page, kPageRows,
                              static_cast<int>(m_rows.size()))) {
        m_error = m_store.GetLastError();
        m_atEnd = true;
    }
    if (static_cast<int>(page.size()) < kPageRows) {
        m_atEnd = true;
    }
    for (BlogArticle& article : page) {
        article.content.clear();
        article.content.shrink_to_fit();
        m_rows.push_back(std::move(article));
    }
}

int CBlogArticleModel::IdAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<size_t>(row)].id
                                                             : 0;
}

int CBlogArticleModel::RowOf(int id) const {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CBlogArticleModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CBlogArticleModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CBlogArticleModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) {
        return {};
    }
    const BlogArticle& article = m_rows[static_cast<size_t>(index.row())];
    if (role == IdRole) {
        return article.id;
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
            case kTitle:
                return RowText(article.title);
            case kCategory:
                return RowText(article.category);
            case kDate:
                return QString::fromStdString(article.pubDate);
            default:
                break;
        }
    }
    if (role == Qt::ForegroundRole && index.column() != kTitle) {
        return QColor(150, 150, 150);
    }
    return {};
}

QVariant CBlogArticleModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case kTitle:
            return QStringLiteral("文章标题");
        case kCategory:
            return QStringLiteral("分类");
        case kDate:
            return QStringLiteral("发表时间");
        default:
            return {};
    }
}

bool CBlogArticleModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_atEnd;
}

void CBlogArticleModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || m_atEnd) {
        return;
    }
    const int first = static_cast<int>(m_rows.size());
    const size_t had = m_rows.size();
    ReadPage();
    if (m_rows.size() == had) {
        return;
    }
    // The rows are already in: announce them as inserted.
    std::vector<BlogArticle> added(std::make_move_iterator(m_rows.begin() + static_cast<long>(had)),
                                   std::make_move_iterator(m_rows.end()));
    m_rows.resize(had);
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(added.size()) - 1);
    for (BlogArticle& article : added) {
        m_rows.push_back(std::move(article));
    }
    endInsertRows();
}

}  // namespace zirvo::gui
