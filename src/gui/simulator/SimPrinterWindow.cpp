#include "SimPrinterWindow.h"

#include "PaperWidget.h"
#include "Simulator.h"
#include "app/UiServices.h"
#include "frame/HelpKey.h"
#include "module1/Notation.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QSize kThumbnailSize(64, 32);
const int kGap = 8; // between the main window and this one

// The part of a slot's picture that has dots: a logo narrower than the paper would be
// lost in a thumbnail of the whole line width.
QRect InkBounds(const QImage& image) {
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(row[x]) < 128) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QTreeWidget* MakeList(const QString& name, const QStringList& headings) {
    auto* list = new QTreeWidget;
    list->setObjectName(name);
    list->setHeaderLabels(headings);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return list;
}
} // namespace

CSimPrinterWindow::CSimPrinterWindow(CSimulator& simulator, IUiServices& services,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), m_simulator(simulator), m_services(services) {
    setObjectName(QStringLiteral("SimulatedPrinter"));
    setWindowTitle(QStringLiteral("Simulated Printer"));
    HelpKey::Install(this, QStringLiteral("simulated-printer"), m_services);

    m_paper = new CPaperWidget;
    m_paperScroll = new QScrollArea;
    m_paperScroll->setObjectName(QStringLiteral("paperScroll"));
    m_paperScroll->setWidget(m_paper);
    m_paperScroll->setWidgetResizable(false);
    m_paperScroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_paperScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_paperScroll->setBackgroundRole(QPalette::Dark);
    m_paperInfo = new QLabel;
    m_paperInfo->setObjectName(QStringLiteral("paperInfo"));
    m_clear = new QPushButton(QStringLiteral("Clear Paper"));
    m_clear->setObjectName(QStringLiteral("clearPaper"));
    m_save = new QPushButton(QStringLiteral("Save as PNG..."));
    m_save->setObjectName(QStringLiteral("saveAsPng"));
    connect(m_clear, &QPushButton::clicked, this, [this] { OnClearPaper(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSaveAsPng(); });

    // Narrow and tall: the paper at its true width on top, what the printer keeps below
    // it, so that the window fits beside the main window on an ordinary screen.
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_paperInfo, 1);
    buttons->addWidget(m_clear);
    buttons->addWidget(m_save);
    auto* paperPart = new QWidget;
    auto* paperLayout = new QVBoxLayout(paperPart);
    paperLayout->setContentsMargins(0, 0, 0, 0);
    paperLayout->addWidget(m_paperScroll, 1);
    paperLayout->addLayout(buttons);

    m_attributes = MakeList(QStringLiteral("attributes"),
                            {QStringLiteral("Attribute"), QStringLiteral("Burned"),
                             QStringLiteral("Now")});
    auto* attributeBox = new QGroupBox(QStringLiteral("Burned Attributes"));
    (new QVBoxLayout(attributeBox))->addWidget(m_attributes);

    m_radios = MakeList(QStringLiteral("radios"),
                        {QStringLiteral("Stored setting"), QStringLiteral("Value")});
    m_radios->setRootIsDecorated(true);
    m_radios->setIndentation(12);
    auto* radioBox = new QGroupBox(QStringLiteral("Radio Modules"));
    (new QVBoxLayout(radioBox))->addWidget(m_radios);

    auto* slotBox = new QGroupBox(QStringLiteral("Logo Slots"));
    auto* slotGrid = new QGridLayout(slotBox);
    slotGrid->setHorizontalSpacing(4);
    for (int n = 0; n < CPrinterModel::kSlotCount; ++n) {
        auto* caption = new QLabel(QString::number(n));
        caption->setAlignment(Qt::AlignCenter);
        auto* thumbnail = new QLabel;
        thumbnail->setObjectName(QStringLiteral("slot%1").arg(n));
        thumbnail->setFixedSize(kThumbnailSize + QSize(2, 2));
        thumbnail->setAlignment(Qt::AlignCenter);
        thumbnail->setFrameShape(QFrame::Box);
        m_slots[size_t(n)] = thumbnail;
        slotGrid->addWidget(thumbnail, 0, n);
        slotGrid->addWidget(caption, 1, n);
    }

    auto* lists = new QSplitter(Qt::Horizontal);
    lists->addWidget(attributeBox);
    lists->addWidget(radioBox);
    lists->setChildrenCollapsible(false);
    lists->setSizes({290, 310});
    auto* kept = new QWidget;
    auto* keptLayout = new QVBoxLayout(kept);
    keptLayout->setContentsMargins(0, 0, 0, 0);
    keptLayout->addWidget(slotBox);
    keptLayout->addWidget(lists, 1);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(paperPart);
    splitter->addWidget(kept);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({520, 360});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(splitter);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kRefreshDelayMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] { Refresh(); });

    // Called on the simulator's thread: post one notice at a time to this window's own.
    m_observerId = m_simulator.AddObserver([this] {
        if (!m_changePosted.exchange(true))
            QMetaObject::invokeMethod(this, [this] { OnChanged(); }, Qt::QueuedConnection);
    });
    Refresh();
    // The paper's width, its frame and scroll bar, and the window's margins.
    resize(m_snapshot.paperDots + 2 * m_paperScroll->frameWidth() +
               m_paperScroll->verticalScrollBar()->sizeHint().width() + 12,
           900);
}

