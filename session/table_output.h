#pragma once

#include <string>

#include "session/summary_tables.h"

// The summary's tables written for people (aligned text, Markdown) and for
// spreadsheets (CSV, RFC 4180).
namespace sci {

// Rows shown before a table folds, unless every row is asked for.
inline constexpr std::size_t kFoldedRows = 20;

// A cell for a person: texts with control characters escaped, numbers as
// the shortest text that reads back, lists as their items with blanks
// between, a map of lists as "key items; key items", "yes" or "no", and "-"
// for null.
std::string CellText(const Json& cell);

// "meshes (5)", the note, then the columns aligned under their heads, numbers
// to the right; past kFoldedRows rows unless `all`, a line that counts the rest.
void AppendTableText(const SummaryTable& table, bool all, std::string& out);

// "### meshes (5)", the note, then a Markdown table; folded as in text.
void AppendTableMarkdown(const SummaryTable& table, bool all, std::string& out);

// The head row and every row, quoted where a cell needs it, lines ending "\r\n".
std::string TableCsv(const SummaryTable& table);

// Each row as an object keyed by the columns.
Json TableJson(const SummaryTable& table);

}  // namespace sci
