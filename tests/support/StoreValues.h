#pragma once
// Writing and reading single values of the store in tests, with gtest assertions on failure.

#include "registry/Registry.h"
#include "registry/StoreConfig.h"

#include <QByteArray>
#include <QString>

#include <optional>

void PutValue(reg::HKEY root, const QString& path, const QString& name, reg::DWORD type,
              const QByteArray& bytes);
void PutDword(reg::HKEY root, const QString& path, const QString& name, reg::DWORD value);
void PutString(reg::HKEY root, const QString& path, const QString& name, const QString& text);
void PutKey(reg::HKEY root, const QString& path);

// The stored bytes of a value, or nothing when the key or value is missing.
std::optional<QByteArray> ReadBytes(reg::HKEY root, const QString& path, const QString& name);
std::optional<reg::DWORD> ReadDword(reg::HKEY root, const QString& path, const QString& name);

// The store below path as the registry editor exports it, with "\n" line ends; "<missing>" when
// the export fails.
QString ExportText(reg::Root root, const QString& path);
// A file of expected output as text; "<missing>" when it cannot be read.
QString FileText(const QString& path);
