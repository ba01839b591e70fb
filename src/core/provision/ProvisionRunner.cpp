#include "ProvisionRunner.h"

#include "RadioStepFields.h"
#include "app/BaudDetector.h"
#include "app/SerialPort.h"
#include "app/UiServices.h"
#include "logo/LogoTransfer.h"
#include "module1/AttributeProgrammer.h"
#include "module1/SupervisoryQuery.h"
#include "wireless/AtExchange.h"

#include <QElapsedTimer>
#include <QRegularExpression>

namespace {
const QString kWritten = QStringLiteral("written");
const QString kRead = QStringLiteral("read");

QJsonObject Pair(const QString& written, const QString& read) {
    QJsonObject o;
    o.insert(kWritten, written);
    o.insert(kRead, read);
    return o;
}

// The millivolts of the ESC V line of a battery reply, -1 without one.
int Millivolts(const QByteArray& reply) {
    static const QRegularExpression line(QStringLiteral("\x1bV\\s*(\\d+)"));
    const QRegularExpressionMatch m = line.match(QString::fromLatin1(reply));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString Volts(int millivolts) {
    return QStringLiteral("%1.%2")
        .arg(millivolts / 1000)
        .arg((millivolts % 1000) / 10, 2, 10, QLatin1Char('0'));
}

QString TransferFailure(CLogoTransfer::Result r) {
    switch (r) {
    case CLogoTransfer::Result::OpenFailed:
        return QStringLiteral("the port could not be opened");
    case CLogoTransfer::Result::WriteFailed:
        return QStringLiteral("the port could not be written");
    case CLogoTransfer::Result::NoQuestion:
        return QStringLiteral("no '?' from the printer");
    default:
        return QStringLiteral("refused");
    }
}

QString ExchangeFailure(const CAtExchange::Result& r) {
    switch (r.outcome) {
    case CAtExchange::Outcome::OpenFailed:
        return QStringLiteral("the port could not be opened");
    case CAtExchange::Outcome::WriteFailed:
        return QStringLiteral("the port could not be written");
    case CAtExchange::Outcome::Refused:
        return QStringLiteral("a value does not fit its command");
    case CAtExchange::Outcome::Interrupted:
        return QStringLiteral("interrupted");
    case CAtExchange::Outcome::Completed:
        break;
    }
    return r.ok ? QString() : QStringLiteral("the module did not answer OK");
}

// A radio step: write, then read back and compare every setting the step gave.
template <class Form>
bool WriteAndVerify(CSerialPort& link, IUiServices& services, const CPlannedStep& step,
                    const Form& given, CStepResult* result, QString* address) {
    Form form = given;
    CAtExchange::Result wrote;
    {
        CAtExchange exchange(link, services, form);
        wrote = exchange.Write(form);
    }
    if (wrote.outcome != CAtExchange::Outcome::Completed || !wrote.ok) {
        result->message = ExchangeFailure(wrote);
        if (wrote.outcome == CAtExchange::Outcome::Completed)
            result->message = QStringLiteral("%1 of %2 settings were not confirmed with OK")
                                  .arg(wrote.replies.size() - wrote.answered)
                                  .arg(wrote.replies.size());
        return false;
    }
    Form back = form;
    back.Clear();
    CAtExchange::Result read;
    {
        CAtExchange exchange(link, services, back);
        read = exchange.Read(back);
    }
    if (read.outcome != CAtExchange::Outcome::Completed || !read.ok) {
        result->message = QStringLiteral("read-back: ") + ExchangeFailure(read);
        return false;
    }
    *address = back.m_strDeviceAddress;
    QStringList differing;
    const Form* kind = nullptr;
    for (auto it = step.values.cbegin(); it != step.values.cend(); ++it) {
        const QString& key = it.key();
        const bool secret = CProvisionPlan::IsSecret(step.kind, key);
        if (!RadioStepFields::ReadsBack(kind, key)) {
            if (secret)
                result->values.insert(key, QLatin1String(StepVerdict::kSecretWritten));
            else if (!RadioStepFields::Setting(form, key).isEmpty() ||
                     key == QLatin1String("key-index"))
                result->values.insert(key, Pair(RadioStepFields::Setting(form, key), QString()));
            continue;
        }
        const QString w = RadioStepFields::Setting(form, key);
        const QString r = RadioStepFields::Setting(back, key);
        if (w != r)
            differing
                << (secret ? QStringLiteral("%1 reads back differently").arg(key)
                           : QStringLiteral("%1 reads back \"%2\", wrote \"%3\"").arg(key, r, w));
        const QString secretNote = w == r ? QLatin1String(StepVerdict::kSecretVerified)
                                          : QLatin1String("written, read back differently");
        result->values.insert(key, secret ? QJsonValue(secretNote) : QJsonValue(Pair(w, r)));
    }
    if (!differing.isEmpty()) {
        result->message = QStringLiteral("verify: ") + differing.join(QStringLiteral("; "));
        return false;
    }
    return true;
}
} // namespace

bool CProvisionRunner::AllDone(const std::vector<CStepResult>& results) {
    for (const CStepResult& r : results) {
        if (!r.Done())
            return false;
    }
    return !results.empty();
}

bool CProvisionRunner::ReadAddress(const QString& kind, CPrinterIdentity& who, QString* error) {
    CAtExchange::Result read;
    QString address;
    if (kind == QLatin1String("wlan")) {
        CWlanForm form;
        form.InitDialog();
        form.Clear();
        CAtExchange exchange(m_link, m_services, form);
        read = exchange.Read(form);
        address = form.m_strDeviceAddress;
    } else {
        CBluetoothForm form;
        form.InitDialog();
        form.Clear();
        CAtExchange exchange(m_link, m_services, form);
        read = exchange.Read(form);
        address = form.m_strDeviceAddress;
    }
    if (read.outcome != CAtExchange::Outcome::Completed || address.trimmed().isEmpty()) {
        *error = QStringLiteral("the radio module's address could not be read (%1)")
                     .arg(read.outcome == CAtExchange::Outcome::Completed
                              ? QStringLiteral("no address in the reply")
                              : ExchangeFailure(read));
        return false;
    }
    who.address = address.trimmed();
    return true;
}

CStepResult CProvisionRunner::RunStep(CPlannedStep& step, CPrinterIdentity& who) {
    CStepResult result;
    result.index = step.index;
    result.kind = step.kind;
    result.verdict = QLatin1String(StepVerdict::kFailed);
    const QString& kind = step.kind;

    if (step.needsAddress) {
        QString error;
        if (who.address.isEmpty() && !ReadAddress(kind, who, &error)) {
            result.message = error;
            return result;
        }
        CProvisionPlan::FillAddress(step, who.address);
        if (!CProvisionPlan::Ready(step, m_recipe, m_loader, &error)) {
            result.message = error;
            return result;
        }
    }

    bool ok = false;
    if (kind == QLatin1String("detect")) {
        CBaudDetector detector(m_link, m_services);
        detector.SetOnTry([this](int rate) {
            m_services.Status(QStringLiteral("Trying %1 bit/s...").arg(rate));
        });
        const CBaudDetector::Result found = detector.Detect();
        if (found.problem.kind != COpenProblem::Kind::None) {
            result.message = found.problem.text;
        } else if (!found.Found()) {
            result.message = QStringLiteral("no answer to the battery query at any of the %1 "
                                            "rates")
                                 .arg(found.tried);
        } else {
            m_link.m_nBaudRate = found.rate;
            result.values.insert(QStringLiteral("rate"),
                                 Pair(QString(), QString::number(found.rate)));
            // The firmware version names the printer in the record.
            const CSupervisoryQuery::Reply fw =
                CSupervisoryQuery(m_link, m_services).Send(CSupervisoryQuery::kFirmwareVersion);
            who.firmware = QString::fromLatin1(fw.bytes).trimmed();
            result.values.insert(QStringLiteral("firmware"), Pair(QString(), who.firmware));
            result.message = QStringLiteral("%1 bit/s").arg(found.rate);
            ok = true;
        }
    } else if (kind == QLatin1String("check-battery")) {
        const CSupervisoryQuery::Reply reply =
            CSupervisoryQuery(m_link, m_services).Send(CSupervisoryQuery::kBatteryStatus);
        const int mv = Millivolts(reply.bytes);
        if (!reply.exchanged) {
            result.message = QStringLiteral("the port could not be opened or written");
        } else if (mv < 0) {
            result.message = QStringLiteral("no battery reply");
        } else {
            result.values.insert(QStringLiteral("volts"), Pair(QString(), Volts(mv)));
            ok = mv >= step.minMillivolts;
            result.message = ok ? QStringLiteral("%1 V").arg(Volts(mv))
                                : QStringLiteral("battery at %1 V, below %2 V: the printer is "
                                                 "left as it is")
                                      .arg(Volts(mv), Volts(step.minMillivolts));
        }
    } else if (kind == QLatin1String("burn")) {
        result.values.insert(QStringLiteral("project"), Pair(step.file, QString()));
        switch (CAttributeProgrammer(m_link, m_services).Burn(*step.attributes)) {
        case CAttributeProgrammer::BurnResult::Confirmed:
            ok = true;
            result.message = QStringLiteral("D!X");
            break;
        case CAttributeProgrammer::BurnResult::OpenFailed:
            result.message = QStringLiteral("the port could not be opened");
            break;
        case CAttributeProgrammer::BurnResult::WriteFailed:
            result.message = QStringLiteral("the port could not be written");
            break;
        case CAttributeProgrammer::BurnResult::Abandoned:
            result.message = QStringLiteral("no '?' and not continued (use --yes)");
            break;
        default:
            result.message = QStringLiteral("no D!X from the printer");
        }
    } else if (kind == QLatin1String("flash")) {
        result.values.insert(QStringLiteral("slot"), Pair(QString::number(step.slot), QString()));
        result.values.insert(QStringLiteral("picture"), Pair(step.file, QString()));
        const CLogoTransfer::Result r =
            CLogoTransfer(m_link, m_services).FlashLogo(*step.raster, step.slot);
        ok = r == CLogoTransfer::Result::Done;
        if (!ok)
            result.message = TransferFailure(r);
    } else if (kind == QLatin1String("bt") || kind == QLatin1String("wlan")) {
        QString address;
        ok = kind == QLatin1String("bt")
                 ? WriteAndVerify(m_link, m_services, step, *step.bluetooth, &result, &address)
                 : WriteAndVerify(m_link, m_services, step, *step.wlan, &result, &address);
        if (!address.trimmed().isEmpty())
            who.address = address.trimmed();
        if (ok)
            result.message = QStringLiteral("written and verified");
    } else if (kind == QLatin1String("test-print")) {
        if (step.raster) {
            result.values.insert(QStringLiteral("picture"), Pair(step.file, QString()));
            const CLogoTransfer::Result r =
                CLogoTransfer(m_link, m_services).TestPrint(*step.raster);
            ok = r == CLogoTransfer::Result::Done;
            if (!ok)
                result.message = TransferFailure(r);
        } else {
            result.values.insert(QStringLiteral("text"),
                                 Pair(step.values.value(QStringLiteral("text")), QString()));
            ok = m_link.SendBlock(step.text) != 0;
            if (!ok)
                result.message = QStringLiteral("the port could not be written");
        }
    } else if (kind == QLatin1String("print-logo")) {
        result.values.insert(QStringLiteral("slot"), Pair(QString::number(step.slot), QString()));
        const CLogoTransfer::Result r = CLogoTransfer(m_link, m_services).PrintSlot(step.slot);
        ok = r == CLogoTransfer::Result::Done;
        if (!ok)
            result.message = TransferFailure(r);
    }
    if (ok)
        result.verdict = QLatin1String(StepVerdict::kDone);
    return result;
}

std::vector<CStepResult> CProvisionRunner::Run(std::vector<CPlannedStep> steps,
                                               CPrinterIdentity& who) {
    std::vector<CStepResult> results;
    bool stopped = false;
    for (CPlannedStep& step : steps) {
        CStepResult result;
        if (stopped) {
            result.index = step.index;
            result.kind = step.kind;
            result.verdict = QLatin1String(StepVerdict::kNotRun);
        } else {
            if (m_onStart)
                m_onStart(step);
            QElapsedTimer clock;
            clock.start();
            result = RunStep(step, who);
            result.seconds = double(clock.elapsed()) / 1000.0;
            stopped = !result.Done();
        }
        if (m_onResult)
            m_onResult(result);
        results.push_back(result);
    }
    return results;
}
