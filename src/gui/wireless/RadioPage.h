#pragma once

#include "app/AppCore.h"
#include "app/UiServices.h"
#include "frame/ModulePage.h"
#include "wireless/AtConnection.h"
#include "wireless/AtExchange.h"
#include "wireless/FormField.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWidget>

// What the Bluetooth and the WLAN page share: the form behind the page, the controls
// found by their IDs, the data exchange in the form's order with its range checks, the
// connection groups, the Output box, the four buttons and the two exchanges. Each page
// builds its own settings groups and registers their controls.
template <class Form> class TRadioPage : public QWidget, public IModulePage {
public:
    static constexpr const char* kNothingWritten =
        "Nothing was written: correct the field the message names first.";
    TRadioPage(CAppCore& core, IUiServices& services, QWidget* parent)
        : QWidget(parent), m_core(core), m_services(services) {}

    QWidget* Widget() override { return this; }
    const Form& GetForm() const { return m_form; }
    Form& GetForm() { return m_form; }
    bool IsBusy() const { return m_busy; }

    // Dialog data exchange. Taking stops at the first control whose range check fails:
    // its message is shown, the focus goes there, and the fields after it keep their
    // values. The button handlers go on in either case.
    bool TakeFields() {
        for (const auto& field : Form::Fields()) {
            // The read-only boxes (the log, the version, the address) hold what only the
            // program writes; their text is never taken back, so the log keeps its bytes.
            if (field.kind == FieldKind::ReadOnly)
                continue;
            QString message;
            if (!FormField::Take(m_form, field, ControlText(field), &message)) {
                m_services.Message(message, MsgIcon::Exclamation);
                if (QWidget* w = m_controls.value(field.id)) {
                    w->setFocus();
                    if (auto* edit = qobject_cast<QLineEdit*>(w))
                        edit->selectAll();
                }
                return false;
            }
        }
        return true;
    }
    void ShowFields() {
        for (const auto& field : Form::Fields())
            ShowControl(field);
    }

    void OnDefault() {
        TakeFields();
        m_form.Default();
        ShowFields();
    }
    void OnClear() {
        TakeFields();
        m_form.Clear();
        ShowFields();
    }
    void OnRead() { Run(true); }
    void OnWrite() { Run(false); }

protected:
    QString Id(int id) const { return QStringLiteral("id%1").arg(id); }

    template <class W> W* Register(int id, W* widget) {
        widget->setObjectName(Id(id));
        m_controls.insert(id, widget);
        return widget;
    }
    QLineEdit* Edit(int id, QWidget* parent, bool readOnly = false) {
        auto* edit = Register(id, new QLineEdit(parent));
        edit->setReadOnly(readOnly);
        // A text field's range check also limits what can be typed.
        if (const auto* field = Form::FindField(id);
            field && field->kind == FieldKind::Text && field->limit > 0)
            edit->setMaxLength(field->limit);
        return edit;
    }
    QComboBox* Combo(int id, const QStringList& items, QWidget* parent) {
        auto* combo = Register(id, new QComboBox(parent));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(items);
        return combo;
    }
    // A radio group: `ids` in index order; the group is known by its first button's ID.
    QGroupBox* RadioGroup(const QString& title, const QList<int>& ids, const QStringList& labels,
                          QWidget* parent, bool inRow = false) {
        auto* box = new QGroupBox(title, parent);
        QBoxLayout* layout = inRow ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                                   : static_cast<QBoxLayout*>(new QVBoxLayout(box));
        layout->setContentsMargins(6, 2, 6, 2);
        layout->setSpacing(1);
        auto* group = new QButtonGroup(box);
        for (int i = 0; i < ids.size(); ++i) {
            auto* radio = new QRadioButton(labels[i], box);
            radio->setObjectName(Id(ids[i]));
            group->addButton(radio, i);
            layout->addWidget(radio);
        }
        m_radios.insert(ids.first(), group);
        return box;
    }
    QPushButton* Button(int id, const QString& text, void (TRadioPage::*handler)()) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(Id(id));
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, this, [this, handler] {
            // An exchange runs to its end; clicks that slip through meanwhile are not taken.
            if (!m_busy)
                (this->*handler)();
        });
        return button;
    }

    // "Connection Settings": the pass-through UARTs and time-out, the escape sequence
    // between its two guard times.
    QGroupBox* BuildConnection(int timeoutId, int beforeId, int escapeId, int afterId) {
        auto* box = new QGroupBox(QStringLiteral("Connection Settings"), this);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(6, 4, 6, 4);
        auto* passThru = new QGroupBox(QStringLiteral("PassThru (UART<->UART)"), box);
        auto* p = new QHBoxLayout(passThru);
        p->setContentsMargins(6, 2, 6, 2);
        auto* from = Combo(Form::IdPassThruFrom, CAtConnection::UartItems(), passThru);
        from->setToolTip(QStringLiteral("The printer's UART of the PC: U0 is the RS-232 port"));
        auto* to = Combo(Form::IdPassThruTo, CAtConnection::UartItems(), passThru);
        to->setToolTip(QStringLiteral("The module's UART: U1 or U2"));
        auto* timeout = Edit(timeoutId, passThru);
        timeout->setToolTip(QStringLiteral("The printer's pass-through time-out, 0 to 999"));
        p->addWidget(from);
        p->addWidget(to);
        p->addWidget(timeout);
        auto* escape = new QGroupBox(QStringLiteral("Escape Sequence"), box);
        auto* e = new QHBoxLayout(escape);
        e->setContentsMargins(6, 2, 6, 2);
        auto* before = Edit(beforeId, escape);
        before->setToolTip(QStringLiteral("Silence before the escape sequence, ms"));
        auto* character = Edit(escapeId, escape);
        character->setToolTip(QStringLiteral("The escape text, sent three times"));
        auto* after = Edit(afterId, escape);
        after->setToolTip(QStringLiteral("Silence after the escape sequence, ms"));
        e->addWidget(before);
        e->addWidget(character);
        e->addWidget(after);
        row->addWidget(passThru);
        row->addWidget(escape);
        return box;
    }
    // "Informational Commands": the module's address and version, each in its group as
    // a label and a read-only field on one line.
    QGroupBox* BuildInformational(const char* addressGroup, const char* addressLabel,
                                  const char* versionLabel) {
        auto* box = new QGroupBox(QStringLiteral("Informational Commands"), this);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(6, 4, 6, 4);
        const struct {
            const char* group;
            const char* label;
            int id;
        } rows[] = {{addressGroup, addressLabel, Form::IdDeviceAddress},
                    {"Local Version Information (AT*AILVI)", versionLabel, Form::IdVersion}};
        for (const auto& r : rows) {
            auto* group = new QGroupBox(QLatin1String(r.group), box);
            auto* g = new QHBoxLayout(group);
            g->setContentsMargins(6, 2, 6, 2);
            g->addWidget(new QLabel(QLatin1String(r.label), group));
            g->addWidget(Edit(r.id, group, true), 1);
            layout->addWidget(group);
        }
        layout->addStretch(1);
        return box;
    }
    // `height` 0 lets the box take what room is left; otherwise it keeps that height.
    QGroupBox* BuildOutput(int id, int height = 0) {
        auto* box = new QGroupBox(QStringLiteral("Output"), this);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(6, 4, 6, 4);
        auto* output = Register(id, new QPlainTextEdit(box));
        output->setReadOnly(true);
        // The page is shown at its natural size: a fixed height keeps it within the
        // module's window beside the toolbar, the tabs and the status bar.
        if (height > 0)
            output->setFixedHeight(height);
        else {
            // Its height is what the groups beside it leave, not a text box's usual one.
            output->setMinimumHeight(36);
            output->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
        }
        output->setLineWrapMode(QPlainTextEdit::NoWrap);
        layout->addWidget(output);
        return box;
    }
    // "Default" at the bottom left; "Clear", "Read" and "Write" at the bottom right.
    QHBoxLayout* BuildButtons(int defaultId, int clearId, int readId, int writeId) {
        auto* row = new QHBoxLayout;
        row->addWidget(Button(defaultId, QStringLiteral("Default"), &TRadioPage::OnDefault));
        row->addStretch(1);
        row->addWidget(Button(clearId, QStringLiteral("Clear"), &TRadioPage::OnClear));
        row->addWidget(Button(readId, QStringLiteral("Read"), &TRadioPage::OnRead));
        row->addWidget(Button(writeId, QStringLiteral("Write"), &TRadioPage::OnWrite));
        return row;
    }

    // Tight spacing, so that every group fits the module's client area.
    void Compact() {
        for (QLayout* l : findChildren<QLayout*>()) {
            if (auto* grid = qobject_cast<QGridLayout*>(l)) {
                grid->setVerticalSpacing(2);
                grid->setHorizontalSpacing(4);
            } else {
                l->setSpacing(3);
            }
        }
    }

    Form m_form;

