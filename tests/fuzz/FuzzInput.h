#pragma once
// Shared by the fuzz targets: the bytes of one input, and a page made of
// them the way the editor opens a file.
#include "page/PageFile.h"

#include <QByteArray>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace FuzzInput {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    // A copy, so that a read past the end hits the sanitizer's red zone.
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline QStringList pageLines(const QByteArray &bytes)
{
    return PageFile::decode(bytes).lines;
}

} // namespace FuzzInput

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
