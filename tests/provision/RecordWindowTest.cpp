// View > Provisioning Record: the record's runs sorted, filtered and exported.

#include "record/RecordWindow.h"
#include "ProvisionRecord.h"
#include "RecordingServices.h"

#include <QFile>
#include <QSqlTableModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class RecordWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath("record.sqlite");
        CProvisionRecord record;
        CRecordLocation where;
        where.file = path;
        QString error;
        ASSERT_TRUE(record.Open(where, &error)) << error.toStdString();
        for (const char* serial : {"SIM-2", "SIM-1", "SIM-3"}) {
            CPrinterIdentity who;
            who.port = QStringLiteral("/dev/ttyUSB0");
            who.serial = QLatin1String(serial);
            const qint64 run = record.BeginRun(who, "till-rollout", "h", &error);
            CStepResult step;
            step.index = 1;
            step.kind = QStringLiteral("bt");
            step.verdict = QStringLiteral("done");
            step.seconds = 2;
            ASSERT_TRUE(record.WriteStep(run, step, who, &error));
            ASSERT_TRUE(record.FinishRun(run, "done", &error));
        }
    }
    QTemporaryDir dir;
    QString path;
    CRecordingServices services;
};
} // namespace

TEST_F(RecordWindowTest, SortsFiltersWithAnyTextAndExportsWhatItShows) {
    CRecordWindow window(services);
    ASSERT_TRUE(window.OpenRecord(path));
    QSqlTableModel* runs = window.Runs();
    EXPECT_EQ(runs->rowCount(), 3);
    const int serial = runs->fieldIndex("serial");
    runs->sort(serial, Qt::AscendingOrder);
    EXPECT_EQ(runs->data(runs->index(0, serial)).toString(), "SIM-1");
    EXPECT_EQ(runs->data(runs->index(2, serial)).toString(), "SIM-3");

    struct Row {
        const char* filter;
        int rows;
    };
    const Row rows[] = {{"SIM-2", 1}, {"sim", 3},   {"till", 3}, {"' OR 1=1 --", 0},
                        {"%", 0},     {"_IM-1", 0}, {"", 3},     {"done", 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.filter);
        window.SetFilter(QLatin1String(row.filter));
        EXPECT_EQ(runs->rowCount(), row.rows);
    }

    window.SetFilter("SIM-3");
    const QString csv = dir.filePath("out.csv");
    ASSERT_TRUE(window.ExportCsv(csv));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("printer,serial,address"));
    EXPECT_TRUE(lines[1].contains("SIM-3"));
    EXPECT_TRUE(lines[1].endsWith("bt:done:2.0"));
}

TEST_F(RecordWindowTest, AMissingRecordIsSaidAndNothingIsCreated) {
    CRecordWindow window(services);
    EXPECT_FALSE(window.OpenRecord(dir.filePath("none.sqlite")));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.sqlite")));
    EXPECT_EQ(window.Runs(), nullptr);
}
