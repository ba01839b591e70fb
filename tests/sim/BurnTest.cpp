// Configure and Burn against the simulated printer, on the virtual clock.

#include "SimHarness.h"
#include "module1/AttributeForm.h"
#include "module1/AttributeProgrammer.h"

#include <gtest/gtest.h>

namespace {
using Result = CAttributeProgrammer::BurnResult;

const QStringList kStepsToQuestion = {"Wait...", "Sent ESC-EN.", "Sent ESC-XX.", "Sent ESC-DS.",
                                      "Waiting for a '?' character..."};
const QStringList kStepsAfterQuestion = {"Sent ESC-SL.", "Sent user commands.",
                                         "Sent ESC-ST-0xFF-<CR>.", "Sent ESC-SB-<CR>.", "Ready"};

QByteArray Sequence(const QByteArray& stream) {
    return QByteArray("\x1B"
                      "EN\x1BXX\x1B"
                      "DS\x1BSL") +
           stream + QByteArray("\x1BST\xFF\r\x1BSB\r", 9);
}

CAttributeForm BoldForm() {
    CAttributeForm form;
    form.ClickCheck(1022, true);
    form.m_nFont = 3;
    form.m_strLineSpacing = "24";
    form.m_strSleepMinutes = "10";
    return form;
}

struct BurnRun {
    std::unique_ptr<CSimHarness> h;
    Result result;
    explicit BurnRun(const SimConfig& config, const CAttributeForm& form = BoldForm(),
                     MsgAnswer answer = MsgAnswer::No) {
        h = std::make_unique<CSimHarness>(config);
        h->Services().ScriptAnswer(answer);
        CAttributeProgrammer programmer(h->Link(), h->Services());
        result = programmer.Burn(form);
    }
    QStringList Status() const { return h->Services().StatusTexts(); }
    QStringList Messages() const { return h->Services().MessageTexts(); }
};
} // namespace

TEST(Burn, SucceedsWithEveryStepInOrder) {
    BurnRun run{SimConfig{}};
    EXPECT_EQ(run.result, Result::Confirmed);
    EXPECT_EQ(run.Status(),
              kStepsToQuestion + QStringList{"Received a '?' character."} + kStepsAfterQuestion);
    ASSERT_EQ(run.Messages(), QStringList{"Success: Received D!X.\nShut off printer."});
    const auto box = run.h->Services().Messages().first();
    EXPECT_EQ(box.caption, "KVU");
    EXPECT_EQ(box.icon, MsgIcon::Information);
    EXPECT_EQ(run.h->TakeReceived(),
              Sequence(QByteArray::fromHex("1B55311B6B321B61181B4D31303030300D")));
    EXPECT_EQ(run.h->Services().TotalPausedMs(), CAttributeProgrammer::kBurnPauseMs);
    EXPECT_EQ(run.h->Link().m_bOpen, 0);
    EXPECT_EQ(run.h->Services().WaitDepth(), 0);
    run.h->Sim().WithPrinter([](CPrinterModel& p) { EXPECT_TRUE(p.PowerUpAttributes().bold); });
}

TEST(Burn, PausesFallBetweenTheRightSteps) {
    BurnRun run{SimConfig{}};
    QList<int> pauses;
    for (const auto& e : run.h->Services().Events()) {
        if (e.kind == CRecordingServices::Event::Pause)
            pauses << e.value;
    }
    const QList<int> expected = {1000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000};
    EXPECT_EQ(pauses, expected);
    // ESC-XX reached the printer 2 s (virtual) after ESC-EN.
    const CTranscript& t = run.h->Sim().Transcript();
    EXPECT_GE(t.ReceivedTimeAt(3) - t.ReceivedTimeAt(0), 2000);
}

TEST(Burn, ProgressAdvancesAndDisappears) {
    BurnRun run{SimConfig{}};
    QList<int> progress;
    for (const auto& e : run.h->Services().Events()) {
        if (e.kind == CRecordingServices::Event::Progress)
            progress << e.value;
    }
    ASSERT_GE(progress.size(), 5);
    EXPECT_EQ(progress.first(), 0);
    EXPECT_EQ(progress.last(), -1) << "hidden at the end";
    for (int i = 1; i + 1 < progress.size(); ++i)
        EXPECT_GE(progress[i], progress[i - 1]);
}

