#include "gui/dialogs/appearance_page.h"

#include <QColorDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>

#include "ui_appearance_page.h"

namespace zirvo::gui {

namespace {

constexpr char kColourProperty[] = "colorRef";

}  // namespace

QColor ColourOfColorRef(int value) {
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

int ColorRefOf(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

CAppearancePage::CAppearancePage(CAppConfig& config, QWidget* parent)
    : QWidget(parent), m_config(config), m_ui(std::make_unique<Ui::AppearancePage>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("appearancePage"));
    for (QPushButton* button :
         {m_ui->titleUnreadColor, m_ui->titleReadColor, m_ui->dateAndAuthorColor}) {
        connect(button, &QPushButton::clicked, this, [this, button] { ChooseColour(button); });
    }
    for (QCheckBox* box : {m_ui->useBigTitleFont, m_ui->useBoldTitleFont}) {
        connect(box, &QCheckBox::toggled, this, &CAppearancePage::UpdatePreview);
    }
    // The defaults of the list until the file answers.
    AppearancePageInput values;
    values.titleUnreadColor = ColorRefOf(QColor(0, 52, 154));
    values.dateAndAuthorColor = ColorRefOf(QColor(150, 150, 150));
    ReadAppearancePage(m_config, values);
    SetValues(values);
}

CAppearancePage::~CAppearancePage() = default;

AppearancePageInput CAppearancePage::Values() const {
    AppearancePageInput values;
    values.titleUnreadColor = m_ui->titleUnreadColor->property(kColourProperty).toInt();
    values.titleReadColor = m_ui->titleReadColor->property(kColourProperty).toInt();
    values.dateAndAuthorColor = m_ui->dateAndAuthorColor->property(kColourProperty).toInt();
    values.useBigTitleFont = m_ui->useBigTitleFont->isChecked() ? 1 : 0;
    values.useBoldTitleFont = m_ui->useBoldTitleFont->isChecked() ? 1 : 0;
    values.minimiseToTray = m_ui->minimiseToTray->isChecked() ? 1 : 0;
    values.autoUpdate = m_ui->autoUpdate->isChecked() ? 1 : 0;
    return values;
}

void CAppearancePage::SetValues(const AppearancePageInput& values) {
    ShowColour(m_ui->titleUnreadColor, ColourOfColorRef(values.titleUnreadColor));
    ShowColour(m_ui->titleReadColor, ColourOfColorRef(values.titleReadColor));
    ShowColour(m_ui->dateAndAuthorColor, ColourOfColorRef(values.dateAndAuthorColor));
    m_ui->useBigTitleFont->setChecked(values.useBigTitleFont != 0);
    m_ui->useBoldTitleFont->setChecked(values.useBoldTitleFont != 0);
    m_ui->minimiseToTray->setChecked(values.minimiseToTray != 0);
    m_ui->autoUpdate->setChecked(values.autoUpdate != 0);
    UpdatePreview();
}

bool CAppearancePage::Commit() {
    SettingsCheck check;
    if (CommitAppearancePage(m_config, Values(), check)) {
        return true;
    }
    if (!check.ok) {
        QMessageBox::information(this, QStringLiteral("提示信息"),
                                 QString::fromStdString(check.message));
    }
    return false;
}

void CAppearancePage::ChooseColour(QPushButton* button) {
    const QColor current = ColourOfColorRef(button->property(kColourProperty).toInt());
    const QColor chosen = QColorDialog::getColor(current, this, button->accessibleName());
    if (chosen.isValid()) {
        ShowColour(button, chosen);
        UpdatePreview();
    }
}

void CAppearancePage::ShowColour(QPushButton* button, const QColor& colour) {
    button->setProperty(kColourProperty, ColorRefOf(colour));
    const int side = button->fontMetrics().height();
    QPixmap swatch(side * 2, side);
    swatch.fill(colour);
    QPainter painter(&swatch);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    painter.end();
    button->setIcon(QIcon(swatch));
    button->setIconSize(swatch.size());
    button->setText(colour.name(QColor::HexRgb).toUpper());
}

void CAppearancePage::UpdatePreview() {
    const AppearancePageInput v = Values();
    const QString size = v.useBigTitleFont != 0 ? QStringLiteral("16px") : QStringLiteral("14px");
    const QString weight =
        v.useBoldTitleFont != 0 ? QStringLiteral("bold") : QStringLiteral("normal");
    m_ui->preview->setText(
        QStringLiteral("<span style='color:%1; font-size:%2; font-weight:%3'>未读文章 Unread</span>"
                       "&nbsp;&nbsp;<span style='color:%4; font-size:%2'>已读文章 Read</span>"
                       "&nbsp;&nbsp;<span style='color:%5'>2026-01-01 12:00 作者</span>")
            .arg(ColourOfColorRef(v.titleUnreadColor).name(), size, weight,
                 ColourOfColorRef(v.titleReadColor).name(),
                 ColourOfColorRef(v.dateAndAuthorColor).name()));
}

}  // namespace zirvo::gui
