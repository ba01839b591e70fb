#include "ProvisionPlan.h"

#include "RadioStepFields.h"
#include "RecipeTemplate.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "files/FileAccess.h"
#include "logo/LogoTransfer.h"
#include "module1/AttributeProgrammer.h"
#include "module1/CommandBuffer.h"
#include "module1/Notation.h"
#include "module1/SupervisoryQuery.h"
#include "wireless/AtExchange.h"
#include "wireless/FormField.h"

#include <QCryptographicHash>

namespace {
const QString kAddress = QStringLiteral("address");

bool ParseChoice(const QString& text, std::initializer_list<int> choices, int* value) {
    int v = 0;
    if (!FormField::ParseInteger(text, &v))
        return false;
    for (int c : choices) {
        if (c == v) {
            *value = v;
            return true;
        }
    }
    return false;
}

// The picture keys with the logo view's choices (those of kvuctl's logo commands).
bool PictureOptionsOf(const CPlannedStep& step, CPictureOptions* o, QString* error) {
    const auto has = [&](const char* k) { return step.values.contains(QLatin1String(k)); };
    const auto text = [&](const char* k) { return step.values.value(QLatin1String(k)); };
    if (has("width-code") && !ParseChoice(text("width-code"), {2, 3, 4}, &o->widthCode)) {
        *error = QStringLiteral("width-code takes 2, 3 or 4");
        return false;
    }
    if (has("height")) {
        int h = 0;
        QString message;
        if (!FormField::Check(FieldKind::Integer, 0, CLogoRaster::kMinHeight, CLogoRaster::kMaxRows,
                              text("height"), &h, &message)) {
            *error = QStringLiteral("height: ") + message;
            return false;
        }
        o->height = h;
    }
    if (has("zoom") && !ParseChoice(text("zoom"), {2, 3, 4, 6, 8, 12}, &o->zoom)) {
        *error = QStringLiteral("zoom takes 2, 3, 4, 6, 8 or 12 (quarters)");
        return false;
    }
    if (has("pan")) {
        const QStringList parts = text("pan").split(QLatin1Char(','));
        const int limit = 100000;
        bool ok = parts.size() == 2 && FormField::ParseInteger(parts[0], &o->panX) &&
                  FormField::ParseInteger(parts[1], &o->panY);
        ok = ok && o->panX >= -limit && o->panX <= limit && o->panY >= -limit && o->panY <= limit;
        if (!ok) {
            *error = QStringLiteral("pan takes \"X,Y\" in screen pixels");
            return false;
        }
    }
    if (has("threshold") && !ParseChoice(text("threshold"), {25, 50, 75, 99}, &o->threshold)) {
        *error = QStringLiteral("threshold takes 25, 50, 75 or 99");
        return false;
    }
    o->dither = text("dither") == QLatin1String("1");
    if (o->dither && has("threshold")) {
        *error = QStringLiteral("dither and threshold exclude each other");
        return false;
    }
    return true;
}

int RasterBytes(const CLogoRaster& raster) {
    return raster.m_nHeight * (4 + raster.m_nBytesPerLine);
}

bool ReadySlot(CPlannedStep& step, QString* error) {
    if (!step.values.contains(QStringLiteral("slot"))) {
        *error = QStringLiteral("needs slot = 0 to 7");
        return false;
    }
    if (!ParseChoice(step.values.value(QStringLiteral("slot")), {0, 1, 2, 3, 4, 5, 6, 7},
                     &step.slot)) {
        *error = QStringLiteral("slot is 0 to 7");
        return false;
    }
    return true;
}

bool ReadyPicture(CPlannedStep& step, const CRecipe& recipe, const PictureLoader& loader,
                  QString* error) {
    CPictureOptions o;
    if (!PictureOptionsOf(step, &o, error))
        return false;
    step.file = recipe.Resolve(step.values.value(QStringLiteral("picture")));
    step.raster = std::make_shared<CLogoRaster>();
    if (!loader) {
        *error = QStringLiteral("pictures cannot be read here");
        return false;
    }
    return loader(step.file, o, step.raster.get(), error);
}

// A radio step's values into its form through the page's own checks, and its set
// commands built, so that nothing the module would refuse is left for the run to find.
template <class Form>
bool ReadyRadio(CPlannedStep& step, std::shared_ptr<Form>* out, QString* error) {
    auto form = std::make_shared<Form>();
    form->InitDialog();
    for (auto it = step.values.cbegin(); it != step.values.cend(); ++it) {
        if (!RadioStepFields::Take(*form, it.key(), it.value(), error)) {
            *error = it.key() + QStringLiteral(": ") + *error;
            return false;
        }
    }
    QVector<QByteArray> commands;
    QString refusal;
    if (!form->BuildWriteCommands(&commands, &refusal)) {
        *error = refusal;
        return false;
    }
    int written = 0;
    for (const QByteArray& c : commands)
        written += int(c.size());
    // Each exchange: the pass-through command, the escape sequence, its AT commands, the
    // data-mode command and the closing marker.
    const int frame =
        int(form->PassThruCommand().size() + form->EscapeSequence().size() +
            qstrlen(CAtExchange::kDataModeCommand) + qstrlen(CAtExchange::kClosingMarker));
    const int read = frame + int(CAtExchange::Batch(Form::Queries()).size());
    step.bytes = frame + written + read;
    step.bytesNote = QStringLiteral("%1 set commands (%2 bytes) and the read-back (%3 bytes)")
                         .arg(commands.size())
                         .arg(frame + written)
                         .arg(read);
    if (step.needsAddress) {
        step.bytes += read;
        step.bytesNote += QStringLiteral(", after a read for {address} (%1 bytes)").arg(read);
    }
    *out = form;
    return true;
}
} // namespace

