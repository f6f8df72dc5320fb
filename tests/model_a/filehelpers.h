#pragma once
// Shared pieces of kvprog_a's settings-file tests: a settings block built byte by byte at
// its file offsets, and the window's log.
#include <QByteArray>
#include <QListWidget>
#include <QStringList>

#include "filedialogs.h"
#include "leimage.h"
#include "mainform_a.h"
#include "model_a/main.h"

namespace kvtest {

inline QByteArray blockBytes(const kva::TSetData& d) {
    return QByteArray(reinterpret_cast<const char*>(&d), sizeof d);
}

// A settings file written field by field at the offsets of the file format, independent of
// the struct the program reads it into.
class BlockImage : public LeImage<BlockImage> {
  public:
    BlockImage() : LeImage(824) {}

    // Channel n (1..16) at 48 * (n - 1).
    BlockImage& channel(int n, uint8_t used, double rx, double tx, int32_t power, int32_t br,
                        int32_t da, int32_t mbr, int32_t sql) {
        const int base = 48 * (n - 1);
        return u8(base, used)
            .f64(base + 8, rx)
            .f64(base + 16, tx)
            .i32(base + 24, power)
            .i32(base + 28, br)
            .i32(base + 32, da)
            .i32(base + 36, mbr)
            .i32(base + 40, sql);
    }
    // The thirteen set-mode indexes from offset 768, Data first, SL last.
    BlockImage& setMode(std::initializer_list<int32_t> indexes) {
        int offset = 768;
        for (int32_t v : indexes) {
            i32(offset, v);
            offset += 4;
        }
        return *this;
    }
    // Empty channels and the default set-mode values, gaps zero: what Edit > Default holds.
    static BlockImage defaults() {
        BlockImage b;
        for (int n = 1; n <= 16; ++n) b.channel(n, 0, 0.0, 0.0, -1, -1, -1, -1, -1);
        b.setMode({0, 0, 0, 0, 0, 3, 2, 0, 1, 0, 0, 0, 0});
        return b;
    }
};

}  // namespace kvtest
