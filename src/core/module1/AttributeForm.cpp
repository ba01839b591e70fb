#include "AttributeForm.h"

#include "CommandBuffer.h"
#include "Notation.h"
#include "NumberField.h"
#include "document/KVUDoc.h"

const CAttributeForm::Check CAttributeForm::kChecks[17] = {
    {1017, 1014, "^[UU", &CAttributeForm::m_bUnderline},
    {1014, 1017, "^[Uu", &CAttributeForm::m_bNoUnderline},
    {1011, 1020, "^[UR", &CAttributeForm::m_bWhiteOnBlack},
    {1020, 1011, "^[Un", &CAttributeForm::m_bBlackOnWhite},
    {1022, 1024, "^[U1", &CAttributeForm::m_bBold},
    {1024, 1022, "^[U0", &CAttributeForm::m_bNoBold},
    {1026, 1027, "^N", &CAttributeForm::m_bDoubleWidth},
    {1027, 1026, "^O", &CAttributeForm::m_bNormalWidth},
    {1028, 1030, "^\\", &CAttributeForm::m_bDoubleHeight},
    {1030, 1028, "^]", &CAttributeForm::m_bNormalHeight},
    {1031, 1032, "^[P-", &CAttributeForm::m_bSendEot},
    {1032, 1031, "^[P+", &CAttributeForm::m_bNoSendEot},
    {1033, 1034, "^[FR", &CAttributeForm::m_bRightToLeft},
    {1034, 1033, "^[FL", &CAttributeForm::m_bLeftToRight},
    {1035, 1036, "^[F2", &CAttributeForm::m_bPcLineDraw},
    {1036, 1035, "^[F1", &CAttributeForm::m_bInternational},
    {1051, 0, "^[EO", &CAttributeForm::m_bLinePrint},
};

namespace {
const char* const kNumberPrefix[5] = {"^[a", "^[TF", "^[TV", "^[TH", "^[QQ"};
} // namespace

int CAttributeForm::ComboIndexOrBlank(int index) {
    return index >= 0 && index <= kComboItems ? index : 0;
}

int CAttributeForm::Maximum(Field field) {
    switch (field) {
    case FormFeed:
        return 65535;
    case SleepHours:
        return 17;
    case SleepMinutes:
    case SleepSeconds:
        return 59;
    default:
        return 255;
    }
}

