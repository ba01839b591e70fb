#pragma once

#include "ForwardingServices.h"
#include "KvuCtl.h"
#include "SimHarness.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include <memory>

// kvuctl run in-process: its settings in a file of a temporary folder, what it prints
// caught in `out` and `err`.
class KvuCtlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        settings = std::make_unique<QSettings>(dir.filePath("kvu.ini"), QSettings::IniFormat);
    }

    // With a harness, its recorder takes the status lines, messages and pauses (so they
    // run on its virtual clock), and its printer is the --port unless the arguments name
    // one. `forwardYes` answers questions as kvuctl's --yes says; without it the
    // recorder's own script answers.
    int Run(QStringList args, CSimHarness* sim = nullptr) {
        KvuCtlContext context;
        if (sim) {
            EXPECT_TRUE(sim->Started()) << "the simulated printer did not start";
            const bool yesAnswers = forwardYes;
            context.makeServices = [sim, yesAnswers](bool yes) {
                return std::make_unique<CForwardingServices>(
                    sim->Services(), yesAnswers ? std::optional<bool>(yes) : std::nullopt);
            };
            if (!args.contains(QStringLiteral("--port")))
                args << QStringLiteral("--port") << sim->Sim().DevicePath();
        }
        return RunWith(args, context);
    }
    int Run(QStringList args, CSimHarness& sim) { return Run(std::move(args), &sim); }

    // kvuctl with a context the test filled in; the streams and settings are the fixture's.
    int RunWith(QStringList args, KvuCtlContext context) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        context.out = &o;
        context.err = &e;
        context.settings = settings.get();
        if (!context.listPorts && listPorts)
            context.listPorts = listPorts;
        args.prepend(QStringLiteral("kvuctl"));
        const int rc = RunKvuCtl(args, context);
        o.flush();
        e.flush();
        return rc;
    }

    QTemporaryDir dir;
    std::unique_ptr<QSettings> settings;
    QString out, err;
    bool forwardYes = true;
    std::function<QList<CPortInfo>()> listPorts;
};
