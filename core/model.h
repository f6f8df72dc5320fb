#pragma once
// What sets one tool apart from the other where both work alike: its names, small files,
// frequency limits, grid and version. The shared windows read these instead of literals.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "core/frequency.h"

namespace kvcore {

struct ModelDescriptor {
    QString program;          // "kvprog_a": the application name, the box captions
    QString desktopEntry;     // the menu entry's id (and Wayland app id): "org.kvprog.kvprog_a"
    QString title;            // the blue title label: "KV417R"
    QString captionPrefix;    // window caption before the file name: "KV417R - "
    QString settingsModel;    // whose settings files the tool keeps, in its questions: "KV417R"
    QString productionLabel;  // the red label of production mode: "Factory"
    QString portFile;         // holds the port number: "KV417R.INI"
    // Production mode is on when any of these files is in the current folder. Names are
    // the file system's bytes: one spelling of a Japanese name is not UTF-8.
    QList<QByteArray> markerFiles;
    FrqLimits normalLimits;
    FrqLimits productionLimits;
    QStringList gridHeadings;  // grid columns 1..n
    QList<int> gridWidths;     // grid columns 1..n, in pixels
    QString version;           // the program's file version: "1.0.7.4"
    QString versionBoxTitle;   // the version box's first line: "KV417R PC Programming  "
};

// True when a marker file of `model` is in the current folder (looked up anew each call).
bool productionMarkerPresent(const ModelDescriptor& model);

// The port number in `model`'s port file: the first four bytes as a little-endian signed
// integer. nullopt when there is no port file; a shorter or unreadable one raises the file
// error.
std::optional<int32_t> readPortFile(const ModelDescriptor& model);

}  // namespace kvcore
