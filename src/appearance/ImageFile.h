#pragma once
// What the scheme editor takes as a background image.

#include <QString>

namespace scheme {

// The file or folder exists and the extension of its last path element (from its last ".")
// contains "jpg", "png", "gif" or "bmp" in any case: ".JPG" and ".bmpx" pass, ".jpeg" does not.
bool PassesImageTest(const QString& path);

// An existing file, not a folder.
bool IsExistingFile(const QString& path);

} // namespace scheme
