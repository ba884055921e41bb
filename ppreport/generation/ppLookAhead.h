#pragma once
// TppLookAheadList: the values a calculating component (a data calculation, a variable) learns
// during the first pass of a two-pass report, by look-ahead key (a group break, a page, a column).
// A draw command printed before its key's value is known (a group total in the group header)
// listens for that key and takes each later value of it; in the second pass the component reads
// the final value from the list.
//
// Each key has a channel of its own: a value reaches the listeners of its key only, so keys may
// arrive in any order (columns across the page interleave theirs) without freezing the commands
// or entries of other keys. A key counts as complete when the list is disconnected at the end of
// the first pass; then every listener is told its value is final.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TppCommunicator;
class TppDrawVariable;

// The latest value of one key.
struct TppLookAheadEntry {
  std::string Key;
  int TraversalCount = 0;
  std::string Text;
};

class TppLookAheadList {
public:
  // Owner is the calculating component; it is the sender of every value delivered.
  explicit TppLookAheadList(TppCommunicator* Owner);
  ~TppLookAheadList();
  TppLookAheadList(const TppLookAheadList&) = delete;
  TppLookAheadList& operator=(const TppLookAheadList&) = delete;

  TppCommunicator* Owner() const { return FOwner; }
  int Count() const { return static_cast<int>(FEntries.size()); }
  const TppLookAheadEntry& GetEntry(int Index) const;  // EListError outside
  // Frees every entry; their listeners stop listening.
  void Clear();
  // The key's entry takes Text when TraversalCount exceeds the entry's (a new key is added), and
  // the listeners of the key hear it.
  void Update(const std::string& Key, int TraversalCount, const std::string& Text);
  // The key's text, else Default.
  std::string GetValue(const std::string& Key, int TraversalCount, const std::string& Default) const;
  // The end of the first pass: every key is complete; its listeners keep their last value.
  void Disconnect();
  const TppLookAheadEntry& Add(const std::string& Key, int TraversalCount, const std::string& Text);
  // The key's entry, null when absent. Looking up changes nothing.
  const TppLookAheadEntry* Find(const std::string& Key) const;
  // A draw command printed in the first pass: it takes Key and hears that key's later values
  // until the list disconnects (or the command goes).
  void Listen(TppDrawVariable& Command, const std::string& Key);
  // Listeners still waiting for values (all keys).
  int ListenerCount() const;

private:
  TppLookAheadEntry* FindEntry(const std::string& Key) const;
  void Deliver(const TppLookAheadEntry& Entry);
  // Tells the listeners of every key that their value is final and lets them go.
  void ReleaseListeners();

  TppCommunicator* FOwner;
  std::vector<std::unique_ptr<TppLookAheadEntry>> FEntries;  // in the order the keys arrived
  std::unordered_map<std::string, TppLookAheadEntry*> FIndex;
  // The listeners of each key hear its values through the key's own communicator.
  std::unordered_map<std::string, std::unique_ptr<TppCommunicator>> FChannels;
};
