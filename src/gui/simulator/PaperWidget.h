#pragma once

#include "Paper.h"

#include <QWidget>
#include <vector>

// The simulated printer's paper drawn one dot to one pixel: as wide as the printer's
// line, as long as what was printed. Only the lines in view are painted, so a long
// paper costs no more to show than a short one.
class CPaperWidget : public QWidget {
    Q_OBJECT

public:
    explicit CPaperWidget(QWidget* parent = nullptr);

    void SetPaper(const CPaper& paper, int paperDots);
    const CPaper& Paper() const { return m_paper; }
    int PaperDots() const { return m_paperDots; }
    // The paper's length in dots, margins included.
    int PaperLength() const { return m_tops.empty() ? 0 : m_tops.back(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CPaper m_paper;
    int m_paperDots = 576;
    std::vector<int> m_tops; // the top of each line, then the paper's length
};
