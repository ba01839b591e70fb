#include "AttributeForm.h"

#include "CommandBuffer.h"
#include "Notation.h"
#include "NumberField.h"
#include "document/KVUDoc.h"

using F = CAttributeForm;
using D = CKVUDoc;
const CAttributeForm::Check CAttributeForm::kChecks[17] = {
    {1017, 1014, 0, 0, "Underline", "^[UU", &F::m_bUnderline, &D::m_bUnderline, false},
    {1014, 1017, 0, 1, "No Underline", "^[Uu", &F::m_bNoUnderline, &D::m_bNoUnderline, false},
    {1011, 1020, 2, 0, "White on Black", "^[UR", &F::m_bWhiteOnBlack, &D::m_bWhiteOnBlack, false},
    {1020, 1011, 2, 1, "Black on White", "^[Un", &F::m_bBlackOnWhite, &D::m_bBlackOnWhite, false},
    {1022, 1024, 1, 0, "Bold", "^[U1", &F::m_bBold, &D::m_bBold, false},
    {1024, 1022, 1, 1, "No Bold", "^[U0", &F::m_bNoBold, &D::m_bNoBold, false},
    {1026, 1027, 3, 0, "Double Width", "^N", &F::m_bDoubleWidth, &D::m_bDoubleWidth, false},
    {1027, 1026, 3, 1, "Normal Width", "^O", &F::m_bNormalWidth, &D::m_bNormalWidth, false},
    {1028, 1030, 4, 0, "Double Height", "^\\", &F::m_bDoubleHeight, &D::m_bDoubleHeight, false},
    {1030, 1028, 4, 1, "Normal Height", "^]", &F::m_bNormalHeight, &D::m_bNormalHeight, false},
    {1031, 1032, 5, 0, "Send EOT", "^[P-", &F::m_bSendEot, &D::m_bSendEot, false},
    {1032, 1031, 5, 1, "Don't send EOT", "^[P+", &F::m_bNoSendEot, &D::m_bNoSendEot, false},
    {1033, 1034, 6, 0, "Right-to-Left", "^[FR", &F::m_bRightToLeft, &D::m_bRightToLeft, false},
    {1034, 1033, 6, 1, "Left-to-Right", "^[FL", &F::m_bLeftToRight, &D::m_bLeftToRight, false},
    {1035, 1036, 7, 0, "PC Line Draw", "^[F2", &F::m_bPcLineDraw, &D::m_bPcLineDraw, false},
    {1036, 1035, 7, 1, "International", "^[F1", &F::m_bInternational, &D::m_bInternational, false},
    {1051, 0, 8, 0, "Line Print Mode", "^[EO", &F::m_bLinePrint, &D::m_bLinePrint, true},
};

const CAttributeForm::NumberRow CAttributeForm::kNumbers[FieldCount] = {
    {LineSpacing, 1052, 1053, "Line Spacing", 255, "^[a", &F::m_strLineSpacing, &D::m_nLineSpacing},
    {FormFeed, 1054, 1055, "Form Feed", 65535, "^[TF", &F::m_strFormFeed, &D::m_nFormFeed},
    {VerticalTab, 1056, 1057, "Vertical Tab", 255, "^[TV", &F::m_strVerticalTab,
     &D::m_nVerticalTab},
    {HorizontalTab, 1058, 1059, "Horizontal tab", 255, "^[TH", &F::m_strHorizontalTab,
     &D::m_nHorizontalTab},
    {SensorSensitivity, 1060, 1061, "Sensor Sensitivity", 255, "^[QQ", &F::m_strSensorSensitivity,
     &D::m_nSensorSensitivity},
    {SleepHours, 1062, 1063, "HR", 17, "^[M", &F::m_strSleepHours, &D::m_nSleepHours},
    {SleepMinutes, 1067, 1070, "MIN", 59, "^[M", &F::m_strSleepMinutes, &D::m_nSleepMinutes},
    {SleepSeconds, 1072, 1074, "SEC", 59, "^[M", &F::m_strSleepSeconds, &D::m_nSleepSeconds},
};

int CAttributeForm::ComboIndexOrBlank(int index) {
    return index >= 0 && index <= kComboItems ? index : 0;
}

int CAttributeForm::Maximum(Field field) {
    return kNumbers[field].maximum;
}