CSimPrinterWindow::~CSimPrinterWindow() {
    // After this no notice is under way or can come; any already posted dies with us.
    m_simulator.RemoveObserver(m_observerId);
}

void CSimPrinterWindow::OnChanged() {
    m_changePosted = false;
    if (!isVisible()) {
        m_stale = true; // no work for a window nobody sees; caught up when shown
        return;
    }
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void CSimPrinterWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale)
        Refresh();
}

void CSimPrinterWindow::Refresh() {
    m_refreshTimer.stop();
    m_stale = false;
    m_snapshot = m_simulator.WithPrinter(
        [](CPrinterModel& printer) { return CPrinterSnapshot::Take(printer); });

    // Follow the paper as it comes out, unless the user scrolled back to read.
    QScrollBar* bar = m_paperScroll->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    m_paper->SetPaper(m_snapshot.paper, m_snapshot.paperDots);
    if (atEnd) {
        m_paperScroll->widget()->adjustSize();
        bar->setMaximum(qMax(0, m_paper->height() - m_paperScroll->viewport()->height()));
        bar->setValue(bar->maximum());
    }
    m_paperInfo->setText(QStringLiteral("%1 dots per line, %2 lines")
                             .arg(m_snapshot.paperDots)
                             .arg(m_snapshot.paper.Lines().size()));
    ShowAttributes();
    ShowSlots();
    ShowRadios();
}

void CSimPrinterWindow::ShowAttributes() {
    const auto burned = CPrinterSnapshot::AttributeRows(m_snapshot.burned);
    const auto now = CPrinterSnapshot::AttributeRows(m_snapshot.current);
    const auto factory = CPrinterSnapshot::AttributeRows(PrinterAttributes());
    m_attributes->clear();
    for (int i = 0; i < burned.size(); ++i) {
        auto* item = new QTreeWidgetItem(
            m_attributes, {burned[i].first, burned[i].second, now.value(i).second});
        // What a burn changed from the factory setting stands out.
        if (burned[i].second != factory.value(i).second) {
            QFont bold = item->font(1);
            bold.setBold(true);
            item->setFont(1, bold);
        }
    }
}