TEST(Burn, TimeoutAnsweredNoEndsWithoutAFurtherMessage) {
    SimConfig config;
    config.faults.noQuestion = true;
    BurnRun run(config, BoldForm(), MsgAnswer::No);
    EXPECT_EQ(run.result, Result::Abandoned);
    EXPECT_EQ(run.Status(), kStepsToQuestion + QStringList({"Error.", "Ready"}));
    const auto boxes = run.h->Services().Messages();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, "Timed out waiting for a '?' character.\nContinue anyway?");
    EXPECT_EQ(boxes[0].caption, "KVU");
    EXPECT_EQ(boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(boxes[0].defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(run.h->TakeReceived(), QByteArray("\x1B"
                                                "EN\x1BXX\x1B"
                                                "DS"));
    EXPECT_EQ(run.h->Link().m_bOpen, 0);
}

TEST(Burn, TimeoutAnsweredYesGoesOn) {
    SimConfig config;
    config.faults.noQuestion = true;
    BurnRun run(config, BoldForm(), MsgAnswer::Yes);
    EXPECT_EQ(run.result, Result::Confirmed);
    EXPECT_EQ(run.Status(), kStepsToQuestion + QStringList{"Error."} + kStepsAfterQuestion);
    EXPECT_EQ(run.Messages().last(), "Success: Received D!X.\nShut off printer.");
}

TEST(Burn, NoiseBeforeTheQuestionIsSkipped) {
    SimConfig config;
    config.faults.noiseBeforeQuestion = 60;
    BurnRun run{config};
    EXPECT_EQ(run.result, Result::Confirmed);
    EXPECT_TRUE(run.Status().contains("Received a '?' character."));
}

TEST(Burn, QuestionAfterAHundredOtherBytesIsTooLate) {
    SimConfig config;
    config.faults.noiseBeforeQuestion = 100;
    BurnRun run{config};
    EXPECT_EQ(run.result, Result::Abandoned);
    EXPECT_TRUE(run.Status().contains("Error."));
}

TEST(Burn, ReplyWithoutConfirmation) {
    for (int variant = 0; variant < 2; ++variant) {
        SimConfig config;
        config.faults.noDx = variant == 0;
        config.faults.dxAfterZero = variant == 1;
        BurnRun run{config};
        EXPECT_EQ(run.result, Result::NotConfirmed);
        ASSERT_EQ(run.Messages(), QStringList{"Error: Did not receive D!X."});
        EXPECT_EQ(run.h->Services().Messages().first().icon, MsgIcon::Stop);
        EXPECT_EQ(run.Status().last(), "Ready");
        EXPECT_EQ(run.h->Link().m_bOpen, 0);
    }
}

TEST(Burn, LinkDroppedMidBurn) {
    SimConfig config;
    config.faults.dropAfterBytes = 6; // after ESC-EN and ESC-XX
    BurnRun run{config};
    EXPECT_NE(run.result, Result::Confirmed);
    ASSERT_FALSE(run.Messages().isEmpty());
    EXPECT_FALSE(run.Messages().join("|").contains("Success"));
    EXPECT_EQ(run.Status().last(), "Ready");
    EXPECT_EQ(run.h->Link().m_bOpen, 0);
    EXPECT_EQ(run.h->Services().WaitDepth(), 0);
}

TEST(Burn, PortThatCannotBeOpened) {
    CSimHarness h;
    h.Core().m_ports.SetSessionDevice("COM1", "/dev/nonexistent-kvu");
    CAttributeProgrammer programmer(h.Link(), h.Services());
    EXPECT_EQ(programmer.Burn(BoldForm()), Result::OpenFailed);
    EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Error: Couldn't open serial port."});
    EXPECT_EQ(h.Services().StatusTexts(), (QStringList{"Wait...", "Ready"}));
    EXPECT_EQ(h.TakeReceived(), QByteArray());
}

TEST(Configure, SendsEscEnAndTheStreamInOneShot) {
    CSimHarness h;
    CAttributeProgrammer programmer(h.Link(), h.Services());
    programmer.Configure(CAttributeForm());
    EXPECT_EQ(h.TakeReceived(), QByteArray("\x1B"
                                           "EN"));
    programmer.Configure(BoldForm());
    EXPECT_EQ(h.TakeReceived(), QByteArray::fromHex("1B454E1B55311B6B321B61181B4D31303030300D"));
    EXPECT_TRUE(h.Services().StatusTexts().isEmpty());
    EXPECT_EQ(h.Link().m_bOpen, 0);
    h.Sim().WithPrinter([](CPrinterModel& p) {
        EXPECT_TRUE(p.Attributes().bold);
        EXPECT_EQ(p.Attributes().font, 2);
    });
    h.Core().m_ports.SetSessionDevice("COM1", "/dev/nonexistent-kvu");
    programmer.Configure(BoldForm());
    EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Serial transmission error."});
}

TEST(Burn, ProgressIsFullBeforeTheVerdict) {
    for (bool confirmed : {true, false}) {
        SimConfig config;
        config.faults.noDx = !confirmed;
        BurnRun run{config};
        int last = -2;
        bool sawVerdict = false;
        for (const auto& e : run.h->Services().Events()) {
            if (e.kind == CRecordingServices::Event::Progress)
                last = e.value;
            if (e.kind == CRecordingServices::Event::Message) {
                sawVerdict = true;
                EXPECT_EQ(last, 100) << e.text.toStdString();
            }
        }
        EXPECT_TRUE(sawVerdict);
        EXPECT_EQ(last, -1) << "hidden at the end";
    }
}
