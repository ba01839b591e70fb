#pragma once

#include <QDialog>
#include <QString>

class CLogoRaster;
class IUiServices;
class QComboBox;
class QRadioButton;

// "Configure Logo Size": the paper width (three buttons) and the logo height in dots (an
// editable list). The caller sets m_nHeight and m_nWidthIndex before it runs and takes
// them on OK; Run does both for the application's raster.
class CLogoSizeDlg : public QDialog {
    Q_OBJECT
public:
    static const char* const kCaption; // "Pictra", the height messages' caption

    CLogoSizeDlg(IUiServices& services, QWidget* parent = nullptr);

    // Opens the dialog for the raster; on OK stores the height and the width and returns
    // true (the caller then repaints the main window). On Cancel nothing changes.
    static bool Run(CLogoRaster& raster, IUiServices& services, QWidget* parent);

    // The dialog's initialisation: the current height formatted, put at the top of the
    // list when it is not one of the list's own, and shown with the width's button.
    void OnInitDialog();
    // OK: the checks in order; closes with Accepted only on a height of 1 to 299.
    void OnOK();

    QString m_strHeight;
    int m_nWidthIndex = -1;
    int m_nHeight = 0;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowFields();
    bool TakeFields();

    IUiServices& m_services;
    QRadioButton* m_width[3];
    QComboBox* m_combo;
    bool m_initialised = false;
};
