#include "gui/reader/subscription_dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "core/subscriptions/favourite_tree.h"
#include "gui/reader/title_fetch.h"
#include "ui_add_channel_dialog.h"
#include "ui_add_folder_dialog.h"
#include "ui_channel_fields.h"

namespace zirvo::gui {

namespace {

std::string Std(const QString& text) {
    return text.trimmed().toStdString();
}

// Room for a typical feed address without scrolling, in the field's own font.
constexpr int kAddressChars = 56;

void SizeForAddresses(QLineEdit* edit) {
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * kAddressChars);
}

void ChineseOkCancel(QDialogButtonBox* buttons) {
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
}

}  // namespace

void ShowReaderMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("提示"), text, QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("readerMessage"));
    box.exec();
}

CChannelFields::CChannelFields(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ChannelFields>()) {
    m_ui->setupUi(this);
    SizeForAddresses(m_ui->feedUrlEdit);
    m_titleFetch = new CTitleFetch(m_ui->fetchTitleButton, this);
    connect(m_ui->fetchTitleButton, &QPushButton::clicked, this, [this] { FetchTitle(); });
}

CChannelFields::~CChannelFields() = default;

QPushButton* CChannelFields::FetchButton() const {
    return m_ui->fetchTitleButton;
}

QLineEdit* CChannelFields::FeedUrlEdit() const {
    return m_ui->feedUrlEdit;
}

void CChannelFields::PrefillFromClipboard() {
    const QString text = QApplication::clipboard()->text();
    if (ShouldPrefillFromClipboard(text.toStdString())) {
        m_ui->feedUrlEdit->setText(text.trimmed());
    }
}

void CChannelFields::SetValues(const QString& title, const QString& feedUrl,
                               const QString& homeUrl) {
    m_ui->titleEdit->setText(title);
    m_ui->feedUrlEdit->setText(feedUrl);
    m_ui->homeUrlEdit->setText(homeUrl);
}

QString CChannelFields::Title() const {
    return m_ui->titleEdit->text().trimmed();
}
QString CChannelFields::FeedUrl() const {
    return m_ui->feedUrlEdit->text().trimmed();
}
QString CChannelFields::HomeUrl() const {
    return m_ui->homeUrlEdit->text().trimmed();
}

void CChannelFields::ShowFailure(const FieldCheck& check) {
    ShowReaderMessage(this, QString::fromStdString(check.message));
    switch (check.field) {
        case DialogField::Title:
            m_ui->titleEdit->setFocus();
            break;
        case DialogField::FeedUrl:
            m_ui->feedUrlEdit->setFocus();
            break;
        case DialogField::HomeUrl:
            m_ui->homeUrlEdit->setFocus();
            break;
        default:
            break;
    }
}

bool CChannelFields::Validate(const CChannelTree& tree) {
    const FieldCheck check = CheckChannelFields(Std(Title()), Std(FeedUrl()), Std(HomeUrl()));
    if (!check.ok) {
        ShowFailure(check);
        return false;
    }
    // The tree may hold one address in two places (both share its stored items), but a second
    // subscription is more often a slip than a wish: the user decides.
    const FieldCheck known = CheckNotSubscribed(tree, Std(FeedUrl()));
    if (!known.ok) {
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(kConfirmCaption),
                        QString::fromStdString(known.message) + QStringLiteral("\n仍要添加吗?"),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("alreadySubscribedQuestion"));
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        box.setDefaultButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes) {
            m_ui->feedUrlEdit->setFocus();
            return false;
        }
    }
    return true;
}

void CChannelFields::FetchTitle(std::function<void(bool)> finished) {
    const FieldCheck check = CheckFetchAddress(Std(FeedUrl()));
    if (!check.ok) {
        ShowFailure(check);
        if (finished) {
            finished(false);
        }
        return;
    }
    m_titleFetch->Start(FeedUrl(), [this, finished](const FeedLookupAnswer& answer) {
        TakeAnswer(answer, finished);
    });
}

bool CChannelFields::Fetching() const {
    return m_titleFetch->Running();
}

void CChannelFields::TakeAnswer(const FeedLookupAnswer& answer,
                                std::function<void(bool)> finished) {
    if (answer.feedUrl.isEmpty() && answer.candidateUrls.size() > 1) {
        // A web page that names several feeds: the user picks one, which is then read.
        QStringList choices;
        for (int i = 0; i < answer.candidateUrls.size(); ++i) {
            const QString& title = answer.candidateTitles.value(i);
            choices << (title.isEmpty() ? answer.candidateUrls[i]
                                        : title + QStringLiteral("  (") + answer.candidateUrls[i] +
                                              QStringLiteral(")"));
        }
        bool chosen = false;
        const QString choice = QInputDialog::getItem(
            this, QStringLiteral("选择订阅"), QStringLiteral("该网页提供了多个订阅, 请选择一个:"),
            choices, 0, false, &chosen);
        const int index = choices.indexOf(choice);
        if (!chosen || index < 0) {
            if (finished) {
                finished(false);
            }
            return;
        }
        m_ui->feedUrlEdit->setText(answer.candidateUrls[index]);
        FetchTitle(finished);
        return;
    }
    if (!answer.feedUrl.isEmpty() && answer.feedUrl != FeedUrl()) {
        m_ui->feedUrlEdit->setText(answer.feedUrl);
    }
    if (!answer.homePage.isEmpty() && HomeUrl().isEmpty()) {
        m_ui->homeUrlEdit->setText(answer.homePage);
    }
    if (answer.title.isEmpty()) {
        ShowReaderMessage(this, QString::fromUtf8(kNoTitleFromAddress));
    } else {
        m_ui->titleEdit->setText(answer.title);
    }
    if (finished) {
        finished(!answer.title.isEmpty());
    }
}

CAddChannelDialog::CAddChannelDialog(const CChannelTree& tree, QWidget* parent)
    : QDialog(parent), m_tree(tree), m_ui(std::make_unique<Ui::AddChannelDialog>()) {
    m_ui->setupUi(this);
    ChineseOkCancel(m_ui->buttons);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_ui->fields->PrefillFromClipboard();
}

CAddChannelDialog::~CAddChannelDialog() = default;

CChannelFields* CAddChannelDialog::Fields() const {
    return m_ui->fields;
}

bool CAddChannelDialog::ToRoot() const {
    return m_ui->toRootCheck->isChecked();
}

void CAddChannelDialog::accept() {
    if (m_ui->fields->Validate(m_tree)) {
        QDialog::accept();
    }
}

CAddFolderDialog::CAddFolderDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AddFolderDialog>()) {
    m_ui->setupUi(this);
    SizeForAddresses(m_ui->folderUrlEdit);
    ChineseOkCancel(m_ui->buttons);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CAddFolderDialog::~CAddFolderDialog() = default;

QString CAddFolderDialog::Name() const {
    return m_ui->folderNameEdit->text().trimmed();
}
QString CAddFolderDialog::Url() const {
    return m_ui->folderUrlEdit->text().trimmed();
}
bool CAddFolderDialog::ToRoot() const {
    return m_ui->toRootCheck->isChecked();
}

void CAddFolderDialog::accept() {
    const FieldCheck check = CheckFolderFields(Std(Name()), Std(Url()));
    if (!check.ok) {
        ShowReaderMessage(this, QString::fromStdString(check.message));
        (check.field == DialogField::HomeUrl ? m_ui->folderUrlEdit : m_ui->folderNameEdit)
            ->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
