#pragma once
// The page both printed "Setting Data List"s share: one page in "Arial" 10 points, black,
// every position a multiple of the width (W) and height (H) of the text "W"; the header
// with the maker, the date and time, two rules and the title with the file's name part.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>

namespace platform {
class TCanvas;
}

namespace kvcore {

// The last component of a path, with '/' or '\\' as the folder separator (names saved on
// Windows keep their backslashes).
QString fileNamePart(const QString& path);

// The text of `index` in `texts`, or `fallback` when the index lies outside the list (files
// may hold any value).
QString pick(const QStringList& texts, int32_t index, const QString& fallback = {});
// Two-valued fields print their first text for 0 and the second for any other value.
QString either(int32_t value, const char* zero, const char* other);

// Texts both lists print alike. A channel's baud rate, data/audio and modem baud rate print
// nothing for an index outside their lists; the time-out timer and the save time print OFF.
QString brText(int32_t index);    // "4800bps", "2400/1200bps"
QString daText(int32_t index);    // "OFF", "ON"
QString mbrText(int32_t index);   // "2400bps", "1200bps"
QString totText(int32_t index);   // "OFF       ", " 30  [sec]" .. "1200 [sec]"
QString saveText(int32_t index);  // "OFF      ", "0.5 [sec]" .. "9.0 [sec]"

// A column of the channel table: its heading at headingX on line 10, its values at valueX.
struct ListColumn {
    const char* heading;
    int headingX;
    int valueX;
};

class ListPage {
  public:
    // Begins the document, sets font and pen, and measures W and H.
    explicit ListPage(platform::TCanvas& canvas);

    // Text at (x W, y H); an empty text draws nothing.
    void text(int x, int y, const QString& s);
    // A horizontal rule from 1 W to 80 W at y H.
    void rule(int y);
    // Maker and date/time on line 2, rules on lines 4 and 7, and on line 5 `title` followed
    // by "     [ " + the name part of `fileName` + " ]".
    void header(const QString& title, const QString& fileName, const QDateTime& now);
    // The headings of the channel table on line 10.
    void headings(std::span<const ListColumn> columns);
    // Ends the document: the page goes to the printer.
    void finish();

  private:
    platform::TCanvas& c_;
    int w_ = 0;
    int h_ = 0;
};

}  // namespace kvcore
