#include "ppreport/generation/ppLookAhead.h"

#include "platform/classes/ClassesConsts.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppParamList.h"

namespace {
// One value on its way: the parameters every listener reads.
void SendValue(TppCommunicator& Channel, TppCommunicator* Owner, std::string Key, int TraversalCount, std::string Text) {
  TraParamList P;
  P.BindParam(P.AddParam("aLookAheadKey", vkString), &Key);
  P.BindParam(P.AddParam("aTraversalCount", vkInteger), &TraversalCount);
  P.BindParam(P.AddParam("aText", vkString), &Text);
  Channel.SendEventNotify(Owner, ciLookAheadValue, &P);
}
}  // namespace

TppLookAheadList::TppLookAheadList(TppCommunicator* Owner) : FOwner(Owner) {}

TppLookAheadList::~TppLookAheadList() { ReleaseListeners(); }

const TppLookAheadEntry& TppLookAheadList::GetEntry(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(SListIndexError, {Index}));
  return *FEntries[static_cast<size_t>(Index)];
}

void TppLookAheadList::Clear() {
  ReleaseListeners();
  FIndex.clear();
  FEntries.clear();
}

TppLookAheadEntry* TppLookAheadList::FindEntry(const std::string& Key) const {
  auto It = FIndex.find(Key);
  return It == FIndex.end() ? nullptr : It->second;
}

const TppLookAheadEntry* TppLookAheadList::Find(const std::string& Key) const { return FindEntry(Key); }

const TppLookAheadEntry& TppLookAheadList::Add(const std::string& Key, int TraversalCount, const std::string& Text) {
  if (TppLookAheadEntry* E = FindEntry(Key)) return *E;
  auto E = std::make_unique<TppLookAheadEntry>(TppLookAheadEntry{Key, TraversalCount, Text});
  TppLookAheadEntry& Added = *E;
  FIndex[Key] = E.get();
  FEntries.push_back(std::move(E));
  return Added;
}

void TppLookAheadList::Update(const std::string& Key, int TraversalCount, const std::string& Text) {
  TppLookAheadEntry* E = FindEntry(Key);
  if (!E) {
    Deliver(Add(Key, TraversalCount, Text));
    return;
  }
  // A value of a record already counted (or of an earlier one) is not news.
  if (TraversalCount <= E->TraversalCount) return;
  E->TraversalCount = TraversalCount;
  E->Text = Text;
  Deliver(*E);
}

std::string TppLookAheadList::GetValue(const std::string& Key, int, const std::string& Default) const {
  const TppLookAheadEntry* E = FindEntry(Key);
  return E ? E->Text : Default;
}

void TppLookAheadList::Deliver(const TppLookAheadEntry& Entry) {
  auto It = FChannels.find(Entry.Key);
  if (It == FChannels.end()) return;
  SendValue(*It->second, FOwner, Entry.Key, Entry.TraversalCount, Entry.Text);
}

void TppLookAheadList::Listen(TppDrawVariable& Command, const std::string& Key) {
  Command.SetLookAhead(true);
  Command.SetLookAheadKey(Key);
  std::unique_ptr<TppCommunicator>& Channel = FChannels[Key];
  if (!Channel) Channel = std::make_unique<TppCommunicator>(nullptr);
  Channel->AddEventNotify(Command.Listener());
}

int TppLookAheadList::ListenerCount() const {
  int N = 0;
  for (auto& [Key, Channel] : FChannels) N += Channel->GetEventNotifyCount();
  return N;
}

void TppLookAheadList::Disconnect() { ReleaseListeners(); }

void TppLookAheadList::ReleaseListeners() {
  // A value for another key is how a listener learns that its own is final.
  for (auto& [Key, Channel] : FChannels)
    SendValue(*Channel, FOwner, Key.empty() ? std::string("\x01") : std::string(), 0, {});
  FChannels.clear();
}
