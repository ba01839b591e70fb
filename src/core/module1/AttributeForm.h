#pragma once

#include <QString>

class CCommandBuffer;
class CKVUDoc;

// The state of the Custom Attributes page without its widgets: the seventeen flags, the
// two combo indexes (0 = blank), the eight numeric texts and the sandbox text. The page
// and kvuctl both work on one of these.
class CAttributeForm {
public:
    // Numeric fields, in page order, with their maxima.
    enum Field {
        LineSpacing,
        FormFeed,
        VerticalTab,
        HorizontalTab,
        SensorSensitivity,
        SleepHours,
        SleepMinutes,
        SleepSeconds,
        FieldCount
    };
    static int Maximum(Field field);

    // The eight numeric fields in field order: the field's and its up-down's control IDs,
    // its label (the sleep timer's three share one heading), its largest value, the
    // notation prefix of its command (the sleep timer builds one command of all three),
    // and the form's and the document's members.
    struct NumberRow {
        Field field;
        int id;
        int upDownId;
        const char* label;
        int maximum;
        const char* prefix;
        QString CAttributeForm::*text;
        int CKVUDoc::*document;
    };
    static const NumberRow kNumbers[FieldCount];
    // The Font and Contrast lists: a blank item, then ten items.
    static constexpr int kComboItems = 10;
    static int ComboIndexOrBlank(int index);

    // The seventeen check boxes, in the order their commands go into the attribute stream:
    // the control ID, the partner's ID (0 for Line Print Mode), where the page shows it
    // (row, and column 0 or 1), its label, the Last Command text when checked (whose bytes
    // are what it adds to the stream), and the form's and the document's members. The
    // page, the form, the document copy and kvuctl all read this one table.
    struct Check {
        int id;
        int partner;
        int row;
        int column;
        const char* label;
        const char* lastCommand;
        int CAttributeForm::*flag;
        int CKVUDoc::*document;
        bool afterNumbers; // sent after the numbers and the sleep timer
    };
    static const Check kChecks[17];
    static const Check* FindCheck(int id);

    // A click on a check box that is now `checked`: the partner is cleared when this one
    // is checked; returns the new Last Command text.
    QString ClickCheck(int id, bool checked);
    // A new combo selection; returns the Last Command text.
    QString FontCommand() const;
    QString ContrastCommand() const;
    // The Last Command text after a numeric field changed.
    QString NumberCommand(Field field) const;
    // The sleep-timer text: "M", the digits from the highest given field down to seconds,
    // "0" and CR; empty when all three are blank.
    QString BuildSleepTimerText() const;

    // The attribute command stream, appended in its fixed order.
    void BuildAttributeStream(CCommandBuffer& buffer) const;

    // Copies to and from the project document.
    void ToDocument(CKVUDoc& doc) const;
    void FromDocument(const CKVUDoc& doc);

    int Number(Field field) const;
    QString& Text(Field field) { return *TextMember(field); }
    const QString& Text(Field field) const {
        return *const_cast<CAttributeForm*>(this)->TextMember(field);
    }

    int m_nFont = 0;
    int m_nContrast = 0;
    int m_bNoUnderline = 0;
    int m_bUnderline = 0;
    int m_bBold = 0;
    int m_bNoBold = 0;
    int m_bWhiteOnBlack = 0;
    int m_bBlackOnWhite = 0;
    int m_bDoubleWidth = 0;
    int m_bNormalWidth = 0;
    int m_bDoubleHeight = 0;
    int m_bNormalHeight = 0;
    int m_bSendEot = 0;
    int m_bNoSendEot = 0;
    int m_bRightToLeft = 0;
    int m_bLeftToRight = 0;
    int m_bPcLineDraw = 0;
    int m_bInternational = 0;
    int m_bLinePrint = 0;
    QString m_strLineSpacing;
    QString m_strFormFeed;
    QString m_strVerticalTab;
    QString m_strHorizontalTab;
    QString m_strSensorSensitivity;
    QString m_strSleepHours;
    QString m_strSleepMinutes;
    QString m_strSleepSeconds;
    QString m_strTestMessage;

private:
    QString* TextMember(Field field);
};