void CSimPrinterWindow::ShowSlots() {
    for (int n = 0; n < CPrinterModel::kSlotCount; ++n) {
        const CPrinterModel::LogoSlot& slot = m_snapshot.logoSlots[size_t(n)];
        // The rows share their data with the last copy while the slot is unchanged.
        if (m_slotDrawn[size_t(n)] && m_shownSlots[size_t(n)].stored == slot.stored &&
            m_shownSlots[size_t(n)].rows == slot.rows)
            continue;
        m_shownSlots[size_t(n)] = slot;
        m_slotDrawn[size_t(n)] = true;
        const QImage dots = CPrinterSnapshot::SlotImage(slot);
        QLabel* label = m_slots[size_t(n)];
        if (dots.isNull()) {
            m_thumbnails[size_t(n)] = QImage();
            label->setPixmap(QPixmap());
            label->setText(QStringLiteral("empty"));
            label->setToolTip(QString());
            continue;
        }
        const QRect ink = InkBounds(dots);
        const QImage shown = ink.isValid() ? dots.copy(ink) : dots;
        m_thumbnails[size_t(n)] =
            shown.scaled(kThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        label->setPixmap(QPixmap::fromImage(m_thumbnails[size_t(n)]));
        label->setToolTip(
            QStringLiteral("%1 x %2 dots").arg(dots.width()).arg(dots.height()));
    }
}

void CSimPrinterWindow::ShowRadios() {
    m_radios->clear();
    for (const CPrinterSnapshot::Radio* radio : {&m_snapshot.bluetooth, &m_snapshot.wlan}) {
        auto* top = new QTreeWidgetItem(m_radios, {radio->title});
        for (const auto& row : radio->stored) {
            // The value as the module holds it; a control byte in a name shows as ^[ or
            // \x9B, never as a line break that would cut the row.
            const QString shown = Notation::VisibleForm(row.second);
            auto* item =
                new QTreeWidgetItem(top, {CPrinterSnapshot::RadioSettingLabel(row.first), shown});
            item->setToolTip(0, QStringLiteral("AT*%1").arg(row.first));
            item->setToolTip(1, shown); // a long address list may not fit the column
        }
        top->setExpanded(true);
    }
}

QImage CSimPrinterWindow::SlotThumbnail(int slot) const {
    if (slot < 0 || slot >= CPrinterModel::kSlotCount)
        return QImage();
    return m_thumbnails[size_t(slot)];
}

void CSimPrinterWindow::OnClearPaper() {
    m_simulator.WithPrinter([](CPrinterModel& printer) { printer.Paper().Clear(); });
    Refresh();
}

void CSimPrinterWindow::OnSaveAsPng() {
    FileRequest request;
    request.save = true;
    request.title = QStringLiteral("Save as PNG");
    request.suggested = QStringLiteral("paper.png");
    request.filter = QStringLiteral("PNG Pictures (*.png);;All Files (*.*)");
    request.defaultSuffix = QStringLiteral("png");
    const QString path = m_services.AskFileName(request);
    if (path.isEmpty())
        return;
    // What is on the paper now, not at the last refresh.
    Refresh();
    int omitted = 0;
    const QImage picture = m_snapshot.paper.Picture(m_snapshot.paperDots, &omitted);
    QString detail;
    if (!CPaper::WritePng(picture, path, &detail)) {
        m_services.Message(QStringLiteral("The paper could not be saved as %1: %2.").arg(path, detail),
                           MsgIcon::Exclamation);
        return;
    }
    m_services.Status(omitted > 0 ? QStringLiteral("Saved the paper as %1, without its %2 oldest "
                                                   "lines (too long for one picture).")
                                        .arg(path)
                                        .arg(omitted)
                                  : QStringLiteral("Saved the paper as %1.").arg(path));
}

QRect CSimPrinterWindow::PlaceBeside(const QRect& main, QSize size, const QRect& room,
                                     int narrowest) {
    if (!room.isValid())
        return QRect(main.right() + 1 + kGap, main.top(), size.width(), size.height());
    size = size.boundedTo(room.size());
    // Beside the main window on the right, else on the left; where neither side has the
    // whole width, narrower on the wider side (the paper scrolls), and only over the main
    // window when no side has room even for that.
    const int rightRoom = room.right() + 1 - (main.right() + 1 + kGap);
    const int leftRoom = main.left() - kGap - room.left();
    int x = main.right() + 1 + kGap;
    if (size.width() > rightRoom) {
        if (size.width() <= leftRoom) {
            x = main.left() - kGap - size.width();
        } else if (qMax(leftRoom, rightRoom) >= narrowest) {
            size.setWidth(qMax(leftRoom, rightRoom));
            x = rightRoom >= leftRoom ? main.right() + 1 + kGap : room.left();
        } else {
            x = qMax(room.left(), room.right() + 1 - size.width());
        }
    }
    const int y = qBound(room.top(), main.top(), room.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}

void CSimPrinterWindow::Place() {
    if (!m_main)
        return;
    // Before this window is first shown the window manager has not framed it yet: its
    // frame is taken to be as wide as the main window's (title bar and borders).
    const QRect mainFrame = m_main->frameGeometry();
    const QMargins mainMargins(m_main->geometry().left() - mainFrame.left(),
                               m_main->geometry().top() - mainFrame.top(),
                               mainFrame.right() - m_main->geometry().right(),
                               mainFrame.bottom() - m_main->geometry().bottom());
    const bool framed = isVisible() && frameGeometry() != geometry();
    const QMargins margins = framed ? QMargins(geometry().left() - frameGeometry().left(),
                                               geometry().top() - frameGeometry().top(),
                                               frameGeometry().right() - geometry().right(),
                                               frameGeometry().bottom() - geometry().bottom())
                                    : mainMargins;
    const QScreen* screen = m_main->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    const QSize frameSize = size().grownBy(margins);
    // No narrower than its layout allows (the eight logo slots side by side).
    const int narrowest = minimumSizeHint().width() + margins.left() + margins.right();
    const QRect frame = PlaceBeside(mainFrame, frameSize, room, narrowest);
    resize(frame.size().shrunkBy(margins));
    // The position of a window is that of its frame.
    move(frame.topLeft());
    m_placedAt = pos();
}

bool CSimPrinterWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_main && isVisible() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        // Follow the main window, unless the user has put this one somewhere else.
        if (pos() == m_placedAt)
            Place();
    }
    return QWidget::eventFilter(watched, event);
}

void CSimPrinterWindow::ShowBeside(QWidget* main) {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    if (main && main != m_main) {
        if (m_main)
            m_main->removeEventFilter(this);
        m_main = main;
        m_main->installEventFilter(this);
        connect(m_main, &QObject::destroyed, this, [this] { m_main = nullptr; });
    }
    Place();
    show();
    raise();
    activateWindow();
}
