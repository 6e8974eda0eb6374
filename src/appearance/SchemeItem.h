#pragma once
// One colour scheme as the client draws it. Colours are COLORREFs (0x00BBGGRR).

#include "registry/RegTypes.h"

#include <QColor>
#include <QString>

struct SchemeItem {
    reg::DWORD FgColor = 0;
    reg::DWORD BgColor = 0;
    // Paths as resolved on reading.
    QString BgImage;
    QString BgImageOSD;
    reg::DWORD UseMastHead = 0;
    QString KeyName;
    QString DisplayName;
    reg::DWORD IsBuiltIn = 0;
    // A stored value could not be read: the page neither edits nor deletes the scheme.
    bool Unreadable = false;
};

namespace scheme {

inline QColor ToQColor(reg::DWORD colorRef)
{
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

inline reg::DWORD ToColorRef(const QColor& color)
{
    return reg::DWORD(color.red()) | reg::DWORD(color.green()) << 8 | reg::DWORD(color.blue()) << 16;
}

} // namespace scheme
