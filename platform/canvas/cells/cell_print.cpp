#include "platform/canvas/cells/cell_print.h"

#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/canvas/cells/cell_canvas.h"
#include "platform/canvas/cells/cell_text.h"
#include "platform/text/unicode.h"

namespace {

void AppendColours(const PrintedCell& cell, std::string* line) {
  char sequence[64];
  std::snprintf(sequence, sizeof sequence, "\x1b[38;2;%u;%u;%u;48;2;%u;%u;%um", cell.foreground.red,
                cell.foreground.green, cell.foreground.blue, cell.background.red,
                cell.background.green, cell.background.blue);
  *line += sequence;
}

}  // namespace

std::unique_ptr<Canvas> MakePrintCanvas(int width, int height) {
  std::setlocale(LC_CTYPE, "");
  SetCellTextUnicode(std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0);
  std::unique_ptr<Canvas> page = MakeCellCanvas(width, height);
  if (page != nullptr) page->Fill(Rect{0, 0, width, height}, kWhite);
  return page;
}

std::vector<PrintedCell> PrintedRow(const Canvas& page, int y) {
  const auto* cells = dynamic_cast<const CellCanvas*>(&page);
  std::vector<PrintedCell> row;
  if (cells == nullptr || y < 0 || y >= cells->Height()) return row;
  for (int x = 0; x < cells->Width(); ++x) {
    const Cell& cell = cells->At(x, y);
    PrintedCell printed{{}, cell.foreground, cell.background};
    if (cell.part != Cell::Part::kWideTail) {
      for (const char32_t c : cell.text) {
        if (c != 0) printed.text.push_back(c);
      }
    }
    row.push_back(std::move(printed));
  }
  return row;
}

std::string PrintedLine(const std::vector<PrintedCell>& cells, bool colour) {
  std::string line;
  const PrintedCell* current = nullptr;  // the cell whose colours are in force
  for (const PrintedCell& cell : cells) {
    // A blank shows no foreground, so it needs no sequence of its own for one.
    const bool blank = cell.text.empty() || cell.text == U" ";
    if (colour && (current == nullptr || current->background != cell.background ||
                   (!blank && current->foreground != cell.foreground))) {
      AppendColours(cell, &line);
      current = &cell;
    }
    for (const char32_t c : cell.text) {
      AppendUtf8(IsSurrogate(c) ? kReplacementCharacter : c, &line);
    }
  }
  if (colour && current != nullptr) line += "\x1b[0m";
  line += '\n';
  return line;
}
