#pragma once

#include "PrinterSnapshot.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>

class CPaperWidget;
class CSimulator;
class IUiServices;
class QLabel;
class QPushButton;
class QScrollArea;
class QTreeWidget;

// The simulated printer made visible: the paper it printed, its burned attributes, its
// eight logo slots and its radio modules' stored settings, kept up to date while bytes
// arrive. A person trying KVU without a printer looks here to see that a burn, a flash
// or a Bluetooth write took effect.
//
// The simulator serves the link on its own thread. It tells this window that something
// may have changed; the window posts itself a refresh and, on its own thread, copies
// the printer's state in one go under the printer's lock. Nothing here reads the
// printer's side without that lock, and refreshes are bunched so that a file being sent
// line by line does not redraw the window for every line.
class CSimPrinterWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRefreshDelayMs = 50;

    // Works with any running simulator: the application's, or a test's.
    CSimPrinterWindow(CSimulator& simulator, IUiServices& services, QWidget* parent = nullptr);
    ~CSimPrinterWindow() override;

    // Shows the window beside `main` (right of it where the screen has room, else left,
    // else as near as fits), or brings it to the front when it is already shown. From
    // then on it follows the main window as that moves or changes size, until the user
    // moves this one elsewhere.
    void ShowBeside(QWidget* main);
    // Where a window whose frame is `size` goes beside the main window's frame `main`,
    // within `room` (the screen's available area): its frame, never over the main window
    // while the screen has room beside it (down to `narrowest`), and never past the
    // screen's edges.
    static QRect PlaceBeside(const QRect& main, QSize size, const QRect& room, int narrowest);

    // Copies the printer's state now and shows it.
    void Refresh();
    // The button handlers.
    void OnClearPaper();
    void OnSaveAsPng();

    const CPrinterSnapshot& Snapshot() const { return m_snapshot; }
    // The picture a slot's thumbnail shows (null while the slot is empty).
    QImage SlotThumbnail(int slot) const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnChanged();
    void ShowAttributes();
    void ShowSlots();
    void ShowRadios();
    // Puts the window beside the main window it follows.
    void Place();

    CSimulator& m_simulator;
    IUiServices& m_services;
    int m_observerId = 0;
    std::atomic<bool> m_changePosted{false};
    bool m_stale = true; // changes came while the window was hidden
    QTimer m_refreshTimer;
    CPrinterSnapshot m_snapshot;

    QScrollArea* m_paperScroll = nullptr;
    CPaperWidget* m_paper = nullptr;
    QLabel* m_paperInfo = nullptr;
    QTreeWidget* m_attributes = nullptr;
    std::array<QLabel*, CPrinterModel::kSlotCount> m_slots{};
    std::array<QImage, CPrinterModel::kSlotCount> m_thumbnails;
    std::array<CPrinterModel::LogoSlot, CPrinterModel::kSlotCount> m_shownSlots;
    std::array<bool, CPrinterModel::kSlotCount> m_slotDrawn{};
    QTreeWidget* m_radios = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_save = nullptr;
    QWidget* m_main = nullptr; // the window this one follows (null: none)
    QPoint m_placedAt;         // where it was put last; moved from there, it stays put
};
