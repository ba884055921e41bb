#pragma once
// A grid of texts over Qt's table widget. Fixed rows and columns are cells of the
// grid as in the class library (Cells(0, 0) is the top-left fixed cell), drawn as
// headers and never edited.
#include <string>
#include <vector>

#include "platform/forms/Controls.h"

class QTableWidget;

using TSetEditEvent = TEvent<void(TObject* Sender, int ACol, int ARow, const std::string& Value)>;

class TStringGrid : public TWinControl {
  DECLARE_CLASSINFO(TStringGrid)
public:
  explicit TStringGrid(TComponent* AOwner);

  int ColCount() const { return FColCount; }
  void SetColCount(int V);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int V);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int V);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int V);
  // goEditing: the user may type into the cells that are not fixed.
  bool Editing() const { return FEditing; }
  void SetEditing(bool V);
  int ColWidths(int Col) const;
  void SetColWidths(int Col, int Width);
  // Empty beyond the grid.
  std::string Cells(int Col, int Row) const;
  void SetCells(int Col, int Row, const std::string& V);
  // The current cell.
  int Col() const;
  int Row() const;
  void SetCurrent(int Col, int Row);

  // The user finished editing a cell (also what tests call in the user's place).
  void EditCell(int Col, int Row, const std::string& Value);

  TSetEditEvent OnSetEditText;

private:
  void Rebuild();
  void Style(int Col, int Row);
  QTableWidget* FTable;
  int FColCount = 5, FRowCount = 5, FFixedCols = 1, FFixedRows = 1;
  bool FEditing = false;
  bool FSyncing = false;
};
