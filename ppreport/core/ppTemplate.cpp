#include "ppreport/core/ppTemplate.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "platform/app/Cursors.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/SafeFileStream.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppUtils.h"

// ---- TppTemplateDBSettings

TppTemplateDBSettings::~TppTemplateDBSettings() = default;

void TppTemplateDBSettings::SetDataPipeline(TppDataPipeline* Value) {
  if (OnPipelineChanged) OnPipelineChanged(Value);
  FDataPipeline = Value;
}

void TppTemplateDBSettings::SetName(const std::string& Value) {
  FName = Value;
  if (OnNameChanged) OnNameChanged();
}

void TppTemplateDBSettings::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppTemplateDBSettings*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  SetDataPipeline(S->FDataPipeline);
  SetName(S->FName);
  FNameField = S->FNameField;
  FTemplateField = S->FTemplateField;
}

const TClassInfo& TppTemplateDBSettings::StaticClassInfo() {
  using S = TppTemplateDBSettings;
  static const TClassInfo Info = TClassDef<S>("TppTemplateDBSettings", &TPersistent::StaticClassInfo())
                                     .Prop("DataPipeline", &S::DataPipeline, &S::SetDataPipeline)
                                     .Prop("Name", &S::Name, &S::SetName)
                                     .Prop("NameField", &S::NameField, &S::SetNameField)
                                     .Prop("TemplateField", &S::TemplateField, &S::SetTemplateField);
  return Info;
}

// ---- TppCustomTemplate

TppCustomTemplate::TppCustomTemplate(TComponent* AOwner)
    : FOwner(AOwner), FDatabaseSettings(std::make_unique<TppTemplateDBSettings>()) {}

TppCustomTemplate::~TppCustomTemplate() = default;

void TppCustomTemplate::SetDatabaseSettings(TppTemplateDBSettings* Value) {
  if (Value) FDatabaseSettings->Assign(Value);
}

std::string TppCustomTemplate::GetTemplateName() const {
  return FSaveTo == stFile ? FFileName : FDatabaseSettings->Name();
}

void TppCustomTemplate::SetTemplateName(const std::string& Value) {
  if (FSaveTo == stFile) SetFileName(Value);
  else FDatabaseSettings->SetName(Value);
}

bool TppCustomTemplate::DatabaseSettingsValid() const {
  const TppTemplateDBSettings& S = *FDatabaseSettings;
  return S.DataPipeline() && !S.TemplateField().empty() && !S.NameField().empty();
}

void TppCustomTemplate::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppCustomTemplate*>(Source);
  if (!S) {
    TPersistent::Assign(Source);
    return;
  }
  FDatabaseSettings->Assign(S->FDatabaseSettings.get());
  SetFileName(S->FFileName);
  FOffset = S->FOffset;
  FSaveTo = S->FSaveTo;
  FFormat = S->FFormat;
  FShowBusyCursor = S->FShowBusyCursor;
}

const TClassInfo& TppCustomTemplate::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCustomTemplate>("TppCustomTemplate", &TPersistent::StaticClassInfo());
  return Info;
}

// ---- TppTemplate

namespace {
constexpr char TextSignature[] = "object";
constexpr int64_t TextSignatureSize = 6;
}  // namespace

TppTemplate::TppTemplate(TComponent* AOwner) : TppCustomTemplate(AOwner) {
  FRoot = AOwner ? AOwner->Owner() : nullptr;
  FDatabaseSettings->OnNameChanged = [this] { FileNameChanged(); };
  FDatabaseSettings->OnPipelineChanged = [this](TppDataPipeline* P) { DatabasePipelineChanged(P); };
}

TppTemplate::~TppTemplate() {
  FDatabaseSettings->OnNameChanged = nullptr;
  FDatabaseSettings->OnPipelineChanged = nullptr;
}

void TppTemplate::SetFileName(const std::string& Value) {
  TppCustomTemplate::SetFileName(Value);
  FileNameChanged();
}

bool TppTemplate::DatabaseSettingsValid() const {
  if (!TppCustomTemplate::DatabaseSettingsValid()) return false;
  const TppTemplateDBSettings& S = *FDatabaseSettings;
  TppDataType T = S.DataPipeline()->GetFieldDataType(S.TemplateField());
  if (T != dtBLOB && T != dtMemo) throw ETemplateSaveError(LanguageString(53));
  return true;
}

