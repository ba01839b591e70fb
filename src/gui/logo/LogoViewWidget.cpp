#include "LogoViewWidget.h"

#include "LogoCommandIds.h"
#include "frame/CommandIds.h"

#include "LogoPictureIo.h"
#include "app/AppCore.h"
#include "app/UiServices.h"
#include "logo/LogoSurfaces.h"
#include "logo/LogoViewChoices.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <iterator>

CLogoViewWidget::CLogoViewWidget(CAppCore& core, IUiServices& services, QWidget* parent)
    : QWidget(parent), m_core(core), m_services(services),
      m_surfaces(std::make_unique<CLogoSurfaces>()), m_transfer(core.m_serial, services) {
    setObjectName(QStringLiteral("CLogoView"));
    // Moves without a button pressed still reach the view: a drag whose release was
    // outside the window goes on until a release is seen inside it.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(true);
    setAcceptDrops(true);
}

CLogoViewWidget::~CLogoViewWidget() = default;

QSize CLogoViewWidget::sizeHint() const {
    return {CLogoSurfaces::kCompositeWidth, CLogoSurfaces::kCompositeHeight};
}

bool CLogoViewWidget::HasPicture() const {
    return m_core.m_logo.m_source.m_bLoaded != 0;
}

namespace {
// The zoom in quarters, or the threshold in percent, of a View menu item; 0 for others.
int ZoomOf(int id) {
    for (size_t i = 0; i < std::size(Cmd::kZoomCommands); ++i) {
        if (Cmd::kZoomCommands[i] == id)
            return LogoViewChoices::kZooms[i].quarters;
    }
    return 0;
}
int ThresholdOf(int id) {
    for (size_t i = 0; i < std::size(Cmd::kThresholdCommands); ++i) {
        if (Cmd::kThresholdCommands[i] == id)
            return LogoViewChoices::kThresholds[i].percent;
    }
    return 0;
}
} // namespace

bool CLogoViewWidget::CommandState(int id, bool* enabled, bool* checked) {
    *enabled = true;
    *checked = false;
    if (const int quarters = ZoomOf(id)) {
        *checked = IsZoom(quarters);
        return true;
    }
    if (const int percent = ThresholdOf(id)) {
        *checked = IsThreshold(percent);
        return true;
    }
    if (id == Cmd::ThresholdDither) {
        *checked = IsDither();
        return true;
    }
    if ((id >= Cmd::LogoFlash0 && id < Cmd::LogoFlash0 + 8) ||
        (id >= Cmd::LogoPrintSlot0 && id < Cmd::LogoPrintSlot0 + 8))
        return true;
    switch (id) {
    case Cmd::FileOpenBitmap:
    case Cmd::FilePrint:
    case Cmd::LogoTestFeed:
    case Cmd::LogoTestPrint:
        return true;
    default:
        *enabled = false;
        return false;
    }
}

void CLogoViewWidget::OnCommand(int id) {
    if (const int quarters = ZoomOf(id))
        return SetZoom(quarters);
    if (const int percent = ThresholdOf(id))
        return SetThreshold(percent);
    if (id >= Cmd::LogoFlash0 && id < Cmd::LogoFlash0 + 8)
        return Flash(id - Cmd::LogoFlash0);
    if (id >= Cmd::LogoPrintSlot0 && id < Cmd::LogoPrintSlot0 + 8)
        return PrintLogo(id - Cmd::LogoPrintSlot0);
    switch (id) {
    case Cmd::ThresholdDither:
        return SetDither();
    case Cmd::FileOpenBitmap:
        return OnBitmapOpen();
    case Cmd::FilePrint:
        return OnFilePrint();
    case Cmd::LogoTestFeed:
        return TestFeed();
    case Cmd::LogoTestPrint:
        return TestPrint();
    default:
        return;
    }
}

