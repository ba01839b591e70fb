#pragma once

#include "../cli/KvuCtlFixture.h"
#include "../core/logo/BmpBuilder.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// kvuctl provision on several simulated printers, each on its own virtual clock, with the
// recipe's files in the fixture's folder. Each printer has a USB serial number of its own
// ("SIM-1", ...), which stays with it when it is plugged in again on another device.
class ProvisionFixture : public KvuCtlFixture {
protected:
    void SetUp() override {
        KvuCtlFixture::SetUp();
        CKVUDoc doc;
        doc.m_bBold = 1;
        ASSERT_EQ(CProjectFile::Save(dir.filePath("shop.qpf"), doc), CProjectFile::Result::Ok);
        Write("wide.bmp", Black(200, 40));
        Write("narrow.bmp", Black(40, 120));
        record = dir.filePath("record.sqlite");
    }
    // A black picture of that size: its logo is as wide and as high as the picture.
    static QByteArray Black(int width, int height) {
        BmpBuilder b;
        b.width = width;
        b.height = height;
        b.pixel = [](int, int) { return 0x000000u; };
        return b.Build();
    }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    CSimHarness& Add(const SimConfig& config = SimConfig()) {
        SimConfig c = config;
        c.unitNumber = int(sims.size()) + 1;
        sims.push_back(std::make_unique<CSimHarness>(c));
        serials.push_back(QStringLiteral("SIM-%1").arg(sims.size()));
        EXPECT_TRUE(sims.back()->Started());
        return *sims.back();
    }
    // Unplugs printer i and plugs in a sound one with the same serial number on a new device.
    void Replug(size_t i) {
        SimConfig c;
        c.unitNumber = int(i) + 1;
        sims[i] = std::make_unique<CSimHarness>(c);
        EXPECT_TRUE(sims[i]->Started());
    }
    QString Device(size_t i) const { return sims[i]->Sim().DevicePath(); }
    QString Ports() const {
        QStringList all;
        for (size_t i = 0; i < sims.size(); ++i)
            all << Device(i);
        return all.join(QLatin1Char(','));
    }
    int Provision(QStringList extra) {
        KvuCtlContext context;
        context.makePortServices = [this](const QString& port,
                                          bool yes) -> std::unique_ptr<IUiServices> {
            for (auto& h : sims) {
                if (h->Sim().DevicePath() == port)
                    return std::make_unique<CForwardingServices>(h->Services(), yes);
            }
            return std::make_unique<CForwardingServices>(stray, yes);
        };
        context.listPorts = [this] {
            QList<CPortInfo> ports;
            for (size_t i = 0; i < sims.size(); ++i) {
                CPortInfo info;
                info.device = Device(i);
                info.serialNumber = serials[i];
                ports << info;
            }
            return ports;
        };
        QStringList args = {QStringLiteral("provision"), dir.filePath("recipe.toml"),
                            QStringLiteral("--ports"),   Ports(),
                            QStringLiteral("--record"),  record};
        return RunWith(args + extra, context);
    }
    QByteArray TakeReceived(size_t i) { return sims[i]->TakeReceived(); }
    // The record's runs as `record list --json` gives them.
    QJsonArray Runs() {
        const QString keepOut = out, keepErr = err;
        RunWith({QStringLiteral("record"), QStringLiteral("list"), QStringLiteral("--json"),
                 QStringLiteral("--record"), record},
                KvuCtlContext());
        const QJsonArray runs = QJsonDocument::fromJson(out.toUtf8()).array();
        out = keepOut;
        err = keepErr;
        return runs;
    }

    std::vector<std::unique_ptr<CSimHarness>> sims;
    std::vector<QString> serials;
    CRecordingServices stray;
    QString record;
};
