#pragma once
// Schemes written into the test's store, the store's scheme root as a .reg export, pictures on
// disk, and a private session bus whose listener counts the scheme-change signals.

#include "StoreValues.h"
#include "appearance/SchemeItem.h"
#include "registry/RegFileWriter.h"

#include <QDir>
#include <QImage>

#include <ostream>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

namespace fixture {

inline const QString kRoot = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\Appearance");
inline const QString kPolicyRoot = QStringLiteral("Software\\Policies\\Orvane\\TALVEN\\Data\\Appearance");

inline void PutScheme(reg::HKEY root, const QString& rootPath, const QString& keyName, reg::DWORD fg, reg::DWORD bg,
                      reg::DWORD mastHead, const QString& image, const QString& osd)
{
    const QString path = rootPath + u'\\' + keyName;
    PutDword(root, path, QStringLiteral("FgColor"), fg);
    PutDword(root, path, QStringLiteral("BgColor"), bg);
    PutDword(root, path, QStringLiteral("UseMastHead"), mastHead);
    PutString(root, path, QStringLiteral("BgImage"), image);
    PutString(root, path, QStringLiteral("BgImageOSD"), osd);
}

inline void PutUserScheme(const QString& keyName, const QString& image = QStringLiteral("sky.png"), const QString& osd = QString())
{
    PutScheme(reg::HKEY_CURRENT_USER, kRoot, keyName, 0xFFFFFF, 0x102030, 1, image, osd);
}

inline void PutCurrent(const QString& keyName) { PutString(reg::HKEY_CURRENT_USER, kRoot, QString(), keyName); }

// The root's part of the store below a key as the registry editor exports it, "<missing>" when absent.
inline QString Export(reg::Root root, const QString& path = kRoot)
{
    QByteArray file;
    if (reg::ExportRegFile(root, path, &file) != reg::ERROR_SUCCESS)
        return QStringLiteral("<missing>");
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), (file.size() - 2) / 2);
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// A small picture file in the folder; returns its path.
inline QString MakePicture(const QString& folder, const QString& name)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = QDir(folder).filePath(name);
    image.save(path, "PNG");
    return path;
}

// A session bus of the test process's own, started on first use; the process's session bus
// connection goes to it. It ends with the process.
class SchemeSignals {
public:
    // Scheme-change signals received so far, once every signal sent before the call arrived.
    static int Received();
};

} // namespace fixture
