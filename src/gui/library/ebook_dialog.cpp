#include "gui/library/ebook_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <ctime>

#include "core/ebook/ebook_rules.h"
#include "ui_ebook_dialog.h"

namespace zirvo::gui {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

// Posts every report to the dialog's thread; never waits for it (see ebook_export.h).
class CEbookDialog::CObserver : public IEbookObserver {
public:
    explicit CObserver(CEbookDialog* dialog) : m_dialog(dialog) {}

    void OnStatus(const std::string& text) override {
        QMetaObject::invokeMethod(
            m_dialog, [dialog = m_dialog, text = Q(text)] { dialog->AppendStatus(text); },
            Qt::QueuedConnection);
    }
    void OnCompiling() override {
        QMetaObject::invokeMethod(
            m_dialog, [dialog = m_dialog] { dialog->OnCompiling(); }, Qt::QueuedConnection);
    }
    void OnFinished(const EbookResult& result) override {
        QMetaObject::invokeMethod(
            m_dialog, [dialog = m_dialog, result] { dialog->OnFinished(result); },
            Qt::QueuedConnection);
    }

private:
    CEbookDialog* m_dialog;
};

CEbookDialog::CEbookDialog(const CDataRoot& root, CWorkerSet& workers, EbookRequest request,
                           CEbookExport::Prepare prepare, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::EbookDialog>()),
      m_root(root),
      m_request(std::move(request)),
      m_prepare(std::move(prepare)),
      m_observer(std::make_unique<CObserver>(this)),
      m_export(std::make_unique<CEbookExport>(root, workers, *m_observer)) {
    m_ui->setupUi(this);
    m_ui->status->setPlainText(Q(kEbookStatusHeader).trimmed());
    m_ui->title->setText(Q(InitialEbookTitle(m_request.source, m_request.title)));
    m_ui->description->setPlainText(Q(m_request.description));
    m_ui->byCategory->setVisible(ShowsByCategoryBox(m_request.source));
    m_ui->byCategory->setChecked(m_request.byCategory);
    m_ui->templateNote->setText(tr("提示: 电子书的样式来自 %1 下的模板文件, 可以修改。")
                                    .arg(QDir::toNativeSeparators(Q(root.Path("Data/CHMSkin")))));
    connect(m_ui->saveAsButton, &QPushButton::clicked, this, &CEbookDialog::ChooseOutputPath);
    connect(m_ui->startButton, &QPushButton::clicked, this, &CEbookDialog::StartExport);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CEbookDialog::reject);
}

CEbookDialog::~CEbookDialog() = default;

bool CEbookDialog::Running() const {
    return m_export->Running();
}

void CEbookDialog::StopExport() {
    m_export->Cancel(std::chrono::milliseconds(0));
}

QString CEbookDialog::StatusText() const {
    return m_ui->status->toPlainText();
}

void CEbookDialog::ChooseOutputPath() {
    const QString proposed = Q(ProposedEbookFileName(
        m_request.source, m_ui->title->text().toStdString(), std::time(nullptr)));
    const QString path =
        QFileDialog::getSaveFileName(this, tr("保存为"), proposed, QStringLiteral("*.chm"));
    if (path.isEmpty()) {
        return;
    }
    m_ui->outputPath->setText(path.endsWith(QLatin1String(".chm"), Qt::CaseInsensitive)
                                  ? path
                                  : path + QLatin1String(".chm"));
}

void CEbookDialog::StartExport() {
    const std::string outputPath = m_ui->outputPath->text().trimmed().toStdString();
    const std::string title = m_ui->title->text().toStdString();
    const EbookStartCheck check = CheckEbookStart(outputPath, title);
    if (!check.ok) {
        QMessageBox::warning(this, windowTitle(), Q(check.message));
        (check.field == EbookField::Title ? static_cast<QWidget*>(m_ui->title) : m_ui->saveAsButton)
            ->setFocus();
        emit Finished(false, Q(check.message));
        return;
    }
    EbookRequest request = m_request;
    request.outputPath = outputPath;
    request.title = title;
    request.description = m_ui->description->toPlainText().toStdString();
    request.downloadPictures = m_ui->downloadPictures->isChecked();
    request.byCategory = ShowsByCategoryBox(request.source) && m_ui->byCategory->isChecked();
    request.appTitle = std::string("Zirvo ") + ZIRVO_VERSION;
    if (!m_export->Start(std::move(request), m_prepare)) {
        QMessageBox::warning(this, windowTitle(), Q(kEbookCompileFailed));
        return;
    }
    m_ui->startButton->setEnabled(false);
    m_ui->startButton->setText(
        Q(request.downloadPictures ? kEbookButtonDownloading : kEbookButtonCompiling));
}

void CEbookDialog::AppendStatus(const QString& text) {
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    while (lines.endsWith(QLatin1Char('\n'))) {
        lines.chop(1);
    }
    m_ui->status->appendPlainText(lines);
    m_ui->status->verticalScrollBar()->setValue(m_ui->status->verticalScrollBar()->maximum());
}

void CEbookDialog::OnCompiling() {
    m_ui->startButton->setText(Q(kEbookButtonCompiling));
}

void CEbookDialog::OnFinished(const EbookResult& result) {
    const QString message =
        result.detail.empty() ? Q(result.message) : Q(result.message + "\n" + result.detail);
    if (result.Ok()) {
        m_ui->startButton->setText(Q(kEbookButtonDone));
        // Nothing is left to cancel: the book is written.
        m_ui->cancelButton->setText(tr("关闭"));
        AppendStatus(Q(result.message));
        emit Finished(true, Q(result.message));
        QMessageBox::information(this, windowTitle(), Q(result.message));
        return;
    }
    m_ui->startButton->setEnabled(true);
    m_ui->startButton->setText(tr("开始生成"));
    AppendStatus(message);
    emit Finished(false, message);
    QMessageBox::warning(this, windowTitle(), message);
}

void CEbookDialog::reject() {
    m_export->Cancel(std::chrono::milliseconds(1000));
    QDialog::reject();
}

}  // namespace zirvo::gui
