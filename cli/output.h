#pragma once
// A report as kvctl prints it: the result on stdout (the report as JSON with --json; else
// the table, the differences or the ports, and the message of a success), the message of a
// failure and its second line on stderr.
#include <cstdio>

#include "cli/options.h"
#include "cli/report.h"

namespace kvctl {

void printReport(const Report& report, const Options& options, std::FILE* out, std::FILE* err);

// The text forms of a table.
QByteArray tableText(const TableView& table);
QByteArray tableCsv(const TableView& table);

}  // namespace kvctl