bool CProvisionPlan::IsSecret(const QString& kind, const QString& key) {
    return (kind == QLatin1String("bt") && key == QLatin1String("pin")) ||
           (kind == QLatin1String("wlan") && key == QLatin1String("key"));
}

void CProvisionPlan::FillAddress(CPlannedStep& step, const QString& address) {
    for (auto it = step.values.begin(); it != step.values.end(); ++it) {
        it.value() = RecipeTemplate::Expand(it.value(), [&](const QString& name, QString* value) {
            if (name != kAddress)
                return false;
            *value = address;
            return true;
        });
    }
    step.needsAddress = false;
}

bool CProvisionPlan::Ready(CPlannedStep& step, const CRecipe& recipe, const PictureLoader& loader,
                           QString* error) {
    const QString& kind = step.kind;
    step.ready = false;
    if (kind == QLatin1String("detect")) {
        step.bytes = 9 + int(CSupervisoryQuery::kFirmwareVersion.size());
        step.bytesNote = QStringLiteral("at most: the battery query (1 byte) at each rate "
                                        "until one answers (9 rates), the firmware query (3)");
    } else if (kind == QLatin1String("check-battery")) {
        const QString text = step.values.value(QStringLiteral("min-volts"));
        bool ok = false;
        const double volts = text.toDouble(&ok);
        if (text.isEmpty() || !ok || volts < 0 || volts > 99) {
            *error = QStringLiteral("needs min-volts = 0 to 99 (the lowest battery voltage at "
                                    "which the recipe goes on)");
            return false;
        }
        step.minMillivolts = int(volts * 1000 + 0.5);
        step.bytes = 1;
        step.bytesNote = QStringLiteral("the battery query");
    } else if (kind == QLatin1String("burn")) {
        if (!step.values.contains(QStringLiteral("project"))) {
            *error = QStringLiteral("needs project = \"FILE.qpf\"");
            return false;
        }
        step.file = recipe.Resolve(step.values.value(QStringLiteral("project")));
        CKVUDoc doc;
        QString detail;
        const CProjectFile::Result r = CProjectFile::Load(step.file, doc, &detail);
        if (r != CProjectFile::Result::Ok) {
            *error = QStringLiteral("%1: %2%3")
                         .arg(step.file, CProjectFile::Message(r),
                              detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail));
            return false;
        }
        step.attributes = std::make_shared<CAttributeForm>();
        step.attributes->FromDocument(doc);
        step.bytes = int(CAttributeProgrammer::ExportBytes(*step.attributes).size());
        step.bytesNote = QStringLiteral("the burn sequence with the attribute stream");
    } else if (kind == QLatin1String("flash")) {
        if (!ReadySlot(step, error))
            return false;
        if (!step.values.contains(QStringLiteral("picture"))) {
            *error = QStringLiteral("needs picture = \"FILE\"");
            return false;
        }
        if (!ReadyPicture(step, recipe, loader, error))
            return false;
        const int prologue = int(CLogoTransfer::DownloadPrologue().size());
        const int select = int(CLogoTransfer::SlotSelect(step.slot).size());
        const int epilogue = int(CLogoTransfer::DownloadEpilogue().size());
        step.bytes = prologue + select + RasterBytes(*step.raster) + epilogue;
        step.bytesNote = QStringLiteral("%1 lines of %2 dots into slot %3")
                             .arg(step.raster->m_nHeight)
                             .arg(step.raster->m_nDots)
                             .arg(step.slot);
    } else if (kind == QLatin1String("bt")) {
        if (!ReadyRadio(step, &step.bluetooth, error))
            return false;
    } else if (kind == QLatin1String("wlan")) {
        if (!ReadyRadio(step, &step.wlan, error))
            return false;
    } else if (kind == QLatin1String("test-print")) {
        const bool text = step.values.contains(QStringLiteral("text"));
        const bool picture = step.values.contains(QStringLiteral("picture"));
        if (text == picture) {
            *error = QStringLiteral("needs text = \"...\" or picture = \"FILE\" (one of them)");
            return false;
        }
        if (text) {
            step.text = Notation::Parse(step.values.value(QStringLiteral("text")));
            if (step.text.size() > CCommandBuffer::kMaxText) {
                *error = QStringLiteral("text: Please enter no more than %1 characters.")
                             .arg(CCommandBuffer::kMaxText);
                return false;
            }
            step.bytes = int(step.text.size());
            step.bytesNote = QStringLiteral("the text in the command notation");
        } else {
            if (!ReadyPicture(step, recipe, loader, error))
                return false;
            step.bytes = RasterBytes(*step.raster);
            step.bytesNote = QStringLiteral("%1 lines of %2 dots")
                                 .arg(step.raster->m_nHeight)
                                 .arg(step.raster->m_nDots);
        }
    } else if (kind == QLatin1String("print-logo")) {
        if (!ReadySlot(step, error))
            return false;
        step.bytes = int(CLogoTransfer::PrintStoredSlot(step.slot).size());
        step.bytesNote = QStringLiteral("print slot %1").arg(step.slot);
    }
    step.ready = true;
    return true;
}