bool TppTemplate::IsFileReadOnly() const {
  // No write bit at all is the read-only attribute here; root would pass an access() test.
  struct stat St {};
  if (FFileName.empty() || ::stat(FFileName.c_str(), &St) != 0) return false;
  return (St.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool TppTemplate::LocateRecord() {
  const std::string& N = FDatabaseSettings->Name();
  std::function<bool(TppTemplate*, const std::string&)> Handler = OnLocateRecord;
  if (BroadcastOnLocateRecord && FBroadcastEvents) Handler = BroadcastOnLocateRecord;
  if (Handler) return Handler(this, N);
  TppDataPipeline* P = FDatabaseSettings->DataPipeline();
  return P && P->Locate(FDatabaseSettings->NameField(), Variant(N), 1u << loCaseInsensitive);
}

namespace {
// The hourglass while a template loads or saves (the main thread's cursor only; elsewhere nothing
// changes). A load puts back the cursor shown before; a save ends on the default cursor.
class TBusyCursor {
public:
  TBusyCursor(bool Show, TCursor After) : FShow(Show), FAfter(After) {
    if (FShow) SetScreenCursor(crHourGlass);
  }
  ~TBusyCursor() {
    if (FShow) SetScreenCursor(FAfter);
  }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
  bool FShow;
  TCursor FAfter;
};
}  // namespace

void TppTemplate::Load() {
  if (FSaveTo == stDatabase) LoadFromDatabase();
  else LoadFromFile();
}

void TppTemplate::Save() {
  if (FSaveTo == stDatabase) SaveToDatabase();
  else SaveToFile();
}

void TppTemplate::LoadFromDatabase() {
  const std::string N = FDatabaseSettings->Name();
  const std::string NotFound = LanguageString(45) + " " + N;
  TppDataPipeline* P = FDatabaseSettings->DataPipeline();
  if (!P) throw ETemplateLoadError(NotFound);
  if (!P->GetActive()) P->Open();
  if (!DatabaseSettingsValid() || !LocateRecord()) throw ETemplateLoadError(NotFound);
  // The wait is the reading as much as the fetching: the hourglass stays until the load ends.
  TBusyCursor Busy(FShowBusyCursor, ScreenCursor());
  TMemoryStream M;
  try {
    P->GetFieldAsStream(FDatabaseSettings->TemplateField(), M);
  } catch (const Exception&) {
    throw ETemplateLoadError(LanguageString(47));
  }
  M.SetPosition(0);
  LoadFromStream(M);
}

void TppTemplate::LoadFromFile() {
  if (!FileExists(FFileName)) throw ETemplateLoadError(LanguageString(46) + " " + FFileName);
  TBusyCursor Busy(FShowBusyCursor, ScreenCursor());
  TMemoryStream M;
  M.LoadFromFile(FFileName);
  M.SetPosition(0);
  LoadFromStream(M);
}

bool TppTemplate::ProbeAt(TStream& Stream, int64_t Position) const {
  // Only bytes that are there are looked at: a position or length from the stream is never trusted.
  const int64_t Size = Stream.Size();
  if (Position < 0 || Position > Size) return false;
  char Buf[TextSignatureSize] = {};
  const int64_t Count = std::min<int64_t>(TextSignatureSize, Size - Position);
  Stream.SetPosition(Position);
  if (Stream.Read(Buf, Count) != Count) return false;
  if (Count >= 4 && std::memcmp(Buf, FilerSignature, 4) == 0) return true;
  return Count == TextSignatureSize && std::memcmp(Buf, TextSignature, TextSignatureSize) == 0;
}

void TppTemplate::ProbeOffset(TStream& Stream) {
  const int64_t Base = Stream.Position();
  if (FOffset >= 0 && ProbeAt(Stream, Base + FOffset)) return;
  if (ProbeAt(Stream, Base)) {
    FOffset = 0;
    return;
  }
  // A stored template may sit after a header whose first four bytes give its position.
  uint32_t V = 0;
  if (Stream.Size() - Base >= 4) {
    Stream.SetPosition(Base);
    Stream.ReadBuffer(&V, 4);
  }
  if (V > 0 && V <= INT32_MAX && ProbeAt(Stream, Base + V)) FOffset = static_cast<int32_t>(V);
}

TppFormatType TppTemplate::DetectFormat(TStream& Stream) {
  const int64_t Start = Stream.Position();
  TFinally Back([&] { Stream.SetPosition(Start); });
  ProbeOffset(Stream);
  const int64_t At = Start + FOffset;
  if (!ProbeAt(Stream, At)) throw EInvalidTemplateError(LanguageString(49));
  char First = 0;
  Stream.SetPosition(At);
  Stream.ReadBuffer(&First, 1);
  FFormat = First == 'o' ? ftASCII : ftBinary;
  return FFormat;
}

void TppTemplate::DoLoadStart(TStream& Stream) {
  if (OnLoadStart) OnLoadStart(this, Stream);
}

void TppTemplate::DoSaveEnd(TStream& Stream) {
  if (OnSaveEnd) OnSaveEnd(this, Stream);
  if (FBroadcastEvents && BroadcastOnSaveEnd) BroadcastOnSaveEnd(FOwner);
}

bool TppTemplate::BackupBeforeLoad() {
  FSavedSettings = std::make_unique<TppCustomTemplate>(nullptr);
  FSavedSettings->Assign(this);
  return true;
}

void TppTemplate::EndLoadBackup(bool) {
  if (!FSavedSettings) return;
  // The saved copy has no callbacks: assigning it tells this template's hooks as a setter would.
  FDatabaseSettings->Assign(FSavedSettings->DatabaseSettings());
  TppCustomTemplate::SetFileName(FSavedSettings->FileName());
  FOffset = FSavedSettings->Offset();
  FSaveTo = FSavedSettings->SaveTo();
  FFormat = FSavedSettings->Format();
  FShowBusyCursor = FSavedSettings->ShowBusyCursor();
  FSavedSettings.reset();
}

void TppTemplate::ReaderSetName(TReader&, TComponent* Component, std::string&) { FReadingComponent = Component; }

void TppTemplate::ReaderError(TReader&, const std::string& Message, bool& Handled) {
  if (FIgnoreErrors) {
    Handled = true;
    return;
  }
  TppTemplateErrorRequest R;
  R.Message = Message + "\n" + LanguageString(50);
  R.LanguageIndex = FLanguageIndex;
  TModalResult Answer = DialogService().Execute(R);
  if (Answer == mrCancel) return;
  if (Answer == mrAll) FIgnoreErrors = true;
  Handled = true;
}

void TppTemplate::ReadTemplate(TStream& Stream) {
  DetectFormat(Stream);
  const int64_t At = Stream.Position() + FOffset;
  TMemoryStream M;
  if (At < Stream.Size()) {
    Stream.SetPosition(At);
    M.CopyFrom(Stream, Stream.Size() - At);
  }
  ExtensionHook(M);
  M.SetPosition(0);
  if (FFormat == ftASCII) {
    SecondExtensionHook(M);
    auto Bin = std::make_unique<TMemoryStream>();
    ObjectTextToBinary(M, *Bin);
    const uint8_t ListEnd = vaNull;
    Bin->WriteBuffer(&ListEnd, 1);
    M.Clear();
    Bin->SetPosition(0);
    M.CopyFrom(*Bin, Bin->Size());
  }
  M.SetPosition(0);
  TReader R(M);
  R.SetRoot(FRoot);
  R.OnSetName = [this](TReader& Rd, TComponent* C, std::string& Name) { ReaderSetName(Rd, C, Name); };
  R.OnReferenceName = [this](TReader& Rd, std::string& Name) { ReaderReferenceName(Rd, Name); };
  R.OnFindMethod = [this](TReader&, const std::string&, std::any&, bool& Error) {
    // A designer may supply a handler the root lacks; none is attached in this library.
    if (FRoot && FRoot->HasState(csDesigning) && GetDesigner()) Error = false;
  };
  // A template holds report objects only: a data set or any other component it names is never made
  // (its loading could open files or run statements before the template is judged).
  R.OnCreateComponent = [](TReader&, const TClassInfo& Info, TComponent*&) {
    if (!Info.InheritsFrom(&TppCommunicator::StaticClassInfo()))
      throw EReadError(::Format(SppTemplateClassRefused, {std::string(Info.Name)}));
  };
  // The question is asked only where a person can answer it: never from a background run.
  if ((FRoot && FRoot->HasState(csDesigning)) || IsMainThreadContext())
    R.OnError = [this](TReader& Rd, const std::string& Message, bool& Handled) { ReaderError(Rd, Message, Handled); };
  std::lock_guard<TCriticalSection> Lock(GlobalNameSpace());
  R.ReadComponents(FRoot, nullptr, [this](TComponent* C) { ComponentRead(C); });
}

void TppTemplate::LoadFromStream(TStream& Stream) {
  FIgnoreErrors = false;
  if (!BackupBeforeLoad()) return;
  FModifiedNames.clear();
  auto EndLoad = [this](bool Ok) {
    FModifiedNames.clear();
    TFinally Forget([this] { FRootBefore.clear(); });
    FReadingComponent = nullptr;
    EndLoadBackup(Ok);
    if (OnLoadEnd) OnLoadEnd(FOwner);
    if (FBroadcastEvents && BroadcastOnLoadEnd) BroadcastOnLoadEnd(FOwner);
  };
  FRootBefore.clear();
  if (FRoot)
    for (int I = 0; I < FRoot->ComponentCount(); ++I) FRootBefore.push_back(FRoot->Components(I));
  try {
    DoLoadStart(Stream);
    ReadTemplate(Stream);
  } catch (...) {
    EndLoad(false);
    throw;
  }
  EndLoad(true);
}

void TppTemplate::FreeLeftFromReading() {
  // Freeing one may free others it owns: look again after each.
  for (int I = FRoot ? FRoot->ComponentCount() - 1 : -1; I >= 0; I = std::min(I - 1, FRoot->ComponentCount() - 1)) {
    TComponent* C = FRoot->Components(I);
    if (std::find(FRootBefore.begin(), FRootBefore.end(), C) == FRootBefore.end()) delete C;
  }
}

void TppTemplate::WriteTemplate(TStream& Stream) {
  TMemoryStream M;
  {
    TWriter W(M);
    W.SetRoot(FRoot);
    W.WriteSignature();
    W.WriteComponent(FOwner);
    W.WriteListEnd();
  }
  M.SetPosition(0);
  TMemoryStream Text;
  TMemoryStream* Result = &M;
  if (FFormat == ftASCII) {
    ObjectBinaryToText(M, Text);
    Result = &Text;
  }
  if (FOffset > 0) {
    // The bytes before the template are the caller's; a new stream gets zeros there.
    const int64_t At = Stream.Position() + FOffset;
    if (Stream.Size() < At) Stream.SetSize(At);
    Stream.SetPosition(At);
  }
  Result->SetPosition(0);
  Stream.CopyFrom(*Result, Result->Size());
}

void TppTemplate::SaveToStream(TStream& Stream) {
  if (!BeginSave()) return;
  bool Ok = false;
  TFinally End([&] { EndSave(Ok); });
  if (OnSaveStart) OnSaveStart(FOwner);
  WriteTemplate(Stream);
  DoSaveEnd(Stream);
  Ok = true;
}

void TppTemplate::SaveToFile() {
  if (!BeginSave()) return;
  TBusyCursor Busy(FShowBusyCursor, crDefault);
  bool Ok = false;
  // A save that failed leaves the report modified: its changes are not on disk.
  TFinally End([&] { EndSave(Ok); });
  if (OnSaveStart) OnSaveStart(FOwner);
  TMemoryStream M;
  WriteTemplate(M);
  if (M.Size() > 0) {
    DoSaveEnd(M);
    if (IsFileReadOnly()) throw ETemplateSaveError(LanguageString(51));
    TSafeFileStream F(FFileName);
    M.SetPosition(0);
    F.CopyFrom(M, M.Size());
    F.Commit();
  }
  Ok = true;
}

void TppTemplate::SaveToDatabase() {
  if (!DatabaseSettingsValid()) return;
  if (!BeginSave()) return;
  TBusyCursor Busy(FShowBusyCursor, crDefault);
  bool Ok = false;
  TFinally End([&] { EndSave(Ok); });
  if (OnSaveStart) OnSaveStart(FOwner);
  TppDataPipeline* P = FDatabaseSettings->DataPipeline();
  TMemoryStream M;
  WriteTemplate(M);
  if (M.Size() > 0) {
    if (!P->GetActive()) P->Open();
    if (LocateRecord()) {
      P->Edit();
    } else {
      P->Insert();
      P->SetFieldValue(FDatabaseSettings->NameField(), Variant(FDatabaseSettings->Name()));
    }
    DoSaveEnd(M);
    M.SetPosition(0);
    P->SetFieldFromStream(FDatabaseSettings->TemplateField(), M);
    P->Post();
    // A pipeline over data that cannot be written takes every call and keeps nothing: the save
    // counts only when the record reads back as written.
    TMemoryStream Back;
    if (LocateRecord()) P->GetFieldAsStream(FDatabaseSettings->TemplateField(), Back);
    if (Back.Size() != M.Size() || std::memcmp(Back.Memory(), M.Memory(), static_cast<size_t>(M.Size())) != 0)
      throw ETemplateSaveError(::Format(SppTemplateNotStored, {FDatabaseSettings->TemplateField(),
                                                                FDatabaseSettings->Name()}));
  }
  Ok = true;
}

void TppTemplate::New() {
  if (OnNew) OnNew(this);
  if (FBroadcastEvents && BroadcastOnNew) BroadcastOnNew(this);
}

const TClassInfo& TppTemplate::StaticClassInfo() {
  using T = TppTemplate;
  static const TClassInfo Info =
      TClassDef<T>("TppTemplate", &TppCustomTemplate::StaticClassInfo())
          .Prop("DatabaseSettings", &T::DatabaseSettings, &T::SetDatabaseSettings)
          .Prop("FileName", &T::FileName, &T::SetFileName)
          .Prop("Format", &T::Format, &T::SetFormat)
          .Default(ftBinary)
          .Prop("Offset", &T::Offset, &T::SetOffset)
          .Default(0)
          .Prop("SaveTo", &T::SaveTo, &T::SetSaveTo)
          .Default(stFile)
          .Prop("ShowBusyCursor", &T::ShowBusyCursor, &T::SetShowBusyCursor)
          .Default(1);
  return Info;
}
