#pragma once
// The extended options window "扩展选项" of a new article: a manually set publish date, the
// service's system category ("获取" fetches the list), tags, excerpt and trackback address.
// They travel with the post only; the local article keeps none of them. Over-long texts are
// dropped when the article is collected (editor_document.h); the window says how much fits.
//
// Threading: window thread.

#include <QDialog>
#include <string>
#include <vector>

#include "core/editorlink/editor_document.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

namespace zirvo::editor {

class CExtendedOptions : public QDialog {
    Q_OBJECT

public:
    explicit CExtendedOptions(QWidget* parent = nullptr);

    ExtendedOptions Values() const;
    // An empty entry first (selected), then the names.
    void FillSystemCategories(const std::vector<std::string>& names);
    QPushButton* FetchButton() const { return m_fetch; }
    QLineEdit* TagsBox() const { return m_tags; }
    QPlainTextEdit* ExcerptBox() const { return m_excerpt; }
    QLineEdit* TrackbackBox() const { return m_trackback; }
    QCheckBox* ManualDateBox() const { return m_manualDate; }
    QComboBox* SystemCategoryBox() const { return m_systemCategory; }

    // "重置": every field back to empty and the date to now.
    void Reset();

private:
    void ShowLengths();

    QCheckBox* m_manualDate = nullptr;
    QDateEdit* m_date = nullptr;
    QTimeEdit* m_time = nullptr;
    QComboBox* m_systemCategory = nullptr;
    QPushButton* m_fetch = nullptr;
    QLineEdit* m_tags = nullptr;
    QPlainTextEdit* m_excerpt = nullptr;
    QLineEdit* m_trackback = nullptr;
    QLabel* m_lengths = nullptr;
};

}  // namespace zirvo::editor
