#include "ShotTable.h"

#include "KVUApp.h"
#include "ShotStage.h"
#include "frame/AboutDlg.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModuleRegistry.h"
#include "frame/ModuleSheet.h"
#include "frame/SerialPortDlg.h"
#include "logo/LogoSizeDlg.h"
#include "logo/LogoViewWidget.h"
#include "module1/EnterTextDlg.h"
#include "module1/Mod1Page2.h"
#include "module1/SupervisoryQuery.h"
#include "wireless/Mod2Page1.h"
#include "wireless/Mod6Page1.h"
#ifdef Q_OS_UNIX
#include "Simulator.h"
#include "simulator/SimPrinterWindow.h"
#endif

#include <QCheckBox>
#include <QFont>
#include <QImage>
#include <QPainter>

namespace {
// A module chosen as from the View menu, with the page of `dialogId` on top of its sheet.
QWidget* ShowPage(CShotStage& stage, ModuleId module, int dialogId, QString* error) {
    CMainFrame& frame = stage.Frame();
    frame.OnModule(module);
    if (frame.CurrentModule() != module) {
        *error = QStringLiteral("the module cannot be chosen");
        return nullptr;
    }
    if (FindModule(module).sheetCaption) {
        CModuleSheet* sheet = frame.ModuleView()->Sheet(module);
        const int tab = CKVUView::TabOf(sheet, dialogId);
        if (tab < 0) {
            *error = QStringLiteral("no page %1 on the sheet").arg(dialogId);
            return nullptr;
        }
        sheet->setCurrentIndex(tab);
    }
    return &frame;
}

// The simulated printer for a picture that shows its reply. Where the platform has none,
// the page is shown without the reply; where it has one, failing to start it is an error.
bool WithPrinter(CShotStage& stage, QString* error, bool* connected) {
    *connected = stage.ConnectPrinter(error);
    if (!*connected && !CShotStage::CanSimulate()) {
        error->clear();
        return true;
    }
    return *connected;
}

template <class T> T* PageOf(CShotStage& stage) {
    return stage.Frame().ModuleView()->FindPage<T>();
}

// The logo picture: a shop sign with lettering, a ring and a colour gradient, so that the
// picture shows the threshold at work.
QString MakeLogoPicture(CShotStage& stage) {
    QImage picture(520, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 520, 0);
    sky.setColorAt(0, QColor(250, 210, 90));
    sky.setColorAt(1, QColor(40, 90, 170));
    painter.fillRect(0, 150, 520, 50, sky);
    painter.setPen(QPen(QColor(170, 30, 40), 10));
    painter.drawEllipse(QPoint(90, 80), 55, 55);
    painter.setPen(QColor(20, 30, 60));
    QFont font = painter.font();
    font.setPixelSize(64);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(160, 20, 360, 120), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Quorlin"));
    painter.end();
    const QString path = stage.ScratchPath(QStringLiteral("shop-sign.png"));
    picture.save(path);
    return path;
}
} // namespace

