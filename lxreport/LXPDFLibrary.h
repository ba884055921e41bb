#pragma once
// The calls of the PDF export filter to the PDF writer component, a shared
// library of its own. Each call looks its entry up by name; a call while the
// component is not held loads it by name, so a program installed without the
// component runs and says so when a PDF is asked for.
#include <cstdint>
#include <string>

#include "platform/sys/DynamicLibrary.h"

class TComponent;

class TLXPDFLibrary {
public:
  explicit TLXPDFLibrary(std::string Name);
  ~TLXPDFLibrary();
  TLXPDFLibrary(const TLXPDFLibrary&) = delete;
  TLXPDFLibrary& operator=(const TLXPDFLibrary&) = delete;

  // The component stays loaded from InitLib to CloseDownLib, as it keeps the
  // document between the calls.
  void InitLib(TComponent* Owner);
  void SetPageParams(long double PaperWidth, long double PaperHeight, long double TopMargin, long double A,
                     long double B);
  // Block: the item record and the texts it names (LXPDFItem.h).
  void AddPDFItem(const uint8_t* Block);
  // Answers false when the component could not read the picture.
  bool AddImageItem(const uint8_t* Block, int32_t Reserved);
  // Answers whether the document was written (false when no call was made).
  bool FinishDoc(const std::string& FileName);
  // The document's bytes go to Write(Context, Data, Size) as each page is finished (Write answers
  // 1 when it took them, 0 to stop), instead of to the file FinishDoc names at the end. An entry
  // of this system's writer that others may lack: answers whether the component has it, and says
  // nothing when it does not.
  using TWriteOutput = int (*)(void* Context, const char* Data, int64_t Size);
  bool SetOutput(void* Context, TWriteOutput Write);
  void CloseDownLib();

  const std::string& Name() const { return FName; }
  // Whether a call found the library missing (it is said once, not at every call).
  bool Missing() const { return FMissing; }

private:
  // The entry Name of a freshly loaded library, or nullptr after saying why.
  template <class F>
  bool Call(const char* Entry, F&& Invoke);

  std::string FName;
  std::string FPath;  // the file the held library came from
  TLibraryHandle FHeld = nullptr;
  bool FMissing = false;
};
