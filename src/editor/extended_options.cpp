#include "editor/extended_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "core/util/text_codec.h"

namespace zirvo::editor {

namespace {

QString Count(const QString& text, size_t limit) {
    const size_t bytes = Gb18030Length(text.toStdString());
    const QString count = QStringLiteral("%1/%2").arg(bytes).arg(limit);
    // Over the limit the field is not sent at all: say it where the user looks.
    return bytes > limit
               ? QStringLiteral("<span style='color:#c00'>%1 超出, 不会发送</span>").arg(count)
               : count;
}

}  // namespace

CExtendedOptions::CExtendedOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("extendedOptions"));
    setWindowTitle(QStringLiteral("扩展选项"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    m_manualDate = new QCheckBox(QStringLiteral("手动设置"), this);
    m_manualDate->setObjectName(QStringLiteral("manualDateBox"));
    m_date = new QDateEdit(this);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->setCalendarPopup(true);
    m_time = new QTimeEdit(this);
    m_time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(m_manualDate);
    dateRow->addWidget(m_date);
    dateRow->addWidget(m_time);
    dateRow->addStretch();
    form->addRow(QStringLiteral("发布时间"), dateRow);

    m_systemCategory = new QComboBox(this);
    m_systemCategory->setObjectName(QStringLiteral("systemCategoryBox"));
    m_systemCategory->setMinimumWidth(200);
    m_fetch = new QPushButton(QStringLiteral("获取"), this);
    m_fetch->setObjectName(QStringLiteral("fetchSystemButton"));
    auto* categoryRow = new QHBoxLayout;
    categoryRow->addWidget(m_systemCategory, 1);
    categoryRow->addWidget(m_fetch);
    form->addRow(QStringLiteral("系统分类"), categoryRow);

    m_tags = new QLineEdit(this);
    m_tags->setObjectName(QStringLiteral("tagsEdit"));
    m_tags->setPlaceholderText(QStringLiteral("用空格或逗号分开"));
    form->addRow(QStringLiteral("标签"), m_tags);
    m_excerpt = new QPlainTextEdit(this);
    m_excerpt->setObjectName(QStringLiteral("excerptEdit"));
    m_excerpt->setFixedHeight(80);
    form->addRow(QStringLiteral("摘要"), m_excerpt);
    m_trackback = new QLineEdit(this);
    m_trackback->setObjectName(QStringLiteral("trackbackEdit"));
    m_trackback->setPlaceholderText(QStringLiteral("http://"));
    form->addRow(QStringLiteral("引用通告"), m_trackback);

    m_lengths = new QLabel(this);
    m_lengths->setObjectName(QStringLiteral("lengthsLabel"));
    m_lengths->setTextFormat(Qt::RichText);
    form->addRow(QString(), m_lengths);

    auto* note = new QLabel(QString::fromUtf8(kTextExtendedNote), this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QHBoxLayout;
    auto* reset = new QPushButton(QStringLiteral("重置"), this);
    auto* hide = new QPushButton(QStringLiteral("隐藏"), this);
    buttons->addStretch();
    buttons->addWidget(reset);
    buttons->addWidget(hide);
    layout->addLayout(buttons);

    connect(reset, &QPushButton::clicked, this, &CExtendedOptions::Reset);
    connect(hide, &QPushButton::clicked, this, &QDialog::hide);
    connect(m_manualDate, &QCheckBox::toggled, this, [this](bool on) {
        m_date->setEnabled(on);
        m_time->setEnabled(on);
    });
    connect(m_tags, &QLineEdit::textChanged, this, &CExtendedOptions::ShowLengths);
    connect(m_excerpt, &QPlainTextEdit::textChanged, this, &CExtendedOptions::ShowLengths);
    connect(m_trackback, &QLineEdit::textChanged, this, &CExtendedOptions::ShowLengths);
    Reset();
    resize(520, sizeHint().height());
}

void CExtendedOptions::Reset() {
    const QDateTime now = QDateTime::currentDateTime();
    m_manualDate->setChecked(false);
    m_date->setDate(now.date());
    m_time->setTime(now.time());
    m_date->setEnabled(false);
    m_time->setEnabled(false);
    m_systemCategory->setCurrentIndex(0);
    m_tags->clear();
    m_excerpt->clear();
    m_trackback->clear();
    ShowLengths();
}

void CExtendedOptions::ShowLengths() {
    m_lengths->setText(QStringLiteral("标签 %1 字节, 摘要 %2 字节, 引用通告 %3 字节")
                           .arg(Count(m_tags->text(), kMaxTagsBytes),
                                Count(m_excerpt->toPlainText(), kMaxExcerptBytes),
                                Count(m_trackback->text(), kMaxTrackbackBytes)));
}

ExtendedOptions CExtendedOptions::Values() const {
    ExtendedOptions values;
    values.manualDate = m_manualDate->isChecked();
    if (values.manualDate) {
        const QString date = m_date->date().toString(QStringLiteral("yyyy-MM-dd ")) +
                             m_time->time().toString(QStringLiteral("HH:mm:ss"));
        values.date = date.toStdString();
    }
    values.systemCategory = m_systemCategory->currentText().toStdString();
    values.tags = m_tags->text().toStdString();
    values.excerpt = m_excerpt->toPlainText().toStdString();
    values.trackback = m_trackback->text().toStdString();
    return values;
}

void CExtendedOptions::FillSystemCategories(const std::vector<std::string>& names) {
    m_systemCategory->clear();
    m_systemCategory->addItem(QString());
    for (const std::string& name : names) {
        m_systemCategory->addItem(QString::fromStdString(name));
    }
    m_systemCategory->setCurrentIndex(0);
}

}  // namespace zirvo::editor