private:
    QString ControlText(const TFormField<Form>& field) const {
        if (field.kind == FieldKind::Radio) {
            const QButtonGroup* group = m_radios.value(field.id);
            return QString::number(group ? group->checkedId() : -1);
        }
        QWidget* w = m_controls.value(field.id);
        if (auto* check = qobject_cast<QCheckBox*>(w))
            return QString::number(check->isChecked() ? 1 : 0);
        if (auto* combo = qobject_cast<QComboBox*>(w))
            return combo->currentText();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            return edit->text();
        return FormField::Show(m_form, field);
    }

    void ShowControl(const TFormField<Form>& field) {
        if (field.kind == FieldKind::Radio) {
            QButtonGroup* group = m_radios.value(field.id);
            if (!group)
                return;
            const int index = m_form.*(field.number);
            // A value with no button (-1 after Clear, or an odd answer) checks none.
            group->setExclusive(false);
            for (QAbstractButton* b : group->buttons())
                b->setChecked(group->id(b) == index);
            group->setExclusive(true);
            return;
        }
        QWidget* w = m_controls.value(field.id);
        if (auto* check = qobject_cast<QCheckBox*>(w)) {
            check->setChecked(m_form.*(field.number) != 0);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            // The first item that begins with the text is selected; otherwise the text
            // goes into the combo's edit field as it is.
            const QString text = m_form.*(field.text);
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            int match = -1;
            if (!text.isEmpty()) {
                for (int i = 0; i < items.size() && match < 0; ++i) {
                    if (items[i].startsWith(text))
                        match = i;
                }
            }
            if (match >= 0)
                combo->setCurrentIndex(match);
            combo->setEditText(match >= 0 ? items[match] : text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            const QString text = FormField::Show(m_form, field);
            // A value read from the module may be longer than the edit takes: it is shown
            // whole (the edit would cut it without a word), and the range check refuses
            // it at the next Write until it is shortened.
            if (field.kind == FieldKind::Text && field.limit > 0)
                edit->setMaxLength(qMax(field.limit, int(text.size())));
            if (edit->text() != text)
                edit->setText(text);
        } else if (auto* output = qobject_cast<QPlainTextEdit*>(w)) {
            // The log keeps the bytes as they went and came; the box shows each echo's
            // CR CR LF, each CR LF and each lone CR as one line break.
            QString text = m_form.*(field.text);
            text.replace(QLatin1String("\r\r\n"), QLatin1String("\n"));
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            if (output->toPlainText() != text) {
                output->setPlainText(text);
                output->verticalScrollBar()->setValue(output->verticalScrollBar()->maximum());
            }
        }
    }

    void Run(bool read) {
        // A failed check is shown. A Read goes on with what was taken; a Write does not,
        // since the fields from the failing control on are not what the page shows.
        if (!TakeFields() && !read) {
            m_services.Status(QLatin1String(kNothingWritten));
            return;
        }
        m_busy = true; // the wait cursor comes with the exchange
        CAtExchange exchange(m_core.m_serial, m_services, m_form);
        // Every step shows the fields again, so the log grows as the exchange runs.
        exchange.SetRefresh([this] { ShowFields(); });
        if (read)
            exchange.Read(m_form);
        else
            exchange.Write(m_form);
        ShowFields();
        m_busy = false;
    }

    CAppCore& m_core;
    IUiServices& m_services;
    QMap<int, QWidget*> m_controls;
    QMap<int, QButtonGroup*> m_radios;
    bool m_busy = false;
};
