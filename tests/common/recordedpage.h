#pragma once
// The texts of a page drawn on the recording canvas, by position in W and H units
// (W = TRecordingCanvas::charWidth, H = lineHeight).
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <map>
#include <utility>

#include "platform/canvas.h"

namespace kvtest {

using RecordedPage = std::map<std::pair<int, int>, QString>;

// Every text of `canvas` at its (x, y); each must stand on the W/H grid, one to a place.
inline RecordedPage recordedPage(const platform::TRecordingCanvas& canvas) {
    constexpr int W = platform::TRecordingCanvas::charWidth;
    constexpr int H = platform::TRecordingCanvas::lineHeight;
    RecordedPage page;
    for (const auto& t : canvas.texts) {
        EXPECT_EQ(t.x % W, 0) << t.text.toStdString();
        EXPECT_EQ(t.y % H, 0) << t.text.toStdString();
        const auto [it, inserted] = page.emplace(std::make_pair(t.x / W, t.y / H), t.text);
        EXPECT_TRUE(inserted) << "two texts at one place: " << t.text.toStdString();
    }
    return page;
}

inline QString textAt(const RecordedPage& page, int x, int y) {
    const auto it = page.find({x, y});
    return it == page.end() ? QString() : it->second;
}

// The texts of line y, left to right, each as "x=text".
inline QStringList pageRow(const RecordedPage& page, int y) {
    QStringList texts;
    for (const auto& [pos, text] : page)
        if (pos.second == y) texts << QString::number(pos.first) + "=" + text;
    return texts;
}

}  // namespace kvtest
