#pragma once

#include <QString>
#include <array>
#include <functional>

class CSourceBitmap;

// The project: the saved state of the Custom Attributes and Macros pages, with a
// modified flag. Checks are 0 or 1 and a number of -1 means an empty field; values are
// not range-checked on loading (the pages decide what they show).
class CKVUDoc {
public:
    static constexpr int kMacroCount = 6;
    static constexpr int kSendFileCount = 2;

    CKVUDoc();
    virtual ~CKVUDoc() = default;

    // The values after File New, and the logo image marked as absent.
    void DeleteContents();

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);
    // Called whenever the modified flag changes (the frame updates Save and the title).
    void SetModifiedCallback(std::function<void()> callback) { m_onModified = std::move(callback); }

    // The logo image is not part of the project, but a new or opened project clears it.
    void SetSourceBitmap(CSourceBitmap* source) { m_source = source; }

    const QString& GetPathName() const { return m_strPathName; }
    void SetPathName(const QString& path) { m_strPathName = path; }
    // "Untitled" for a project never saved, else the file's name.
    QString GetTitle() const;

    // The seventeen checks in file order.
    int m_bUnderline = 0;
    int m_bNoUnderline = 0;
    int m_bBold = 0;
    int m_bNoBold = 0;
    int m_bWhiteOnBlack = 0;
    int m_bBlackOnWhite = 0;
    int m_bDoubleWidth = 0;
    int m_bNormalWidth = 0;
    int m_bDoubleHeight = 0;
    int m_bNormalHeight = 0;
    int m_bSendEot = 0;
    int m_bNoSendEot = 0;
    int m_bRightToLeft = 0;
    int m_bLeftToRight = 0;
    int m_bPcLineDraw = 0;
    int m_bInternational = 0;
    int m_bLinePrint = 0;
    int m_nLineSpacing = -1;
    int m_nFormFeed = -1;
    int m_nVerticalTab = -1;
    int m_nHorizontalTab = -1;
    int m_nSensorSensitivity = -1;
    int m_nFont = -1;     // combo index minus 1
    int m_nContrast = -1; // combo index minus 1
    int m_nSleepHours = -1;
    int m_nSleepMinutes = -1;
    int m_nSleepSeconds = -1;
    QString m_strTestMessage;
    std::array<QString, kMacroCount> m_strMacroCaption;
    std::array<QString, kMacroCount> m_strMacroText;
    std::array<QString, kSendFileCount> m_strSendFile;

private:
    bool m_bModified = false;
    QString m_strPathName;
    CSourceBitmap* m_source = nullptr;
    std::function<void()> m_onModified;
};