const CAttributeForm::Check* CAttributeForm::FindCheck(int id) {
    for (const Check& c : kChecks) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

QString* CAttributeForm::TextMember(Field field) {
    QString* const texts[FieldCount] = {
        &m_strLineSpacing,       &m_strFormFeed,   &m_strVerticalTab,  &m_strHorizontalTab,
        &m_strSensorSensitivity, &m_strSleepHours, &m_strSleepMinutes, &m_strSleepSeconds};
    return texts[field];
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
    const QString prefix = QLatin1String(kNumberPrefix[field]);
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
    b.AppendIf("\x1BUU", m_bUnderline);
    b.AppendIf("\x1BUu", m_bNoUnderline);
    b.AppendIf("\x1BUR", m_bWhiteOnBlack);
    b.AppendIf("\x1BUn", m_bBlackOnWhite);
    b.AppendIf("\x1BU1", m_bBold);
    b.AppendIf("\x1BU0", m_bNoBold);
    b.AppendIf("\x0E", m_bDoubleWidth);
    b.AppendIf("\x0F", m_bNormalWidth);
    b.AppendIf("\x1C", m_bDoubleHeight);
    b.AppendIf("\x1D", m_bNormalHeight);
    b.AppendIf("\x1BP-", m_bSendEot);
    b.AppendIf("\x1BP+", m_bNoSendEot);
    b.AppendIf("\x1B"
               "FR",
               m_bRightToLeft);
    b.AppendIf("\x1B"
               "FL",
               m_bLeftToRight);
    b.AppendIf("\x1B"
               "F2",
               m_bPcLineDraw);
    b.AppendIf("\x1B"
               "F1",
               m_bInternational);
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
    b.AppendIf("\x1B"
               "EO",
               m_bLinePrint);
}

namespace {
// Each check of the page and the document member that keeps it.
const struct {
    int CAttributeForm::*form;
    int CKVUDoc::*doc;
} kCheckMembers[17] = {
    {&CAttributeForm::m_bUnderline, &CKVUDoc::m_bUnderline},
    {&CAttributeForm::m_bNoUnderline, &CKVUDoc::m_bNoUnderline},
    {&CAttributeForm::m_bBold, &CKVUDoc::m_bBold},
    {&CAttributeForm::m_bNoBold, &CKVUDoc::m_bNoBold},
    {&CAttributeForm::m_bWhiteOnBlack, &CKVUDoc::m_bWhiteOnBlack},
    {&CAttributeForm::m_bBlackOnWhite, &CKVUDoc::m_bBlackOnWhite},
    {&CAttributeForm::m_bDoubleWidth, &CKVUDoc::m_bDoubleWidth},
    {&CAttributeForm::m_bNormalWidth, &CKVUDoc::m_bNormalWidth},
    {&CAttributeForm::m_bDoubleHeight, &CKVUDoc::m_bDoubleHeight},
    {&CAttributeForm::m_bNormalHeight, &CKVUDoc::m_bNormalHeight},
    {&CAttributeForm::m_bSendEot, &CKVUDoc::m_bSendEot},
    {&CAttributeForm::m_bNoSendEot, &CKVUDoc::m_bNoSendEot},
    {&CAttributeForm::m_bRightToLeft, &CKVUDoc::m_bRightToLeft},
    {&CAttributeForm::m_bLeftToRight, &CKVUDoc::m_bLeftToRight},
    {&CAttributeForm::m_bPcLineDraw, &CKVUDoc::m_bPcLineDraw},
    {&CAttributeForm::m_bInternational, &CKVUDoc::m_bInternational},
    {&CAttributeForm::m_bLinePrint, &CKVUDoc::m_bLinePrint},
};

// Each numeric field and the document member that keeps its number.
int CKVUDoc::*const kNumberMembers[CAttributeForm::FieldCount] = {
    &CKVUDoc::m_nLineSpacing,   &CKVUDoc::m_nFormFeed,          &CKVUDoc::m_nVerticalTab,
    &CKVUDoc::m_nHorizontalTab, &CKVUDoc::m_nSensorSensitivity, &CKVUDoc::m_nSleepHours,
    &CKVUDoc::m_nSleepMinutes,  &CKVUDoc::m_nSleepSeconds,
};
} // namespace

// The document keeps a combo's index minus 1. A hand-edited project may hold any 32-bit
// value there, so the shift wraps instead of overflowing: 2147483647 becomes an index the
// lists cannot show (shown blank, sending nothing) and goes back to the file unchanged.
static int ShiftedIndex(int index, int delta) {
    return int(quint32(index) + quint32(delta));
}

void CAttributeForm::ToDocument(CKVUDoc& d) const {
    for (const auto& m : kCheckMembers)
        d.*(m.doc) = this->*(m.form);
    for (int field = 0; field < FieldCount; ++field)
        d.*(kNumberMembers[field]) = Number(Field(field));
    d.m_nFont = ShiftedIndex(m_nFont, -1);
    d.m_nContrast = ShiftedIndex(m_nContrast, -1);
    d.m_strTestMessage = m_strTestMessage;
}

void CAttributeForm::FromDocument(const CKVUDoc& d) {
    for (const auto& m : kCheckMembers)
        this->*(m.form) = d.*(m.doc);
    for (int field = 0; field < FieldCount; ++field)
        Text(Field(field)) = NumberField::FormatNumber(d.*(kNumberMembers[field]));
    m_nFont = ShiftedIndex(d.m_nFont, 1);
    m_nContrast = ShiftedIndex(d.m_nContrast, 1);
    m_strTestMessage = d.m_strTestMessage;
}
