#include "session/table_output.h"

#include <algorithm>

#include "session/printable.h"

namespace sci {

namespace {

std::size_t ShownRows(const SummaryTable& table, bool all) {
  return all ? table.rows.size() : std::min(table.rows.size(), kFoldedRows);
}

std::string FoldLine(const SummaryTable& table, bool all) {
  const std::size_t hidden = table.rows.size() - ShownRows(table, all);
  return hidden == 0 ? std::string() : "... " + std::to_string(hidden) + " more (--all shows every row)\n";
}

// Display width of UTF-8 text: its code points, each taken as one column.
std::size_t Width(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Heading(const SummaryTable& table) {
  return table.name + " (" + std::to_string(table.rows.size()) + ")";
}

}  // namespace

std::string CellText(const Json& cell) {
  if (cell.is_null()) return "-";
  if (cell.is_boolean()) return cell.get<bool>() ? "yes" : "no";
  if (cell.is_string()) return Printable(cell.get<std::string>());
  if (cell.is_number_float()) {
    std::string text;
    AppendJsonNumber(text, cell.get<float>());
    return text;
  }
  if (cell.is_number()) return cell.dump();
  std::string text;
  if (cell.is_array()) {
    for (const Json& item : cell) text += (text.empty() ? "" : " ") + CellText(item);
    return text;
  }
  for (const auto& [key, value] : cell.items()) text += (text.empty() ? "" : "; ") + Printable(key) + " " + CellText(value);
  return text;
}

void AppendTableText(const SummaryTable& table, bool all, std::string& out) {
  out += Heading(table) + '\n';
  if (!table.note.empty()) out += "  (" + table.note + ")\n";
  if (table.rows.empty()) return;
  const std::size_t shown = ShownRows(table, all);
  std::vector<std::vector<std::string>> cells(shown + 1);
  std::vector<std::size_t> widths;
  for (const auto& column : table.columns) {
    cells[0].push_back(column);
    widths.push_back(Width(column));
  }
  for (std::size_t r = 0; r < shown; ++r)
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      cells[r + 1].push_back(CellText(table.rows[r][c]));
      widths[c] = std::max(widths[c], Width(cells[r + 1].back()));
    }
  for (std::size_t r = 0; r <= shown; ++r) {
    std::string line = " ";
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const std::string& cell = cells[r][c];
      const std::string pad(widths[c] - Width(cell), ' ');
      const bool right = r > 0 && table.rows[r - 1][c].is_number();
      line += ' ' + (right ? pad + cell : cell + (c + 1 < table.columns.size() ? pad : ""));
    }
    out += line + '\n';
  }
  out += FoldLine(table, all);
}

void AppendTableMarkdown(const SummaryTable& table, bool all, std::string& out) {
  out += "### " + Heading(table) + "\n\n";
  if (!table.note.empty()) out += table.note + "\n\n";
  if (table.rows.empty()) return;
  const auto escaped = [](std::string text) {
    std::string result;
    for (const char c : text) result += c == '|' ? std::string("\\|") : std::string(1, c);
    return result;
  };
  std::string head = "|", rule = "|";
  for (const auto& column : table.columns) {
    head += " " + column + " |";
    rule += "---|";
  }
  out += head + '\n' + rule + '\n';
  for (std::size_t r = 0; r < ShownRows(table, all); ++r) {
    std::string line = "|";
    for (const Json& cell : table.rows[r]) line += " " + escaped(CellText(cell)) + " |";
    out += line + '\n';
  }
  const std::string fold = FoldLine(table, all);
  out += fold.empty() ? "\n" : "\n" + fold + "\n";
}

std::string TableCsv(const SummaryTable& table) {
  const auto field = [](const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
  };
  std::string csv;
  for (std::size_t c = 0; c < table.columns.size(); ++c) csv += (c ? "," : "") + field(table.columns[c]);
  csv += "\r\n";
  for (const auto& row : table.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      // An empty field, not "-", for a fact nobody told.
      csv += (c ? "," : "") + (row[c].is_null() ? std::string() : field(CellText(row[c])));
    }
    csv += "\r\n";
  }
  return csv;
}

Json TableJson(const SummaryTable& table) {
  Json rows = Json::array();
  for (const auto& row : table.rows) {
    Json object = Json::object();
    for (std::size_t c = 0; c < row.size(); ++c) object[table.columns[c]] = row[c];
    rows.push_back(std::move(object));
  }
  return rows;
}

}  // namespace sci
