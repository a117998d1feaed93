#include "gui/library/account_wizard.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QTreeWidgetItem>

#include "core/accounts/account_endpoint.h"
#include "core/accounts/account_messages.h"
#include "core/blogapi/connection_settings.h"
#include "core/editorlink/blog_tree_code.h"
#include "core/integration/window_message.h"
#include "ui_account_wizard.h"

namespace zirvo::gui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

// lParam of 2166 for an account that was just added.
constexpr qint64 kAccountAdded = 99997;

}  // namespace

CAccountWizard::CAccountWizard(const LibraryContext& context, QWidget* parent)
    : QWizard(parent), m_context(context), m_ui(std::make_unique<Ui::CAccountWizard>()) {
    m_ui->setupUi(this);
    setWindowTitle(QString::fromUtf8(kTextWizardTitle));
    setButtonText(BackButton, QStringLiteral("< 上一步"));
    setButtonText(NextButton, QStringLiteral("下一步 >"));
    setButtonText(FinishButton, QStringLiteral("完成"));
    setButtonText(CancelButton, QStringLiteral("取消"));
    const QList<QWizardPage*> pages = {m_ui->welcomePage, m_ui->step1Page, m_ui->step2Page,
                                       m_ui->step3Page,   m_ui->step4Page, m_ui->step5Page};
    for (int i = 0; i < pages.size(); ++i) {
        pages[i]->setTitle(QString::fromUtf8(WizardCaption(static_cast<WizardPage>(i))));
    }

    for (const char* type : kWizardApiTypes) {
        m_ui->apiTypeBox->addItem(QString::fromUtf8(type));
    }
    for (const char* encoding : kWizardEncodings) {
        m_ui->encodingBox->addItem(QString::fromUtf8(encoding));
    }
    m_presets = LoadBspPresets(m_context.root.Path("BSP.xml"));
    for (const BspPreset& preset : m_presets) {
        m_ui->presetBox->addItem(Q(preset.name));
    }
    m_ui->nameEdit->setText(Q(m_record.name));
    m_ui->endpointEdit->setText(Q(m_record.xmlrpcUrl));
    m_ui->portEdit->setText(Q(m_record.port));
    m_ui->confirmList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_ui->confirmList->header()->setStretchLastSection(true);

    connect(m_ui->presetBox, &QComboBox::activated, this, [this](int index) {
        ChoosePreset(m_record, m_presets, static_cast<size_t>(index));
        if (m_record.hasPresetEndpoint) {
            SelectText(m_ui->apiTypeBox, m_record.apiType);
            SelectText(m_ui->encodingBox, m_record.encodeType);
        }
    });
    connect(m_ui->apiTypeBox, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { m_record.apiType = S(text); });
    connect(m_ui->encodingBox, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { m_record.encodeType = S(text); });
    connect(m_ui->endpointEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        SetEndpointText(m_record, S(text));
        if (m_ui->portEdit->text() != Q(m_record.port)) {
            m_ui->portEdit->setText(Q(m_record.port));
        }
    });
    connect(m_ui->portEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_record.port = S(text); });
    connect(m_ui->testButton, &QPushButton::clicked, this, &CAccountWizard::StartConnectionTest);
    connect(this, &QWizard::currentIdChanged, this, &CAccountWizard::OnPageShown);
}

CAccountWizard::~CAccountWizard() {
    m_worker.Close();
}

void CAccountWizard::SelectText(QComboBox* box, const std::string& text) {
    const int index = box->findText(Q(text));
    if (index >= 0) {
        box->setCurrentIndex(index);
    }
}

void CAccountWizard::ReadFields() {
    m_record.name = S(m_ui->nameEdit->text());
    m_record.description = S(m_ui->descriptionEdit->text());
    m_record.apiType = S(m_ui->apiTypeBox->currentText());
    m_record.encodeType = S(m_ui->encodingBox->currentText());
    m_record.xmlrpcUrl = S(m_ui->endpointEdit->text());
    m_record.port = S(m_ui->portEdit->text());
    m_record.userName = S(m_ui->userEdit->text());
    m_record.password = S(m_ui->passwordEdit->text());
    m_record.blogUrl = S(m_ui->blogUrlEdit->text());
}

void CAccountWizard::ShowRecordEndpoint() {
    QSignalBlocker blockEndpoint(m_ui->endpointEdit);
    QSignalBlocker blockPort(m_ui->portEdit);
    m_ui->endpointEdit->setText(Q(m_record.xmlrpcUrl));
    m_ui->portEdit->setText(Q(m_record.port));
}

