#include "gui/reader/subscription_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/subscriptions/favourite_tree.h"
#include "gui/reader/title_fetch.h"

namespace zirvo::gui {

namespace {

std::string Std(const QString& text) {
    return text.trimmed().toStdString();
}

QLineEdit* Field(QWidget* parent, const char* name, const QString& placeholder = QString()) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(placeholder);
    edit->setMinimumWidth(340);
    return edit;
}

}  // namespace

void ShowReaderMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("提示"), text, QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("readerMessage"));
    box.exec();
}

CChannelFields::CChannelFields(QWidget* parent) : QWidget(parent) {
    m_title = Field(this, "titleEdit");
    m_feedUrl = Field(this, "feedUrlEdit", QStringLiteral("http://"));
    m_homeUrl = Field(this, "homeUrlEdit", QStringLiteral("可以不填"));
    m_fetch = new QPushButton(QStringLiteral("从地址获取"), this);
    m_fetch->setObjectName(QStringLiteral("fetchTitleButton"));
    m_fetch->setAutoDefault(false);
    m_titleFetch = new CTitleFetch(m_fetch, this);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(m_title, 1);
    titleRow->addWidget(m_fetch);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("RSS地址(&R):"), m_feedUrl);
    // A label beside a layout gets no buddy by itself, and without one it shows the "&".
    auto* titleLabel = new QLabel(QStringLiteral("频道名称(&T):"), this);
    titleLabel->setBuddy(m_title);
    form->addRow(titleLabel, titleRow);
    form->addRow(QStringLiteral("主页(&H):"), m_homeUrl);
    connect(m_fetch, &QPushButton::clicked, this, [this] { FetchTitle(); });
}

void CChannelFields::PrefillFromClipboard() {
    const QString text = QApplication::clipboard()->text();
    if (ShouldPrefillFromClipboard(text.toStdString())) {
        m_feedUrl->setText(text.trimmed());
    }
}

void CChannelFields::SetValues(const QString& title, const QString& feedUrl,
                               const QString& homeUrl) {
    m_title->setText(title);
    m_feedUrl->setText(feedUrl);
    m_homeUrl->setText(homeUrl);
}

QString CChannelFields::Title() const {
    return m_title->text().trimmed();
}
QString CChannelFields::FeedUrl() const {
    return m_feedUrl->text().trimmed();
}
QString CChannelFields::HomeUrl() const {
    return m_homeUrl->text().trimmed();
}

void CChannelFields::ShowFailure(const FieldCheck& check) {
    ShowReaderMessage(this, QString::fromStdString(check.message));
    switch (check.field) {
        case DialogField::Title:
            m_title->setFocus();
            break;
        case DialogField::FeedUrl:
            m_feedUrl->setFocus();
            break;
        case DialogField::HomeUrl:
            m_homeUrl->setFocus();
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
            m_feedUrl->setFocus();
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
        m_feedUrl->setText(answer.candidateUrls[index]);
        FetchTitle(finished);
        return;
    }
    if (!answer.feedUrl.isEmpty() && answer.feedUrl != FeedUrl()) {
        m_feedUrl->setText(answer.feedUrl);
    }
    if (!answer.homePage.isEmpty() && HomeUrl().isEmpty()) {
        m_homeUrl->setText(answer.homePage);
    }
    if (answer.title.isEmpty()) {
        ShowReaderMessage(this, QString::fromUtf8(kNoTitleFromAddress));
    } else {
        m_title->setText(answer.title);
    }
    if (finished) {
        finished(!answer.title.isEmpty());
    }
}

CAddChannelDialog::CAddChannelDialog(const CChannelTree& tree, QWidget* parent)
    : QDialog(parent), m_tree(tree) {
    setWindowTitle(QStringLiteral("添加订阅"));
    setObjectName(QStringLiteral("addChannelDialog"));
    m_fields = new CChannelFields(this);
    m_toRoot = new QCheckBox(QStringLiteral("加到根目录(&O)"), this);
    m_toRoot->setObjectName(QStringLiteral("toRootCheck"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fields);
    layout->addWidget(m_toRoot);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    m_fields->PrefillFromClipboard();
}

bool CAddChannelDialog::ToRoot() const {
    return m_toRoot->isChecked();
}

void CAddChannelDialog::accept() {
    if (m_fields->Validate(m_tree)) {
        QDialog::accept();
    }
}

CAddFolderDialog::CAddFolderDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("新增频道目录"));
    setObjectName(QStringLiteral("addFolderDialog"));
    m_name = Field(this, "folderNameEdit");
    m_url = Field(this, "folderUrlEdit", QStringLiteral("可以不填"));
    m_toRoot = new QCheckBox(QStringLiteral("加到根目录(&O)"), this);
    m_toRoot->setObjectName(QStringLiteral("toRootCheck"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("目录名称(&N):"), m_name);
    form->addRow(QStringLiteral("URL(&U):"), m_url);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_toRoot);
    layout->addSpacing(6);
    layout->addWidget(buttons);
}

QString CAddFolderDialog::Name() const {
    return m_name->text().trimmed();
}
QString CAddFolderDialog::Url() const {
    return m_url->text().trimmed();
}
bool CAddFolderDialog::ToRoot() const {
    return m_toRoot->isChecked();
}

void CAddFolderDialog::accept() {
    const FieldCheck check = CheckFolderFields(Std(Name()), Std(Url()));
    if (!check.ok) {
        ShowReaderMessage(this, QString::fromStdString(check.message));
        (check.field == DialogField::HomeUrl ? m_url : m_name)->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
