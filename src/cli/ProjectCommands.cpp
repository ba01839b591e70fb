// kvuctl project show and project new.

#include "CliCommand.h"
#include "CliRun.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "module1/AttributeForm.h"
#include "module1/CommandBuffer.h"
#include "module1/Notation.h"

#include <QFileInfo>

namespace {
// Values as they will be sent: a flag counts by its low byte, a number as the field reads
// it, a list index only when the list can show it. A stored value that differs is named.
QString YesNo(int flag) {
    QString text = (flag & 0xFF) ? QStringLiteral("checked") : QStringLiteral("-");
    if (flag != 0 && flag != 1)
        text += QStringLiteral(" (stored %1)").arg(flag);
    return text;
}
QString NumberText(int v) {
    return v == -1 ? QStringLiteral("blank") : QString::number(v);
}
QString SentNumberText(int sent, int stored) {
    QString text = NumberText(sent);
    if (sent != stored)
        text += QStringLiteral(" (stored %1)").arg(stored);
    return text;
}
QString ComboText(const char* prefix, int formIndex, int stored) {
    const int index = CAttributeForm::ComboIndexOrBlank(formIndex);
    QString text =
        index == 0 ? QStringLiteral("blank") : QLatin1String(prefix) + QString::number(index - 1);
    if (index == 0 && stored != -1)
        text += QStringLiteral(" (stored %1, not in the list)").arg(stored);
    return text;
}
// Texts from the file may hold control bytes: shown in the notation, never obeyed.
QString Quoted(const QString& s) {
    return QLatin1Char('"') + Notation::VisibleForm(s) + QLatin1Char('"');
}

void ShowProject(const CKVUDoc& d, QTextStream& out) {
    auto row = [&out](const QString& name, const QString& value) {
        out << name.leftJustified(20) << ' ' << value << '\n';
    };
    CAttributeForm form;
    form.FromDocument(d);
    for (const CAttributeForm::Check& c : CAttributeForm::kChecks)
        row(QLatin1String(c.label), YesNo(d.*(c.document)));
    row(QStringLiteral("Font"), ComboText("K", form.m_nFont, d.m_nFont));
    row(QStringLiteral("Contrast"), ComboText("", form.m_nContrast, d.m_nContrast));
    for (const CAttributeForm::NumberRow& n : CAttributeForm::kNumbers) {
        if (n.field < CAttributeForm::SleepHours)
            row(QLatin1String(n.label), SentNumberText(form.Number(n.field), d.*(n.document)));
    }
    row(QStringLiteral("Sleep Timer"),
        QStringLiteral("%1 h %2 min %3 s")
            .arg(SentNumberText(form.Number(CAttributeForm::SleepHours), d.m_nSleepHours),
                 SentNumberText(form.Number(CAttributeForm::SleepMinutes), d.m_nSleepMinutes),
                 SentNumberText(form.Number(CAttributeForm::SleepSeconds), d.m_nSleepSeconds)));
    row(QStringLiteral("Test Message"), Quoted(d.m_strTestMessage));
    for (int i = 0; i < CKVUDoc::kMacroCount; ++i)
        row(QStringLiteral("Macro %1").arg(i + 1), Quoted(d.m_strMacroCaption[size_t(i)]) +
                                                       QStringLiteral(": ") +
                                                       Quoted(d.m_strMacroText[size_t(i)]));
    for (int i = 0; i < CKVUDoc::kSendFileCount; ++i)
        row(QStringLiteral("Send file %1").arg(i + 1), Quoted(d.m_strSendFile[size_t(i)]));
    CCommandBuffer stream;
    form.BuildAttributeStream(stream);
    row(QStringLiteral("Attribute stream"),
        stream.GetSize() ? QString::fromLatin1(stream.Bytes().toHex(' ').toUpper())
                         : QStringLiteral("(empty)"));
}

int RunShow(CCliRun& run) {
    CKVUDoc doc;
    if (!run.LoadProject(run.Argument(0), doc))
        return KvuCtlExit::FileError;
    ShowProject(doc, run.Out());
    return KvuCtlExit::Ok;
}

int RunNew(CCliRun& run) {
    const QString path = run.Argument(0);
    if (QFileInfo::exists(path) && !run.IsSet(QStringLiteral("force"))) {
        run.Err() << "kvuctl: " << path << " exists (use --force to replace it)\n";
        return KvuCtlExit::FileError;
    }
    QString detail;
    if (CProjectFile::Save(path, CKVUDoc(), &detail) != CProjectFile::Result::Ok) {
        run.FileError(path, CProjectFile::Message(CProjectFile::Result::CannotWrite), detail);
        return KvuCtlExit::FileError;
    }
    return KvuCtlExit::Ok;
}
} // namespace

std::vector<CCliCommand> ProjectCommands() {
    return {
        {QStringLiteral("project show"),
         QStringLiteral("FILE"),
         QStringLiteral("Print a project's values."),
         QStringLiteral(
             "Prints every value of the project as it will be sent: a flag by its low\n"
             "byte, a number as the page reads it, a list index only when the list\n"
             "shows it (a stored value that differs is named). Texts are shown in the\n"
             "command notation, so control bytes in the file never reach the terminal.\n"),
         {},
         1,
         RunShow,
         {QStringLiteral("kvuctl project show shop.qpf")}},
        {QStringLiteral("project new"),
         QStringLiteral("FILE [--force]"),
         QStringLiteral("Write a new, empty project."),
         QStringLiteral("Writes the project File New makes. An existing file is kept unless\n"
                        "--force is given; what is not a regular file is never replaced.\n"),
         {QStringLiteral("force")},
         1,
         RunNew,
         {QStringLiteral("kvuctl project new shop.qpf"),
          QStringLiteral("kvuctl project new shop.qpf --force")}},
    };
}
