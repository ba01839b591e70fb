#pragma once

#include "frame/ModulePage.h"
#include "logo/LogoTransfer.h"
#include "logo/LogoViewChoices.h"

#include <QPoint>
#include <QWidget>
#include <memory>

class CAppCore;
class CLogoSurfaces;
class IUiServices;
class QPagedPaintDevice;
class QPainter;

// The Logo Download module's window: the picture in colour with the logo frame and the
// black-and-white logo inside it, zoom, threshold, drag panning, and the module's
// commands (logo/LogoModuleCommands.cpp), which the frame routes here while it is shown.
class CLogoViewWidget : public QWidget, public IModulePage {
    Q_OBJECT
public:
    static constexpr int kDefaultZoom = LogoViewChoices::kDefaultZoom;
    static constexpr int kDefaultThreshold = LogoViewChoices::kDefaultThreshold;

    CLogoViewWidget(CAppCore& core, IUiServices& services, QWidget* parent = nullptr);
    ~CLogoViewWidget() override;

    QWidget* Widget() override { return this; }
    // A project created or opened: the picture is no longer there.
    void UpdateFromDocument() override;
    // The logo commands of the menus and the toolbar, routed here while the view is shown.
    bool CommandState(int id, bool* enabled, bool* checked) override;
    void OnCommand(int id) override;

    QSize sizeHint() const override;

    // Reads the picture at `path` with the "Wait..." status, the pause and the wait
    // cursor, shows what the reader found, and on a read file resets the pan and renders
    // at 50%. Returns false when the file could not be opened at all.
    bool LoadBitmapFile(const QString& path);

    bool IsZoom(int zoom) const { return m_nZoom == zoom; }
    // A threshold item is checked unless Dither is.
    bool IsThreshold(int percent) const { return !m_bDither && m_nThreshold == percent; }
    bool IsDither() const { return m_bDither; }
    int Zoom() const { return m_nZoom; }
    int Threshold() const { return m_nThreshold; }
    QPoint Pan() const { return m_ptPan; }
    QPoint PanShown() const { return m_ptPanShown; }
    bool Dragging() const { return m_bDragging != 0; }
    bool HasPicture() const;
    CLogoSurfaces& Surfaces() { return *m_surfaces; }

    // The view's drawing: the composite from the top-left corner, or nothing without a
    // picture. Painting and printing both use it.
    void Draw(QPainter& painter);

public slots:
    // File > Open Bitmap (32794): the file dialog, then LoadBitmapFile.
    void OnBitmapOpen();
    // View > Zoom, in quarters (LogoViewChoices::kZooms).
    void SetZoom(int zoom);
    // View > Color Threshold, in percent (LogoViewChoices::kThresholds).
    void SetThreshold(int percent);
    // View > Color Threshold > Dither, an addition for photographs (no command ID of the
    // original: the frame gives it one of its own).
    void SetDither();
    void TestPrint();          // 32792
    void Flash(int slot);      // 32776 + slot
    void PrintLogo(int slot);  // 32784 + slot
    void TestFeed();           // 32793
    void OnFilePrint();        // 57607: the print dialog, then the view's drawing
    void OnFilePrintDirect();  // 57608: the default printer, no dialog
    void OnFilePrintPreview(); // 57609
    // Prints the view's drawing on one page.
    void PrintTo(QPagedPaintDevice& device);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A picture file dropped on the view is opened as Open Bitmap would.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Composes at the shown pan and zoom so that the composite holds the current frame.
    void Compose();
    void Redraw();

    CAppCore& m_core;
    IUiServices& m_services;
    std::unique_ptr<CLogoSurfaces> m_surfaces;
    int m_bDragging = 0;
    QPoint m_ptDragStart;
    QPoint m_ptPan;
    QPoint m_ptPanShown;
    int m_nZoom = kDefaultZoom;
    CLogoTransfer m_transfer;
    int m_nThreshold = kDefaultThreshold;
    bool m_bDither = false;
};
