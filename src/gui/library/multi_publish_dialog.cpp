#include "gui/library/multi_publish_dialog.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidgetItem>

#include "core/publishing/publish_jobs.h"
#include "gui/library/local_login_dialog.h"
#include "ui_multi_publish_dialog.h"

namespace zirvo::gui {

namespace {

enum Column { kCheck, kNumber, kAccount, kMark, kDescription, kColumns };

// The system's list colour (its COLORREF 0x9A3400).
const QColor kRowColour(0x00, 0x34, 0x9A);

}  // namespace

CMultiPublishDialog::CMultiPublishDialog(const LibraryContext& context, CPublishJobs& jobs,
                                         MultiPublishRequest request, QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_publishJobs(jobs),
      m_request(std::move(request)),
      m_ui(std::make_unique<Ui::CMultiPublishDialog>()) {
    m_ui->setupUi(this);
    m_ui->captionLabel->setText(QString::fromUtf8(kTextMultiPublishCaption));
    m_ui->publishButton->setText(QString::fromUtf8(kTextMultiPublishButton));
    QTableWidget* table = m_ui->accountTable;
    table->setColumnCount(kColumns);
    table->setHorizontalHeaderLabels({QString(), QStringLiteral("序号"), QStringLiteral("帐户名"),
                                      QStringLiteral("权限"), QStringLiteral("描述")});
    table->verticalHeader()->hide();
    QHeaderView* header = table->horizontalHeader();
    for (int column : {kCheck, kNumber, kAccount, kMark}) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    header->setSectionResizeMode(kDescription, QHeaderView::Stretch);
    // Room for the longest descriptions and, without scrolling, the rows of a few accounts.
    table->setMinimumWidth(fontMetrics().averageCharWidth() * 80);
    table->setMinimumHeight(header->sizeHint().height() +
                            table->verticalHeader()->defaultSectionSize() * 8 + 4);
    ShowRows();
    connect(m_ui->publishButton, &QPushButton::clicked, this, &CMultiPublishDialog::Publish);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &CMultiPublishDialog::reject);
    connect(table, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { VerifyRow(row); });
}

CMultiPublishDialog::~CMultiPublishDialog() = default;

void CMultiPublishDialog::ShowRows() {
    QTableWidget* table = m_ui->accountTable;
    table->setRowCount(static_cast<int>(m_request.rows.size()));
    for (int i = 0; i < table->rowCount(); ++i) {
        const MultiPublishRow& row = m_request.rows[static_cast<size_t>(i)];
        auto* check = new QTableWidgetItem;
        check->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        check->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
        table->setItem(i, kCheck, check);
        const QStringList texts = {QString::number(i + 1), QString::fromStdString(row.account),
                                   QString::fromUtf8(row.Mark()),
                                   QString::fromStdString(row.description)};
        for (int c = 0; c < texts.size(); ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setForeground(kRowColour);
            if (c + 1 != kDescription) {
                item->setTextAlignment(Qt::AlignCenter);
            }
            table->setItem(i, c + 1, item);
        }
    }
}

void CMultiPublishDialog::ReadChecks() {
    for (int i = 0; i < m_ui->accountTable->rowCount(); ++i) {
        m_request.rows[static_cast<size_t>(i)].checked =
            m_ui->accountTable->item(i, kCheck)->checkState() == Qt::Checked;
    }
}

QString CMultiPublishDialog::RowText(int row, int column) const {
    const QTableWidgetItem* item = m_ui->accountTable->item(row, column);
    return item == nullptr ? QString() : item->text();
}

void CMultiPublishDialog::SetChecked(int row, bool checked) {
    if (QTableWidgetItem* item = m_ui->accountTable->item(row, kCheck)) {
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void CMultiPublishDialog::VerifyRow(int row) {
    if (row < 0 || row >= static_cast<int>(m_request.rows.size())) {
        return;
    }
    MultiPublishRow& entry = m_request.rows[static_cast<size_t>(row)];
    if (entry.permitted) {
        return;
    }
    std::string entered;
    if (!AskLocalPassword(m_context.messages, QString::fromStdString(entry.account), this,
                          entered)) {
        return;
    }
    const RuleResult result = VerifyMultiPublishRow(m_context.registry, entry, entered);
    m_ui->accountTable->item(row, kMark)->setText(QString::fromUtf8(entry.Mark()));
    if (!result.Ok()) {
        m_context.messages.ShowMessageBox(result.message);
    }
}

bool CMultiPublishDialog::Publish() {
    if (Started()) {
        return false;
    }
    ReadChecks();
    const std::vector<int> started = m_publishJobs.StartMultiPublish(m_request);
    if (started.empty()) {
        return false;
    }
    m_jobs.insert(started.begin(), started.end());
    m_ui->publishButton->hide();
    return true;
}

void CMultiPublishDialog::SetRowStatus(int jobId, int row, const QString& text) {
    if (m_jobs.count(jobId) == 0) {
        return;
    }
    if (QTableWidgetItem* item = m_ui->accountTable->item(row, kDescription)) {
        item->setText(text);
    }
}

}  // namespace zirvo::gui