void CLogoViewWidget::UpdateFromDocument() {
    m_core.m_logo.m_source.m_bLoaded = 0;
    update();
}

bool CLogoViewWidget::LoadBitmapFile(const QString& path) {
    CSourceBitmap& source = m_core.m_logo.m_source;
    source.m_bLoaded = 0;
    m_services.Status(QStringLiteral("Wait..."));
    m_services.Pause(200);
    LogoPictureIo::PictureRead report;
    {
        CWaitScope wait(m_services);
        // A BMP goes to the reader as it is; a PNG or JPEG is converted to 24 bits first.
        report = LogoPictureIo::ReadPicture(path, source);
        if (!report.opened) {
            const QString detail =
                report.detail.isEmpty() ? QString() : QStringLiteral("\n%1").arg(report.detail);
            m_services.Message(QLatin1String(CSourceBitmap::kOpenFailed) + detail);
            m_services.Status(QStringLiteral("Ready"));
            update();
            return false;
        }
        if (!report.texts.isEmpty())
            m_services.Message(report.Message());
        m_services.Status(QStringLiteral("Ready"));
    }
    // Said after "Ready" so that it stays in the status bar.
    const int dots = m_core.m_logo.m_raster.m_nDots;
    QStringList notes;
    if (!report.status.isEmpty())
        notes << report.status;
    if (source.m_bLoaded && source.biWidth > dots)
        notes << QStringLiteral(
                     "The picture is %1 pixels wide; the logo frame holds %2 of them at x1.0.")
                     .arg(source.biWidth)
                     .arg(dots);
    if (!notes.isEmpty())
        m_services.Status(notes.join(QLatin1Char(' ')));
    // A file was read, accepted or not: the pan starts again, the zoom stays, and the
    // logo is thresholded at 50%. The check mark goes to 50% with it, so that the menu
    // never ticks a threshold (or Dither) other than the one Flash would send.
    m_bDragging = 0;
    m_ptDragStart = m_ptPan = m_ptPanShown = QPoint();
    m_bDither = false;
    m_nThreshold = kDefaultThreshold;
    m_surfaces->RenderSurfaces(source, m_nThreshold, &m_services);
    Redraw();
    return true;
}

void CLogoViewWidget::OnBitmapOpen() {
    // Through the services, like every modal window: idle processing stays away while the
    // file dialog runs its own event loop.
    FileRequest request;
    request.title = QStringLiteral("Open");
    request.filter =
        QStringLiteral("Bitmap Files (*.bmp);;Pictures (*.bmp *.png *.jpg *.jpeg);;All Files (*)");
    request.defaultSuffix = QStringLiteral("bmp");
    const QString path = m_services.AskFileName(request);
    if (path.isEmpty())
        return; // the picture loaded before stays loaded
    LoadBitmapFile(path);
}

void CLogoViewWidget::SetZoom(int zoom) {
    m_nZoom = zoom;
    Redraw();
}

void CLogoViewWidget::SetThreshold(int percent) {
    m_bDither = false;
    m_nThreshold = percent; // the check mark moves even without a picture
    if (!HasPicture()) {
        m_services.Message(QStringLiteral("No image."), MsgIcon::None);
        return;
    }
    m_surfaces->RenderSurfaces(m_core.m_logo.m_source, percent, &m_services);
    Redraw();
}

void CLogoViewWidget::SetDither() {
    m_bDither = true;
    if (!HasPicture()) {
        m_services.Message(QStringLiteral("No image."), MsgIcon::None);
        return;
    }
    m_surfaces->RenderDithered(m_core.m_logo.m_source, &m_services);
    Redraw();
}

void CLogoViewWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void CLogoViewWidget::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    LoadBitmapFile(urls.first().toLocalFile());
}

void CLogoViewWidget::Compose() {
    m_surfaces->ComposeView(m_core.m_logo.m_source, m_core.m_logo.m_raster, m_ptPanShown.x(),
                            m_ptPanShown.y(), m_nZoom);
}