const CAttributeForm::Check* CAttributeForm::FindCheck(int id) {
    for (const Check& c : kChecks) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

QString* CAttributeForm::TextMember(Field field) {
    return &(this->*(kNumbers[field].text));
}

int CAttributeForm::Number(Field field) const {
    return NumberField::ReadClampedNumber(Text(field), Maximum(field));
}

QString CAttributeForm::ClickCheck(int id, bool checked) {
    const Check* check = FindCheck(id);
    if (!check)
        return QString();
    this->*(check->flag) = checked ? 1 : 0;
    if (!checked)
        return QString();
    if (const Check* partner = FindCheck(check->partner))
        this->*(partner->flag) = 0;
    return QLatin1String(check->lastCommand);
}

// The Last Command of a combo: the prefix and the chosen item's digit; blank for the
// empty item.
static QString ComboCommand(const char* prefix, int index) {
    const int n = CAttributeForm::ComboIndexOrBlank(index);
    return n != 0 ? QLatin1String(prefix) + QString::number(n - 1) : QString();
}

QString CAttributeForm::FontCommand() const {
    return ComboCommand("^[k", m_nFont);
}

QString CAttributeForm::ContrastCommand() const {
    return ComboCommand("^[P", m_nContrast);
}

QString CAttributeForm::NumberCommand(Field field) const {
    if (field >= SleepHours) {
        const QString sleep = BuildSleepTimerText();
        return sleep.isEmpty() ? QString() : QStringLiteral("^[") + sleep;
    }
    const int value = Number(field);
    if (value == -1)
        return QString();
    const QString prefix = QLatin1String(kNumbers[field].prefix);
    return field == FormFeed ? Notation::WordCommand(prefix, value)
                             : Notation::ByteCommand(prefix, value);
}

QString CAttributeForm::BuildSleepTimerText() const {
    const int h = Number(SleepHours), m = Number(SleepMinutes), s = Number(SleepSeconds);
    auto two = [](int v) { return QStringLiteral("%1").arg(qMax(v, 0), 2, 10, QLatin1Char('0')); };
    QString digits;
    if (h != -1)
        digits = two(h) + two(m) + two(s);
    else if (m != -1)
        digits = two(m) + two(s);
    else if (s != -1)
        digits = two(s);
    else
        return QString();
    return QStringLiteral("M") + digits + QStringLiteral("0\r");
}

void CAttributeForm::BuildAttributeStream(CCommandBuffer& b) const {
    auto appendChecks = [&](bool afterNumbers) {
        for (const Check& c : kChecks) {
            if (c.afterNumbers == afterNumbers)
                b.AppendIf(Notation::Parse(QByteArray(c.lastCommand)), this->*(c.flag));
        }
    };
    appendChecks(false);
    // A combo index the list cannot show (from an edited project file) counts as blank,
    // rather than sending a command with several digits or a minus sign.
    b.AppendNumbered("\x1Bk", ComboIndexOrBlank(m_nFont));
    b.AppendNumbered("\x1BP", ComboIndexOrBlank(m_nContrast));
    b.AppendWithByte("\x1B"
                     "a",
                     Number(LineSpacing));
    b.AppendWithWord("\x1BTF", Number(FormFeed));
    b.AppendWithByte("\x1BTV", Number(VerticalTab));
    b.AppendWithByte("\x1BTH", Number(HorizontalTab));
    b.AppendWithByte("\x1BQQ", Number(SensorSensitivity));
    const QString sleep = BuildSleepTimerText();
    if (!sleep.isEmpty()) {
        b.AppendString(QByteArray(1, '\x1B'));
        b.AppendString(sleep.toLatin1());
    }
    appendChecks(true);
}

// The document keeps a combo's index minus 1. A hand-edited project may hold any 32-bit
// value there, so the shift wraps instead of overflowing: 2147483647 becomes an index the
// lists cannot show (shown blank, sending nothing) and goes back to the file unchanged.
static int ShiftedIndex(int index, int delta) {
    return int(quint32(index) + quint32(delta));
}

void CAttributeForm::ToDocument(CKVUDoc& d) const {
    for (const Check& c : kChecks)
        d.*(c.document) = this->*(c.flag);
    for (int field = 0; field < FieldCount; ++field)
        d.*(kNumbers[field].document) = Number(Field(field));
    d.m_nFont = ShiftedIndex(m_nFont, -1);
    d.m_nContrast = ShiftedIndex(m_nContrast, -1);
    d.m_strTestMessage = m_strTestMessage;
}

void CAttributeForm::FromDocument(const CKVUDoc& d) {
    for (const Check& c : kChecks)
        this->*(c.flag) = d.*(c.document);
    for (int field = 0; field < FieldCount; ++field)
        Text(Field(field)) = NumberField::FormatNumber(d.*(kNumbers[field].document));
    m_nFont = ShiftedIndex(d.m_nFont, 1);
    m_nContrast = ShiftedIndex(d.m_nContrast, 1);
    m_strTestMessage = d.m_strTestMessage;
}
