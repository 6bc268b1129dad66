#pragma once

#include <QByteArray>
#include <QtEndian>

// A 32×32 Windows cursor file (.cur) with the given hotspot: a solid square, so a
// loaded cursor can be told apart from an empty one.
inline QByteArray makeCursorFile(quint16 hotX, quint16 hotY)
{
    const int size = 32;
    QByteArray dib;
    auto put32 = [&](quint32 v) { dib.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](quint16 v) { dib.append(reinterpret_cast<const char*>(&v), 2); };
    put32(40);
    put32(size);
    put32(size * 2); // colour and mask, stacked
    put16(1);
    put16(32);
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    for (int i = 0; i < size * size; ++i)
        put32(0xff2040c0);
    dib.append(QByteArray(size * 4, '\0')); // AND mask: all opaque

    QByteArray file;
    auto fput16 = [&](quint16 v) { file.append(reinterpret_cast<const char*>(&v), 2); };
    auto fput32 = [&](quint32 v) { file.append(reinterpret_cast<const char*>(&v), 4); };
    fput16(0);
    fput16(2); // a cursor, not an icon
    fput16(1);
    file.append(char(size));
    file.append(char(size));
    file.append(char(0));
    file.append(char(0));
    fput16(hotX);
    fput16(hotY);
    fput32(quint32(dib.size()));
    fput32(6 + 16);
    file.append(dib);
    return file;
}
