// The provisioning record in SQLite and in a PostgreSQL server started for the test: the
// same schema, the same answers.

#include "PostgresServer.h"
#include "ProvisionRecord.h"
#include "ProvisionTestFixture.h"
#include "RecordSchema.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>

namespace {
enum class Backend { SQLite, PostgreSQL };

class RecordTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam() == Backend::SQLite) {
            where = dir.filePath("record.sqlite");
            return;
        }
        server = std::make_unique<CPostgresServer>();
        if (server->BinFolder().isEmpty())
            GTEST_SKIP() << "the PostgreSQL server binaries (Debian's postgresql package) are "
                            "not installed";
        QString error;
        ASSERT_TRUE(server->Start(&error)) << error.toStdString();
        where = server->Url();
    }
    bool Open(CProvisionRecord& record) {
        CRecordLocation location;
        QString error;
        EXPECT_TRUE(CRecordLocation::Parse(where, &location, &error)) << error.toStdString();
        const bool ok = record.Open(location, &error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }
    static CStepResult Step(int index, const char* kind, const char* verdict) {
        CStepResult s;
        s.index = index;
        s.kind = QLatin1String(kind);
        s.verdict = QLatin1String(verdict);
        s.seconds = 1.5;
        return s;
    }

    QTemporaryDir dir;
    std::unique_ptr<CPostgresServer> server;
    QString where;
};
} // namespace

TEST_P(RecordTest, RunsStepsAndResumeAnswersAreTheSameInEitherDatabase) {
    CProvisionRecord record;
    ASSERT_TRUE(Open(record));
    QSqlDatabase db = record.Database();
    EXPECT_EQ(RecordSchema::CurrentVersion(db), RecordSchema::kVersion);

    struct Row {
        const char* serial;
        const char* hash;
        std::vector<const char*> verdicts;
        const char* finish; // nullptr: the station died before the end
        bool done;          // what a later run of the same hash finds
    };
    const Row rows[] = {
        {"S1", "h1", {"done", "done"}, "done", true},
        {"S2", "h1", {"done", "failed"}, "failed", false},
        {"S3", "h1", {"done", "done"}, nullptr, false},
        {"S4", "h1", {}, "done", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.serial);
        CPrinterIdentity who;
        who.port = QStringLiteral("/dev/ttyUSB0");
        who.serial = QLatin1String(row.serial);
        QString error;
        const qint64 run = record.BeginRun(who, "till-rollout", QLatin1String(row.hash), &error);
        ASSERT_GE(run, 0) << error.toStdString();
        int i = 0;
        for (const char* v : row.verdicts) {
            who.address = QStringLiteral("0012F300000%1").arg(i);
            ASSERT_TRUE(record.WriteStep(run, Step(++i, "bt", v), who, &error))
                << error.toStdString();
        }
        if (row.finish)
            ASSERT_TRUE(record.FinishRun(run, QLatin1String(row.finish), &error));
        CPrinterIdentity again;
        again.serial = who.serial;
        EXPECT_EQ(record.IsDone(again, QLatin1String(row.hash), nullptr, &error), row.done);
        EXPECT_FALSE(record.IsDone(again, "another hash", nullptr, &error));
    }

    std::vector<CProvisionRecord::Run> runs;
    QString error;
    ASSERT_TRUE(record.List(QString(), "till-rollout", QString(), &runs, &error));
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].verdict, "done");
    EXPECT_EQ(runs[0].address, "0012F3000001") << "the last step's address is the run's";
    EXPECT_EQ(runs[2].verdict, "failed") << "a run never finished stays failed";
    ASSERT_EQ(runs[1].steps.size(), 2u);
    EXPECT_DOUBLE_EQ(runs[1].steps[1].seconds, 1.5);
    ASSERT_TRUE(record.List(QString(), "other", QString(), &runs, &error));
    EXPECT_TRUE(runs.empty());
    ASSERT_TRUE(record.List("2999-01-01", QString(), QString(), &runs, &error));
    EXPECT_TRUE(runs.empty());
    ASSERT_TRUE(record.List(QString(), QString(), "S2", &runs, &error));
    EXPECT_EQ(runs.size(), 1u);

    // A step whose write fails leaves nothing of itself: the run keeps its address too.
    QSqlQuery(db).exec(QStringLiteral("ALTER TABLE steps RENAME TO steps_gone"));
    CPrinterIdentity who;
    who.serial = QStringLiteral("S1");
    who.address = QStringLiteral("CHANGED");
    EXPECT_FALSE(record.WriteStep(runs[0].id, Step(3, "wlan", "done"), who, &error));
    EXPECT_FALSE(error.isEmpty());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT address FROM runs WHERE serial = 'S2'")) && q.next());
    EXPECT_EQ(q.value(0).toString(), "0012F3000001");
    q.finish();
    QSqlQuery(db).exec(QStringLiteral("ALTER TABLE steps_gone RENAME TO steps"));

    // A second station opens the same record: nothing is created twice.
    CProvisionRecord second;
    ASSERT_TRUE(Open(second));
    ASSERT_TRUE(second.List(QString(), QString(), QString(), &runs, &error));
    EXPECT_EQ(runs.size(), 4u);

    // A record of a newer program is left alone.
    QSqlQuery(db).exec(QStringLiteral("INSERT INTO kvu_record_version (version) VALUES (99)"));
    CProvisionRecord newer;
    CRecordLocation location;
    CRecordLocation::Parse(where, &location, &error);
    EXPECT_FALSE(newer.Open(location, &error));
    EXPECT_TRUE(error.contains("newer")) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return info.param == Backend::SQLite ? std::string("SQLite")
                                                                  : std::string("PostgreSQL");
                         });

// kvuctl provision with --record postgresql://...: the fleet's record on a shared server.
class PostgresProvisionTest : public ProvisionFixture {};

TEST_F(PostgresProvisionTest, ProvisionWritesItsRecordToPostgreSQLAndResumesFromIt) {
    CPostgresServer server;
    if (server.BinFolder().isEmpty())
        GTEST_SKIP() << "the PostgreSQL server binaries (Debian's postgresql package) are not "
                        "installed";
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    record = server.Url();
    for (int i = 0; i < 2; ++i)
        Add();
    Write("recipe.toml", "name = \"pg\"\n[[step]]\ndo = \"detect\"\n[[step]]\ndo = "
                         "\"check-battery\"\nmin-volts = 6.5\n[[step]]\ndo = \"print-logo\"\n"
                         "slot = 1\n");
    ASSERT_EQ(Provision({}), 0) << err.toStdString();
    ASSERT_EQ(Provision({}), 0) << err.toStdString();
    EXPECT_EQ(out.count("skipped: every step was done before"), 2) << out.toStdString();
    const QJsonArray runs = Runs();
    ASSERT_EQ(runs.size(), 4) << err.toStdString();
    EXPECT_EQ(runs[0].toObject().value("steps").toArray().size(), 3);
    EXPECT_EQ(runs[3].toObject().value("verdict").toString(), "skipped");
}
