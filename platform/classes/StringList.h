#pragma once
// String lists: TStrings (the interface every list shares) and TStringList (the stored one).
// Each string may carry an object; the list does not own it unless OwnsObjects is set.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Classes.h"

class TStream;

class TStrings : public TPersistent {
  DECLARE_CLASSINFO(TStrings)
public:
  virtual int Count() const = 0;
  virtual std::string Get(int Index) const = 0;
  virtual void Put(int Index, const std::string& S);
  virtual TObject* GetObject(int Index) const;
  virtual void PutObject(int Index, TObject* AObject);
  virtual void Insert(int Index, const std::string& S) = 0;
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;

  std::string Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const std::string& S) { Put(Index, S); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  void AddStrings(const TStrings& Source);
  virtual void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  // Comparisons ignore ASCII case unless the list says otherwise (TStringList.CaseSensitive).
  virtual int IndexOf(const std::string& S) const;
  int IndexOfName(const std::string& Name) const;
  int IndexOfObject(const TObject* AObject) const;
  bool Equals(const TStrings& Other) const;

  // Lines joined by CR LF, each line ended; setting splits at CR, LF or CR LF.
  virtual std::string Text() const;
  virtual void SetText(std::string_view Value);
  // Delimiter-separated, quoting items that hold blanks, quotes or the delimiter.
  std::string DelimitedText() const;
  void SetDelimitedText(std::string_view Value);
  std::string CommaText() const;
  void SetCommaText(std::string_view Value);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char C) { FDelimiter = C; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char C) { FQuoteChar = C; }

  // Name=Value pairs.
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char C) { FNameValueSeparator = C; }
  std::string Names(int Index) const;
  std::string ValueFromIndex(int Index) const;
  std::string Values(const std::string& Name) const;
  // An empty value deletes the pair.
  void SetValues(const std::string& Name, const std::string& Value);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Bytes in Windows-1252 (or UTF-8 after a byte-order mark), lines as in Text.
  virtual void LoadFromStream(TStream& Stream);
  virtual void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

  void Assign(const TPersistent* Source) override;
  // The "Strings" stream property: a list of strings, written when the list is not empty.
  void DefineProperties(TFiler* Filer) override;

protected:
  // Called when the update count goes to and from zero.
  virtual void SetUpdateState(bool) {}
  virtual int CompareStrings(const std::string& A, const std::string& B) const;
  [[noreturn]] void Error(const char* Fmt, int Index) const;

private:
  int FUpdateCount = 0;
  char FDelimiter = ',';
  char FQuoteChar = '"';
  char FNameValueSeparator = '=';
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
  DECLARE_CLASSINFO(TStringList)
public:
  TStringList() = default;
  explicit TStringList(bool AOwnsObjects) : FOwnsObjects(AOwnsObjects) {}
  ~TStringList() override;

  int Count() const override { return static_cast<int>(FList.size()); }
  std::string Get(int Index) const override;
  void Put(int Index, const std::string& S) override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  int Add(const std::string& S) override { return AddObject(S, nullptr); }
  int AddObject(const std::string& S, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const std::string& S) const override;

  // Binary search of a sorted list: true when found; Index is where S is or would go.
  bool Find(const std::string& S, int& Index) const;
  void Sort();
  void CustomSort(const std::function<int(TStringList& List, int Index1, int Index2)>& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const std::string& A, const std::string& B) const override;
  virtual void Changed();
  virtual void Changing();

private:
  struct TItem {
    std::string S;
    TObject* Object = nullptr;
  };
  void InsertItem(int Index, const std::string& S, TObject* AObject);
  void CheckIndex(int Index) const;
  std::vector<TItem> FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};
