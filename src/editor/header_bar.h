#pragma once
// The header bar above the editing page: "日志标题" with the title box, "日志分类" with the
// category box, "我的博客" (the account's blog in the system browser) and "扩展选项" (the
// extended options window; hidden for articles that exist already).
//
// Threading: window thread.

#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zirvo::editor {

class CHeaderBar : public QWidget {
    Q_OBJECT

public:
    explicit CHeaderBar(QWidget* parent = nullptr);

    QLineEdit* TitleBox() const { return m_title; }
    QComboBox* CategoryBox() const { return m_category; }
    QPushButton* MyBlogButton() const { return m_myBlog; }
    QPushButton* ExtendedButton() const { return m_extended; }

    // "Blogger" has neither: both boxes are disabled and the title box says so.
    void ShowNoTitleOrCategory();
    // "---选择---" and the names in order; `select` is selected when one entry equals it
    // exactly, otherwise "---选择---" stays selected.
    void FillCategories(const std::vector<std::string>& names, const std::string& select);
    // The selected entry; empty for "---选择---".
    std::string Category() const;
    std::string Title() const;

private:
    QLineEdit* m_title = nullptr;
    QComboBox* m_category = nullptr;
    QPushButton* m_myBlog = nullptr;
    QPushButton* m_extended = nullptr;
};

}  // namespace zirvo::editor
