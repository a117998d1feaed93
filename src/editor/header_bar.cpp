#include "editor/header_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/editorlink/category_cache.h"
#include "core/editorlink/editor_document.h"

namespace zirvo::editor {

namespace {
// The header row's height in the original layout.
constexpr int kHeaderHeight = 60;
}  // namespace

CHeaderBar::CHeaderBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("headerBar"));
    setFixedHeight(kHeaderHeight);
    auto* layout = new QHBoxLayout(this);
    auto* titleLabel = new QLabel(QStringLiteral("日志标题(&T)"), this);
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("titleEdit"));
    m_title->setPlaceholderText(QStringLiteral("标题最多 25 个汉字或 50 个英文字母"));
    titleLabel->setBuddy(m_title);
    auto* categoryLabel = new QLabel(QStringLiteral("日志分类(&L)"), this);
    m_category = new QComboBox(this);
    m_category->setObjectName(QStringLiteral("categoryBox"));
    m_category->setMinimumWidth(160);
    m_category->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    categoryLabel->setBuddy(m_category);
    m_myBlog = new QPushButton(QStringLiteral("我的博客"), this);
    m_myBlog->setObjectName(QStringLiteral("myBlogButton"));
    m_extended = new QPushButton(QStringLiteral("扩展选项"), this);
    m_extended->setObjectName(QStringLiteral("extendedButton"));
    layout->addWidget(titleLabel);
    layout->addWidget(m_title, 3);
    layout->addSpacing(12);
    layout->addWidget(categoryLabel);
    layout->addWidget(m_category, 1);
    layout->addSpacing(12);
    layout->addWidget(m_myBlog);
    layout->addWidget(m_extended);
    m_category->addItem(QString::fromUtf8(kCategoryBoxChoose));
}

void CHeaderBar::ShowNoTitleOrCategory() {
    m_title->setText(QString::fromUtf8(kTextBloggerNoTitle));
    m_title->setEnabled(false);
    m_category->setEnabled(false);
    m_category->setToolTip(QString::fromUtf8(kTextBloggerNoTitle));
}

void CHeaderBar::FillCategories(const std::vector<std::string>& names, const std::string& select) {
    m_category->clear();
    m_category->addItem(QString::fromUtf8(kCategoryBoxChoose));
    m_category->setCurrentIndex(0);
    for (const std::string& name : names) {
        m_category->addItem(QString::fromStdString(name));
        if (name == select) {
            m_category->setCurrentIndex(m_category->count() - 1);
        }
    }
}

std::string CHeaderBar::Category() const {
    const std::string text = m_category->currentText().toStdString();
    return text == kCategoryBoxChoose ? std::string() : text;
}

std::string CHeaderBar::Title() const {
    return m_title->text().toStdString();
}

}  // namespace zirvo::editor
