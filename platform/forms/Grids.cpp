#include "platform/forms/Grids.h"

#include <algorithm>

#include <QHeaderView>
#include <QTableWidget>

#include "platform/classes/ScopeGuard.h"

const TClassInfo& TStringGrid::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TStringGrid>("TStringGrid", &TWinControl::StaticClassInfo())
                                     .Prop("ColCount", &TStringGrid::ColCount, &TStringGrid::SetColCount)
                                     .Default(5)
                                     .Prop("RowCount", &TStringGrid::RowCount, &TStringGrid::SetRowCount)
                                     .Default(5)
                                     .Prop("FixedCols", &TStringGrid::FixedCols, &TStringGrid::SetFixedCols)
                                     .Default(1)
                                     .Prop("FixedRows", &TStringGrid::FixedRows, &TStringGrid::SetFixedRows)
                                     .Default(1);
  return Info;
}

TStringGrid::TStringGrid(TComponent* AOwner)
    : TWinControl(AOwner, new QTableWidget), FTable(static_cast<QTableWidget*>(Widget())) {
  SetNativeInput(true);
  SetTabStop(true);
  FTable->horizontalHeader()->hide();
  FTable->verticalHeader()->hide();
  FTable->setSelectionMode(QAbstractItemView::SingleSelection);
  FTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FTable->verticalHeader()->setDefaultSectionSize(24);
  QObject::connect(FTable, &QTableWidget::cellChanged, FTable, [this](int R, int C) {
    if (FSyncing) return;
    std::string V = FTable->item(R, C)->text().toStdString();
    if (OnSetEditText) OnSetEditText(this, C, R, V);
  });
  QObject::connect(FTable, &QTableWidget::cellDoubleClicked, FTable, [this](int, int) { DblClick(); });
  SetEditing(false);
  Rebuild();
  SetBounds(0, 0, 320, 120);
}

void TStringGrid::Rebuild() {
  TRestore<bool> Busy(FSyncing, true);
  FTable->setColumnCount(FColCount);
  FTable->setRowCount(FRowCount);
  for (int R = 0; R < FRowCount; ++R)
    for (int C = 0; C < FColCount; ++C) Style(C, R);
}

// A fixed cell looks like a header and takes no input.
void TStringGrid::Style(int Col, int Row) {
  QTableWidgetItem* I = FTable->item(Row, Col);
  if (!I) {
    I = new QTableWidgetItem;
    FTable->setItem(Row, Col, I);
  }
  bool Fixed = Row < FFixedRows || Col < FFixedCols;
  Qt::ItemFlags F = Qt::ItemIsEnabled;
  if (!Fixed) F |= Qt::ItemIsSelectable;
  if (!Fixed && FEditing) F |= Qt::ItemIsEditable;
  I->setFlags(F);
  I->setBackground(Fixed ? FTable->palette().button() : FTable->palette().base());
}

void TStringGrid::SetColCount(int V) {
  FColCount = std::max(V, 1);
  Rebuild();
}

void TStringGrid::SetRowCount(int V) {
  FRowCount = std::max(V, 1);
  Rebuild();
}

void TStringGrid::SetFixedCols(int V) {
  FFixedCols = std::clamp(V, 0, FColCount);
  Rebuild();
}

void TStringGrid::SetFixedRows(int V) {
  FFixedRows = std::clamp(V, 0, FRowCount);
  Rebuild();
}

void TStringGrid::SetEditing(bool V) {
  FEditing = V;
  // A double click belongs to OnDblClick; typing or F2 starts editing.
  FTable->setEditTriggers(V ? QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                            : QAbstractItemView::NoEditTriggers);
  Rebuild();
}

int TStringGrid::ColWidths(int Col) const { return FTable->columnWidth(Col); }

void TStringGrid::SetColWidths(int Col, int Width) { FTable->setColumnWidth(Col, Width); }

std::string TStringGrid::Cells(int Col, int Row) const {
  QTableWidgetItem* I = FTable->item(Row, Col);
  return I ? I->text().toStdString() : std::string();
}

void TStringGrid::SetCells(int Col, int Row, const std::string& V) {
  if (Col < 0 || Row < 0 || Col >= FColCount || Row >= FRowCount) return;
  TRestore<bool> Busy(FSyncing, true);
  FTable->item(Row, Col)->setText(QString::fromStdString(V));
}

int TStringGrid::Col() const { return FTable->currentColumn(); }
int TStringGrid::Row() const { return FTable->currentRow(); }

void TStringGrid::SetCurrent(int Col, int Row) { FTable->setCurrentCell(Row, Col); }

void TStringGrid::EditCell(int Col, int Row, const std::string& Value) {
  if (Col < 0 || Row < 0 || Col >= FColCount || Row >= FRowCount) return;
  // As typed: the cell takes the text and the change is reported.
  FTable->item(Row, Col)->setText(QString::fromStdString(Value));
}
