#include "gui/reader/search_window.h"

#include <QLineEdit>
#include <QPushButton>

#include "core/search/rss_search.h"
#include "gui/reader/subscription_dialogs.h"
#include "ui_search_window.h"

namespace zirvo::gui {

CSearchWindow::CSearchWindow(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSearchWindow>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("searchWindow"));
    setModal(false);
    connect(m_ui->searchButton, &QPushButton::clicked, this, &CSearchWindow::StartSearch);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::hide);
    connect(m_ui->scope, &QComboBox::currentIndexChanged, this, &CSearchWindow::ShowCountForScope);
    ShowCountForScope();
    m_ui->stateText->hide();
}

CSearchWindow::~CSearchWindow() = default;

void CSearchWindow::Present() {
    show();
    raise();
    activateWindow();
    m_ui->keyword->setFocus();
    m_ui->keyword->selectAll();
}

void CSearchWindow::ShowCountForScope() {
    int scope = kSearchCurrentChannel;
    ScopeFromText(m_ui->scope->currentText().toStdString(), scope);
    m_ui->resultCount->setVisible(scope == kSearchNewsService);
}

void CSearchWindow::StartSearch() {
    if (m_searching) {
        return;
    }
    // Blanks alone find nothing worth listing; they count as no keyword.
    const QString keyword = m_ui->keyword->text().trimmed();
    const FieldCheck check = CheckSearchKeyword(keyword.toStdString());
    if (!check.ok) {
        ShowReaderMessage(this, QString::fromStdString(check.message));
        activateWindow();
        m_ui->keyword->setFocus();
        return;
    }
    const std::string count = ResultCountFromText(m_ui->resultCount->currentText().toStdString());
    int scope = 0;
    if (!ScopeFromText(m_ui->scope->currentText().toStdString(), scope)) {
        return;
    }
    emit SearchRequested(scope, keyword, m_ui->fullText->isChecked(),
                         QString::fromStdString(count));
}

void CSearchWindow::SetSearching(bool searching, const QString& text) {
    m_searching = searching;
    m_ui->searchButton->setEnabled(!searching);
    m_ui->stateText->setText(text);
    m_ui->stateText->setVisible(!text.isEmpty());
}

void CSearchWindow::SetKeyword(const QString& keyword) {
    m_ui->keyword->setText(keyword);
}

void CSearchWindow::SetScope(int scope) {
    const int index = scope == kSearchNewsService ? 2 : scope == kSearchAllChannels ? 1 : 0;
    m_ui->scope->setCurrentIndex(index);
}

void CSearchWindow::SetResultCount(int index) {
    m_ui->resultCount->setCurrentIndex(index);
}

void CSearchWindow::SetTitleOnly(bool titleOnly) {
    (titleOnly ? m_ui->titleOnly : m_ui->fullText)->setChecked(true);
}

QWidget* CSearchWindow::CountBox() const {
    return m_ui->resultCount;
}

}  // namespace zirvo::gui
