#pragma once
// Keyboard checks shared by the dialog tests: the mnemonics a dialog offers (each letter once,
// each label's letter leading to a field) and the order in which Tab visits its fields.

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace zirvo::gui::test {

// The letter after a single '&' of `text`, upper-cased; a null QChar when there is none ("&&"
// is a literal ampersand).
inline QChar MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) {
            continue;
        }
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toUpper();
    }
    return {};
}

// What is wrong with the mnemonics of `scope` and of `extra` (widgets outside it that are on
// screen with it, such as a wizard's buttons): letters used twice, and labels whose letter
// leads nowhere (a label without a buddy shows its '&' and its key does nothing).
inline QStringList MnemonicFaults(QWidget* scope, const QList<QWidget*>& extra = {}) {
    QList<QWidget*> widgets = scope->findChildren<QWidget*>();
    widgets << scope << extra;
    QMap<QChar, QStringList> owners;
    QStringList faults;
    auto note = [&owners](const QString& text, const QString& who) {
        const QChar key = MnemonicOf(text);
        if (!key.isNull()) {
            owners[key] << who;
        }
    };
    for (QWidget* widget : widgets) {
        const QString who = widget->objectName();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            note(button->text(), who.isEmpty() ? button->text() : who);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->textFormat() == Qt::RichText ||
                (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()))) {
                continue;  // rich text has no mnemonic ("&nbsp;" is an entity)
            }
            if (!MnemonicOf(label->text()).isNull() && !label->buddy()) {
                faults << QStringLiteral("%1 has a key but no buddy").arg(label->text());
            }
            note(label->text(), who);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            note(group->title(), who);
        } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                note(tabs->tabText(i), tabs->tabText(i));
            }
        }
    }
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it.value().size() > 1) {
            faults << QStringLiteral("&%1 used by %2").arg(it.key(), it.value().join(u", "));
        }
    }
    return faults;
}

// The named widgets of `scope` that Tab visits, in order, from the first one after `scope`
// (widgets hidden with their page are left out, as Tab passes them by).
inline QStringList TabOrder(QWidget* scope) {
    QStringList names;
    QWidget* widget = scope->nextInFocusChain();
    while (widget && widget != scope) {
        const QString name = widget->objectName();
        if (scope->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) &&
            widget->isVisibleTo(scope) && !name.isEmpty() && !name.contains(u"qt_") &&
            !qobject_cast<QTabBar*>(widget->parentWidget())) {
            names << name;
        }
        widget = widget->nextInFocusChain();
    }
    return names;
}

}  // namespace zirvo::gui::test