void CLogoViewWidget::TestPrint() {
    if (!HasPicture()) {
        m_services.Message(QStringLiteral("Nothing to print."), MsgIcon::None);
        return;
    }
    // Composed again first: after a logo size change the composite may still hold the
    // old frame, and the raster is read from inside the frame.
    Compose();
    m_surfaces->BuildRaster(m_core.m_logo.m_source, m_core.m_logo.m_raster);
    m_transfer.TestPrint(m_core.m_logo.m_raster);
}

void CLogoViewWidget::Flash(int slot) {
    if (!HasPicture()) {
        m_services.Message(QStringLiteral("Nothing to burn."), MsgIcon::None);
        return;
    }
    Compose();
    m_surfaces->BuildRaster(m_core.m_logo.m_source, m_core.m_logo.m_raster);
    if (!CLogoTransfer::BlankLogoConfirmed(m_core.m_logo.m_raster, slot, m_services))
        return;
    m_transfer.FlashLogo(m_core.m_logo.m_raster, slot);
}

void CLogoViewWidget::PrintLogo(int slot) {
    m_transfer.PrintSlot(slot);
}

void CLogoViewWidget::TestFeed() {
    m_transfer.TestFeed();
}

void CLogoViewWidget::Draw(QPainter& painter) {
    if (!HasPicture())
        return;
    Compose();
    CSurface& composite = m_surfaces->m_composite;
    const QImage image(reinterpret_cast<const uchar*>(composite.Row(0)), composite.Width(),
                       composite.Height(), composite.Width() * 4, QImage::Format_RGB32);
    painter.drawImage(0, 0, image);
}

void CLogoViewWidget::Redraw() {
    if (HasPicture())
        Compose();
    repaint();
}

void CLogoViewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!HasPicture()) {
        // Nothing is drawn without a picture; the window shows its background.
        painter.fillRect(rect(), palette().window());
        return;
    }
    Draw(painter);
    // Beyond the composite, the background.
    const int w = CLogoSurfaces::kCompositeWidth, h = CLogoSurfaces::kCompositeHeight;
    if (width() > w)
        painter.fillRect(w, 0, width() - w, height(), palette().window());
    if (height() > h)
        painter.fillRect(0, h, w, height() - h, palette().window());
}

void CLogoViewWidget::mousePressEvent(QMouseEvent* event) {
    event->accept(); // the right button is taken and does nothing
    if (event->button() != Qt::LeftButton || m_bDragging)
        return;
    m_ptDragStart = event->position().toPoint();
    m_bDragging = 1;
}

void CLogoViewWidget::mouseMoveEvent(QMouseEvent* event) {
    // Without mouse capture the view sees only moves inside its window.
    if (!HasPicture() || !m_bDragging || !rect().contains(event->position().toPoint()))
        return;
    m_ptPanShown = m_ptPan + (event->position().toPoint() - m_ptDragStart);
    Compose();
    repaint();
}

void CLogoViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    // A release outside the window is not seen: the drag goes on.
    if (event->button() != Qt::LeftButton || !m_bDragging ||
        !rect().contains(event->position().toPoint()))
        return;
    m_ptPan += event->position().toPoint() - m_ptDragStart;
    m_bDragging = 0;
}

void CLogoViewWidget::PrintTo(QPagedPaintDevice& device) {
    QPainter painter(&device);
    Draw(painter);
}

void CLogoViewWidget::OnFilePrint() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("printDialog"));
    if (m_services.RunModal(dialog) == QDialog::Accepted)
        PrintTo(printer);
}

void CLogoViewWidget::OnFilePrintDirect() {
    QPrinter printer;
    PrintTo(printer);
}

void CLogoViewWidget::OnFilePrintPreview() {
    QPrinter printer;
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("printPreviewDialog"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { PrintTo(*p); });
    m_services.RunModal(preview);
}