const std::vector<ShotRow>& ShotTable() {
    static const std::vector<ShotRow> rows = {
        {"main-window.png", "The main window as KVU starts",
         [](CShotStage& stage, QString*) -> QWidget* { return &stage.Frame(); }},
        {"custom-attributes.png", "Custom Attributes page with Bold ticked",
         [](CShotStage& stage, QString* error) -> QWidget* {
             QWidget* frame = ShowPage(stage, ModuleId::CustomAttributes, 130, error);
             if (auto* bold =
                     frame ? frame->findChild<QCheckBox*>(QStringLiteral("id1022")) : nullptr)
                 bold->click();
             return frame;
         }},
        {"supervisory-commands.png", "Supervisory Commands page after a battery query",
         [](CShotStage& stage, QString* error) -> QWidget* {
             bool printer = false;
             if (!WithPrinter(stage, error, &printer))
                 return nullptr;
             QWidget* frame = ShowPage(stage, ModuleId::CustomAttributes, 131, error);
             if (frame && printer)
                 PageOf<CMod1Page2>(stage)->OnQuery(CSupervisoryQuery::kBatteryStatus);
             return frame;
         }},
        {"macros.png", "Macros page",
         [](CShotStage& stage, QString* error) -> QWidget* {
             return ShowPage(stage, ModuleId::CustomAttributes, 132, error);
         }},
        {"bluetooth-settings.png", "Bluetooth page after Read",
         [](CShotStage& stage, QString* error) -> QWidget* {
             bool printer = false;
             if (!WithPrinter(stage, error, &printer))
                 return nullptr;
             QWidget* frame = ShowPage(stage, ModuleId::Bluetooth, 133, error);
             if (frame && printer)
                 PageOf<CMod2Page1>(stage)->OnRead();
             return frame;
         }},
        {"wlan-settings.png", "WLAN page after Read",
         [](CShotStage& stage, QString* error) -> QWidget* {
             bool printer = false;
             if (!WithPrinter(stage, error, &printer))
                 return nullptr;
             QWidget* frame = ShowPage(stage, ModuleId::Wlan, 148, error);
             if (frame && printer)
                 PageOf<CMod6Page1>(stage)->OnRead();
             return frame;
         }},
        {"logo-download.png", "Logo Download view with a picture opened",
         [](CShotStage& stage, QString* error) -> QWidget* {
             QWidget* frame = ShowPage(stage, ModuleId::LogoDownload, 0, error);
             auto* view =
                 frame
                     ? dynamic_cast<CLogoViewWidget*>(stage.Frame().ViewOf(ModuleId::LogoDownload))
                     : nullptr;
             if (view && !view->LoadBitmapFile(MakeLogoPicture(stage))) {
                 *error = QStringLiteral("the picture could not be opened");
                 return nullptr;
             }
             return frame;
         }},
        {"serial-port.png", "Configure Serial Port dialog",
         [](CShotStage& stage, QString*) -> QWidget* {
             auto* dlg = new CSerialPortDlg(stage.App().Core().m_ports, &stage.Frame());
             dlg->m_nBaudIndex = stage.App().Serial().GetBaudIndex();
             dlg->m_nPortIndex = stage.App().Serial().GetPortIndex();
             dlg->ShowFields();
             return dlg;
         }},
        {"logo-size.png", "Configure Logo Size dialog",
         [](CShotStage& stage, QString*) -> QWidget* {
             auto* dlg = new CLogoSizeDlg(stage.Services(), &stage.Frame());
             const CLogoRaster& raster = stage.App().Logo().m_raster;
             dlg->m_nHeight = raster.m_nHeight;
             dlg->m_nWidthIndex = raster.GetWidthIndex();
             return dlg;
         }},
        {"enter-text.png", "Enter Text dialog renaming a macro button",
         [](CShotStage& stage, QString*) -> QWidget* {
             auto* dlg = new CEnterTextDlg(&stage.Frame());
             dlg->SetText(QStringLiteral("Feed 3 lines"));
             return dlg;
         }},
        {"simulated-printer.png", "Simulated Printer window after a few lines of text",
         [](CShotStage& stage, QString* error) -> QWidget* {
#ifdef Q_OS_UNIX
             if (!stage.ConnectPrinter(error))
                 return nullptr;
             CSimulator& printer = *stage.Printer();
             // Plain text, then a box in the PC line-drawing characters.
             if (!stage.App().Serial().SendBlock(
                     QByteArray("Hello from KVU\r\n"
                                "\xC9\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBB\r\n"
                                "\xBA Tarvo3 \xBA\r\n"
                                "\xC8\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBC\r\n"))) {
                 *error = QStringLiteral("the text could not be sent to the simulated printer");
                 return nullptr;
             }
             printer.Settle();
             auto* window = new CSimPrinterWindow(printer, stage.Services(), &stage.Frame());
             window->Refresh();
             return window;
#else
             *error = QStringLiteral("the simulated printer is not available on this platform");
             return nullptr;
#endif
         }},
        {"about.png", "About Quorlin box",
         [](CShotStage& stage, QString*) -> QWidget* { return new CAboutDlg(&stage.Frame()); }},
    };
    return rows;
}

const ShotRow* FindShot(const QString& file) {
    for (const ShotRow& row : ShotTable()) {
        if (file == QLatin1String(row.file))
            return &row;
    }
    return nullptr;
}