bool CProvisionPlan::Fill(const CRecipeStep& step, CPrinterPlan& printer, CPlannedStep* planned,
                          QString* error) const {
    for (const CRecipeValue& v : step.values) {
        QString text = v.text;
        if (v.isString) {
            QStringList names;
            QString why;
            if (!RecipeTemplate::Names(v.text, &names, &why)) {
                *error = QStringLiteral("%1:%2: %3: %4")
                             .arg(m_recipe.m_path)
                             .arg(v.line)
                             .arg(v.key, why);
                return false;
            }
            for (const QString& name : names) {
                if (RecipeTemplate::PrinterNames().contains(name))
                    continue;
                if (!m_hasTable) {
                    *error = QStringLiteral("%1:%2: %3: {%4} names a column, but the recipe "
                                            "names no printers file")
                                 .arg(m_recipe.m_path)
                                 .arg(v.line)
                                 .arg(v.key, name);
                    return false;
                }
                if (!m_table.HasColumn(name)) {
                    *error = QStringLiteral("%1:%2: %3: {%4} is not a column of %5 (it has %6)")
                                 .arg(m_recipe.m_path)
                                 .arg(v.line)
                                 .arg(v.key, name, m_recipe.m_printers,
                                      m_table.Columns().join(QStringLiteral(", ")));
                    return false;
                }
            }
            planned->needsAddress |= names.contains(kAddress);
            text = RecipeTemplate::Expand(
                v.text,
                [&](const QString& name, QString* value) {
                    if (name == QLatin1String("n"))
                        *value = QString::number(printer.who.n);
                    else if (name == QLatin1String("serial"))
                        *value = printer.who.serial;
                    else if (name == QLatin1String("port"))
                        *value = printer.who.port;
                    else if (name == kAddress)
                        return false;
                    else
                        *value = m_table.Value(printer.row, name);
                    return true;
                },
                true);
            if (!planned->needsAddress)
                text = RecipeTemplate::Expand(text, [](const QString&, QString*) { return false; });
        }
        planned->values.insert(v.key, text);
    }
    return true;
}