void CAccountWizard::OnPageShown(int id) {
    switch (static_cast<WizardPage>(id)) {
        case WizardPage::kStep1:
            m_ui->nameEdit->setFocus();
            break;
        case WizardPage::kStep3:
            ReadFields();
            ActivateEndpointPage(m_record);
            ShowRecordEndpoint();
            m_ui->endpointEdit->setFocus();
            break;
        case WizardPage::kStep4:
            m_ui->userEdit->setFocus();
            break;
        case WizardPage::kStep5: {
            ReadFields();
            m_ui->confirmList->clear();
            for (const auto& [option, value] : ConfirmationRows(m_record)) {
                new QTreeWidgetItem(m_ui->confirmList, {Q(option), Q(value)});
            }
            break;
        }
        case WizardPage::kWelcome:
        case WizardPage::kStep2:
            break;
    }
}

void CAccountWizard::FocusField(AccountField field) {
    QLineEdit* edit = nullptr;
    switch (field) {
        case AccountField::kName:
            edit = m_ui->nameEdit;
            break;
        case AccountField::kDescription:
            edit = m_ui->descriptionEdit;
            break;
        case AccountField::kXmlRpcUrl:
            edit = m_ui->endpointEdit;
            break;
        case AccountField::kPort:
            edit = m_ui->portEdit;
            break;
        case AccountField::kUserName:
            edit = m_ui->userEdit;
            break;
        case AccountField::kPassword:
            edit = m_ui->passwordEdit;
            break;
        default:
            break;
    }
    if (edit != nullptr) {
        edit->setFocus();
        edit->selectAll();
    }
}

bool CAccountWizard::validateCurrentPage() {
    if (m_testing) {
        return false;
    }
    ReadFields();
    const auto page = static_cast<WizardPage>(currentId());
    if (page == WizardPage::kStep5) {
        if (!FinishWizard(m_context.registry, m_record)) {
            return false;
        }
        m_context.Send(kMsgBlogTreeUpdate, -1, kAccountAdded);
        emit AccountCreated(Q(m_record.name));
        return true;
    }
    const RuleResult check = CheckWizardPage(m_record, page);
    if (!check.Ok()) {
        m_context.messages.ShowMessageBox(check.message);
        FocusField(check.field);
        return false;
    }
    return true;
}

void CAccountWizard::StartConnectionTest() {
    if (m_testing) {
        return;
    }
    ReadFields();
    const NewAccount account = ToNewAccount(m_record);
    ConnectionSettings connection =
        LoadConnectionSettings(ToBlogEndpoint(account), m_context.config, true);
    if (!m_context.caFile.empty()) {
        connection.caFile = m_context.caFile;
    }
    m_testing = true;
    m_ui->testButton->setText(QString::fromUtf8(kTextConnecting));
    m_ui->testButton->setEnabled(false);
    for (WizardButton button : {BackButton, NextButton, FinishButton, CancelButton}) {
        if (QAbstractButton* b = this->button(button)) {
            b->setEnabled(false);
        }
    }
    const BlogClientServices services = m_context.Services();
    const bool started = m_worker.Start(
        [this, account, connection, services] {
            const bool ok = TestAccountConnection(account, connection, services) == 1;
            QMetaObject::invokeMethod(
                this, [this, ok] { EndConnectionTest(ok); }, Qt::QueuedConnection);
        },
        [this](const std::string&) {
            QMetaObject::invokeMethod(
                this, [this] { EndConnectionTest(false); }, Qt::QueuedConnection);
        });
    if (!started) {
        EndConnectionTest(false);
    }
}

void CAccountWizard::EndConnectionTest(bool ok) {
    m_testing = false;
    m_ui->testButton->setText(QString::fromUtf8(kTextTestConnection));
    m_ui->testButton->setEnabled(true);
    for (WizardButton button : {BackButton, NextButton, FinishButton, CancelButton}) {
        if (QAbstractButton* b = this->button(button)) {
            b->setEnabled(true);
        }
    }
    emit ConnectionTested(ok);
}

void CAccountWizard::reject() {
    // A connection test in flight reports to this window: it stays until the answer is in.
    if (m_testing) {
        return;
    }
    QWizard::reject();
}

void CAccountWizard::closeEvent(QCloseEvent* event) {
    if (m_testing) {
        event->ignore();
        return;
    }
    QWizard::closeEvent(event);
}

}  // namespace zirvo::gui
