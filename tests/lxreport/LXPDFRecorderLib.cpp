// The recording stand-in of the PDF writer component (LXPDFRecorder.h).
#include <fstream>
#include <iterator>

#include "lxreport/LXPDFItem.h"
#include "tests/lxreport/LXPDFRecorder.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::vector<TLXPDFRecordedCall> Calls;

TLXPDFRecordedCall& Item(const char* Entry, const uint8_t* Block) {
  TLXPDFRecordedCall C;
  C.Entry = Entry;
  C.Record.assign(Block, Block + LXPDFItem::RecordSize);
  C.FontName = LXPDFItem::GetText(Block, LXPDFItem::FontName);
  C.Text = LXPDFItem::GetText(Block, LXPDFItem::Text);
  C.PictureFile = LXPDFItem::GetText(Block, LXPDFItem::PictureFile);
  return Calls.emplace_back(std::move(C));
}
}  // namespace

EXPORT std::vector<TLXPDFRecordedCall>* RecordedCalls() { return &Calls; }

EXPORT void InitLib(void*) {
  Calls.clear();
  Calls.emplace_back().Entry = "InitLib";
}

EXPORT void SetPageParams(long double A, long double B, long double C, long double D, long double E) {
  TLXPDFRecordedCall Call;
  Call.Entry = "SetPageParams";
  Call.Floats = {A, B, C, D, E};
  Calls.push_back(Call);
}

EXPORT void AddPDFItem(const uint8_t* Block) { Item("AddPDFItem", Block); }

EXPORT int AddImageItem(const uint8_t* Block, int32_t Integer) {
  TLXPDFRecordedCall& C = Item("AddImageItem", Block);
  C.Integer = Integer;
  std::ifstream F(C.PictureFile, std::ios::binary);
  C.PictureExisted = F.is_open();
  C.PictureText.assign(std::istreambuf_iterator<char>(F), {});
  return 1;
}

EXPORT int FinishDoc(const char* FileName) {
  TLXPDFRecordedCall Call;
  Call.Entry = "FinishDoc";
  Call.FileName = FileName;
  Calls.push_back(Call);
  return 1;
}

EXPORT void CloseDownLib() { Calls.emplace_back().Entry = "CloseDownLib"; }