bool CProvisionPlan::Build(const CRecipe& recipe, const QList<CPrinterIdentity>& printers,
                           const PictureLoader& loader, QString* error) {
    m_recipe = recipe;
    m_printers.clear();
    m_hasTable = !recipe.m_printers.isEmpty();
    if (m_hasTable && !m_table.Read(recipe.Resolve(recipe.m_printers), recipe.m_key, error))
        return false;

    for (const CPrinterIdentity& who : printers) {
        CPrinterPlan printer;
        printer.who = who;
        if (m_hasTable) {
            QString key;
            if (recipe.m_key == QLatin1String("n"))
                key = QString::number(who.n);
            else if (recipe.m_key == QLatin1String("serial"))
                key = who.serial;
            else
                key = who.stableName.isEmpty() ? who.port : who.stableName;
            printer.row = key.isEmpty() ? -1 : m_table.FindRow(key);
            // A port named by its device finds the row that names its stable name too.
            if (printer.row < 0 && recipe.m_key == QLatin1String("port"))
                printer.row = m_table.FindRow(who.port);
            if (printer.row < 0) {
                *error = key.isEmpty()
                             ? QStringLiteral("%1: the port %2 has no %3, which the recipe's "
                                              "key looks for")
                                   .arg(recipe.m_printers, who.port, recipe.m_key)
                             : QStringLiteral("%1: no row for printer %2 (%3 %4)")
                                   .arg(recipe.m_printers, who.port, recipe.m_key, key);
                return false;
            }
        }
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(recipe.m_source);
        int index = 0;
        for (const CRecipeStep& step : recipe.m_steps) {
            CPlannedStep planned;
            planned.index = ++index;
            planned.kind = step.kind;
            if (!Fill(step, printer, &planned, error))
                return false;
            // A step that names {address} is made ready once the module has told it; for the
            // byte count, and to find what else is wrong now, a copy is made ready with an
            // address of the usual twelve characters.
            CPlannedStep trial = planned;
            if (planned.needsAddress)
                FillAddress(trial, QStringLiteral("0012F3000000"));
            if (!Ready(trial, recipe, loader, error)) {
                *error = QStringLiteral("%1:%2: %3 (printer %4, %5): %6")
                             .arg(recipe.m_path)
                             .arg(step.line)
                             .arg(step.kind)
                             .arg(who.n)
                             .arg(who.port, *error);
                return false;
            }
            if (planned.needsAddress) {
                planned.bytes = trial.bytes;
                planned.bytesNote = trial.bytesNote + QStringLiteral(", with {address} as 12 "
                                                                     "characters");
            } else {
                planned = trial;
            }
            // What this printer gets: its values, and the files they name.
            hash.addData(QStringLiteral("\n%1").arg(planned.kind).toUtf8());
            for (auto it = planned.values.cbegin(); it != planned.values.cend(); ++it)
                hash.addData(QStringLiteral("\n%1=%2").arg(it.key(), it.value()).toUtf8());
            if (!planned.file.isEmpty()) {
                QByteArray bytes;
                FileAccess::ReadRegularFile(planned.file, CRecipe::kFileLimit * 16, &bytes);
                hash.addData(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
            }
            printer.steps.push_back(planned);
        }
        printer.hash = QString::fromLatin1(hash.result().toHex().left(16));
        m_printers.push_back(printer);
    }
    return true;
}

const CPrinterPlan* CProvisionPlan::Find(const QString& port) const {
    for (const CPrinterPlan& p : m_printers) {
        if (p.who.port == port)
            return &p;
    }
    return nullptr;
}
