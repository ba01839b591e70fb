#include "KVUDoc.h"

#include "logo/SourceBitmap.h"

#include <QFileInfo>

CKVUDoc::CKVUDoc() {
    DeleteContents();
}

void CKVUDoc::DeleteContents() {
    for (int* check : {&m_bUnderline, &m_bNoUnderline, &m_bBold, &m_bNoBold, &m_bWhiteOnBlack,
                       &m_bBlackOnWhite, &m_bDoubleWidth, &m_bNormalWidth, &m_bDoubleHeight,
                       &m_bNormalHeight, &m_bSendEot, &m_bNoSendEot, &m_bRightToLeft,
                       &m_bLeftToRight, &m_bPcLineDraw, &m_bInternational, &m_bLinePrint})
        *check = 0;
    for (int* number :
         {&m_nLineSpacing, &m_nFormFeed, &m_nVerticalTab, &m_nHorizontalTab, &m_nSensorSensitivity,
          &m_nFont, &m_nContrast, &m_nSleepHours, &m_nSleepMinutes, &m_nSleepSeconds})
        *number = -1;
    m_strTestMessage.clear();
    for (int i = 0; i < kMacroCount; ++i) {
        m_strMacroCaption[size_t(i)] =
            QStringLiteral("Macro Button %1").arg(i + 1, 2, 10, QLatin1Char('0'));
        m_strMacroText[size_t(i)].clear();
    }
    for (QString& path : m_strSendFile)
        path.clear();
    if (m_source)
        m_source->m_bLoaded = 0;
}

void CKVUDoc::SetModifiedFlag(bool modified) {
    const bool changed = m_bModified != modified;
    m_bModified = modified;
    if (changed && m_onModified)
        m_onModified();
}

QString CKVUDoc::GetTitle() const {
    return m_strPathName.isEmpty() ? QStringLiteral("Untitled")
                                   : QFileInfo(m_strPathName).fileName();
}
