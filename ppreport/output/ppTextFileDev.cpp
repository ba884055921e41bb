#include "ppreport/output/ppTextFileDev.h"

#include <algorithm>
#include <vector>

#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppUtils.h"

namespace {
constexpr char CrLf[] = "\r\n";
}  // namespace

std::string ppBlankControlCharacters(std::string_view Text) {
  std::string Out(Text);
  for (char& C : Out)
    if (static_cast<unsigned char>(C) < 0x20) C = ' ';
  return Out;
}

std::string ppQuoteField(std::string_view Text, char Delimiter) {
  const bool Quote = std::any_of(Text.begin(), Text.end(), [Delimiter](char C) {
    return C == Delimiter || C == '"' || C == '\r' || C == '\n' || (Delimiter == ',' && C == ' ');
  });
  if (!Quote) return std::string(Text);
  std::string Out = "\"";
  for (char C : Text) {
    if (C == '"') Out += '"';
    Out += C;
  }
  return Out + '"';
}

// ---- TppTextFileDevice

const TClassInfo& TppTextFileDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppTextFileDevice>("TppTextFileDevice", &TppFileDevice::StaticClassInfo());
  return Info;
}

TppTextFileDevice::TppTextFileDevice(TComponent* AOwner) : TppFileDevice(AOwner) {}

std::string TppTextFileDevice::GetFileDescription(TppLanguageType) { return LanguageString(37); }

void TppTextFileDevice::SetTextFileType(TppFileType Value) {
  if (!Busy()) FTextFileType = Value;
}

void TppTextFileDevice::SetSaveTextHandler(TppSaveTextEvent Handler) {
  if (!Handler) {
    OnSaveText = nullptr;
    return;
  }
  OnSaveText = [Handler](TppDevice* Device, TComponent* Component, std::string& Text) {
    Handler(Component ? static_cast<TObject*>(Component) : Device, Text);
  };
}

void TppTextFileDevice::ClearState() {
  FEndOfLine = FEndOfPage = FFirstLine = FFirstField = FFirstFieldOfPage = FLastLine = false;
  FFieldNo = FLineNo = 0;
}

void TppTextFileDevice::StartJob() {
  TppFileDevice::StartJob();
  ClearState();
}

void TppTextFileDevice::EndJob() {
  ClearState();
  TppFileDevice::EndJob();
}

void TppTextFileDevice::ReceivePage(TppPage* Page) {
  TppFileDevice::ReceivePage(Page);
  if (!Page || !Busy() || Cancelled() || !IsRequestedPage()) return;
  UpdateStatus(Page);
  if (!IsMessagePage()) WritePage(*Page);
}

void TppTextFileDevice::WritePage(TppPage& Page) {
  std::vector<TppDrawText*> Fields;
  for (int I = 0; I < Page.GetDrawCommandCount(); ++I)
    if (auto* T = dynamic_cast<TppDrawText*>(Page.GetDrawCommand(I)); T && T->BandSave() && T->ComponentSave())
      Fields.push_back(T);
  if (Fields.empty()) return;
  // Numeric order of (band, component); texts with equal numbers keep their page order.
  std::stable_sort(Fields.begin(), Fields.end(), [](const TppDrawText* A, const TppDrawText* B) {
    if (A->BandSaveNo() != B->BandSaveNo()) return A->BandSaveNo() < B->BandSaveNo();
    return A->ComponentSaveNo() < B->ComponentSaveNo();
  });
  const char Delimiter = FTextFileType == ftComma ? ',' : FTextFileType == ftTab ? '\t' : 0;
  FFirstFieldOfPage = true;
  FEndOfPage = false;
  FFirstLine = Page.AbsolutePageNo() == 1;
  const int LastBand = Fields.back()->BandSaveNo();
  for (size_t First = 0; First < Fields.size();) {
    const int Band = Fields[First]->BandSaveNo();
    FFieldNo = 0;
    FFirstField = true;
    FEndOfLine = false;
    FLastLine = Page.LastPage() && Band == LastBand;
    std::string Line;
    size_t I = First;
    for (; I < Fields.size() && Fields[I]->BandSaveNo() == Band; ++I) {
      TppDrawText& Field = *Fields[I];
      if (I + 1 == Fields.size()) FEndOfLine = FEndOfPage = true;
      else if (Fields[I + 1]->BandSaveNo() != Band) FEndOfLine = true;
      std::string Text = Field.Text();
      // A line break or tab inside a fixed-length field would split its record.
      if (FTextFileType == ftFixedLength)
        Text = PadText(ppBlankControlCharacters(Text), Field.SaveLength(), Field.Alignment());
      if (Delimiter) Text = ppQuoteField(Text, Delimiter);
      if (OnSaveText) OnSaveText(this, Field.Component(), Text);
      FFirstFieldOfPage = false;
      if (FFirstField) FFirstField = false;
      else if (Delimiter) Line += Delimiter;
      Line += Text;
      ++FFieldNo;
    }
    First = I;
    if (!Line.empty()) {
      // ftCustom: the handler writes its own separators and line ends.
      if (!FLastLine && FTextFileType != ftCustom) Line += CrLf;
      WriteToFile(Line.data(), static_cast<int64_t>(Line.size()));
    }
    FFirstLine = false;
    ++FLineNo;
  }
}
